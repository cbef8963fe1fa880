#include "dropped_file_text.h"

#include <cstring>

namespace runemill {
namespace {

bool KeptAsItself(unsigned char b) { return b == '\r' || b == '\n'; }

std::array<std::size_t, kCellCount> PieceLengths(const CellTexts& cells) {
  std::array<std::size_t, kCellCount> length{};
  for (int b = 0; b < kCellCount; ++b) length[b] = KeptAsItself(b) ? 1 : cells[b].size();
  return length;
}

}  // namespace

std::size_t DroppedFileTextSize(std::string_view file_bytes, const CellTexts& cells) {
  const std::array<std::size_t, kCellCount> length = PieceLengths(cells);
  std::size_t total = 0;
  for (char c : file_bytes) total += length[static_cast<unsigned char>(c)];
  return total;
}

ByteString DroppedFileText(std::string_view file_bytes, const CellTexts& cells) {
  ByteString text(DroppedFileTextSize(file_bytes, cells), '\0');
  char* out = text.data();
  for (char c : file_bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (KeptAsItself(b)) {
      *out++ = c;
    } else {
      std::memcpy(out, cells[b].data(), cells[b].size());
      out += cells[b].size();
    }
  }
  return text;
}

}  // namespace runemill
