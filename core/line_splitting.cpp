#include "line_splitting.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace runemill {

ByteString CutIntoLines(std::string_view text, std::size_t line_length) {
  const std::size_t size = text.size();
  const std::size_t line_count = size / line_length + (size % line_length != 0 ? 1 : 0);
  ByteString out(size + 2 * line_count, '\0');
  char* dst = out.data();
  // Stepping by the piece actually taken, never by line_length, keeps the
  // position from running past the end for lengths near the integer limit.
  for (std::size_t pos = 0; pos < size;) {
    const std::size_t piece = std::min(line_length, size - pos);
    std::memcpy(dst, text.data() + pos, piece);
    dst += piece;
    *dst++ = '\r';
    *dst++ = '\n';
    pos += piece;
  }
  return out;
}

}  // namespace runemill
