#pragma once

#include <cstddef>
#include <string_view>

#include "screen.h"

namespace runemill {

// text cut into pieces of line_length bytes, the last one possibly shorter,
// each followed by a carriage return and a line feed. Line breaks already in
// text count as two ordinary bytes. line_length must be at least 1; any length
// not below the size of text gives a single line. Pure.
ByteString CutIntoLines(std::string_view text, std::size_t line_length);

// Asks for a length N and cuts the source pane into lines of N bytes, then
// converts. An empty answer, or one that reads as less than 1, is refused with
// an input error message and changes nothing.
void SplitIntoLines();

}  // namespace runemill
