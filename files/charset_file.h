#pragma once

namespace runemill {

// Asks for a path and writes the program's table there as a charset file.
void SaveCharsetFile();
// Asks for a path and reads a charset file into the table and the cells.
void LoadCharsetFile();

}  // namespace runemill
