#pragma once

// What the fuzz targets share: a check that stops the run with a readable
// report (libFuzzer then saves the input), and a slow second reading of
// numbers, written without looking at the one under test.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace runemill::fuzz {

#define RUNEMILL_FUZZ_CHECK(condition, ...)                                                \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                   \
      std::fputc('\n', stderr);                                                            \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

// Blanks, one sign, a base mark, then the longest run of that base's digits,
// whose value is summed from the last digit up, powers of the base wrapping
// in 64 bits.
inline std::int64_t SlowNumberReading(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (text[i] == '-') {
    negative = true;
    ++i;
  } else if (text[i] == '+') {
    ++i;
  }
  std::string_view digits = "0123456789";
  std::uint64_t base = 10;
  if (i < text.size() && text[i] == '$') {
    digits = "0123456789abcdefABCDEF";
    base = 16;
    ++i;
  } else if (i < text.size() && text[i] == '%') {
    digits = "01";
    base = 2;
    ++i;
  }
  std::size_t end = i;
  while (end < text.size() && digits.find(text[end]) != std::string_view::npos) ++end;

  std::uint64_t value = 0;
  std::uint64_t power = 1;
  for (std::size_t k = end; k > i; --k) {
    const char c = text[k - 1];
    std::uint64_t digit = 0;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint64_t>(c - '0');
    if (c >= 'a' && c <= 'f') digit = static_cast<std::uint64_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') digit = static_cast<std::uint64_t>(c - 'A' + 10);
    value += digit * power;
    power *= base;
  }
  if (negative) value = ~value + 1;
  return static_cast<std::int64_t>(value);
}

}  // namespace runemill::fuzz
