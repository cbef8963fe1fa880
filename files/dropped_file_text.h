#pragma once

// What the bytes of a dropped file become in the source pane. No Qt and no
// screen, so that benchmarks and fuzzers can link it on its own.

#include <array>
#include <cstddef>
#include <string_view>

#include "core/screen.h"

namespace runemill {

// The texts of cells 0..255, as the grid shows them at the time of a drop.
using CellTexts = std::array<ByteString, kCellCount>;

// CR and LF stay themselves; every other byte, the zero byte included, becomes
// the text of its cell.
ByteString DroppedFileText(std::string_view file_bytes, const CellTexts& cells);

// The length of DroppedFileText, known before any of it is built.
std::size_t DroppedFileTextSize(std::string_view file_bytes, const CellTexts& cells);

}  // namespace runemill
