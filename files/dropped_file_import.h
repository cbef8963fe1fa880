#pragma once

#include <string_view>

namespace runemill {

// Reads the first file of the drop list into the source pane, byte by byte
// through the cells, then converts.
void ImportDroppedFile(std::string_view drop_list);

}  // namespace runemill
