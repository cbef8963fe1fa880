#pragma once

#include <cstdint>

namespace runemill {

// The largest charset file that a load takes; it is read whole before any
// entry changes.
inline constexpr std::int64_t kMaxCharsetFileSize = std::int64_t{64} << 20;

// Asks for a path and writes the program's table there as a charset file.
void SaveCharsetFile();
// Asks for a path and reads a charset file into the table and the cells.
void LoadCharsetFile();

}  // namespace runemill
