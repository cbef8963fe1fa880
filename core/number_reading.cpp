#include "number_reading.h"

#include <bit>

namespace runemill {
namespace {

// -1 for a byte that is no digit of the base.
int DigitValue(unsigned char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  }
  return value < base ? value : -1;
}

}  // namespace

std::int64_t ParseNumber(std::string_view text) {
  std::size_t pos = 0;
  const auto at = [&text](std::size_t i) -> int {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : -1;
  };
  while (at(pos) == ' ' || at(pos) == '\t') ++pos;

  bool negative = false;
  if (at(pos) == '-') {
    negative = true;
    ++pos;
  } else if (at(pos) == '+') {
    ++pos;
  }

  int base = 10;
  if (at(pos) == '$') {
    base = 16;
    ++pos;
  } else if (at(pos) == '%') {
    base = 2;
    ++pos;
  }

  // Unsigned, so that a number too large for 64 bits wraps instead of being
  // undefined.
  std::uint64_t value = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = DigitValue(static_cast<unsigned char>(text[pos]), base);
    if (digit < 0) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (negative) value = 0 - value;
  return std::bit_cast<std::int64_t>(value);
}

std::int32_t Low32Bits(std::int64_t value) {
  const std::int64_t low =
      static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(value) & 0xFFFFFFFFu);
  return static_cast<std::int32_t>(low >= 0x80000000 ? low - 0x100000000 : low);
}

}  // namespace runemill
