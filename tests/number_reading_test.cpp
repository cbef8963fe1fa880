#include "core/number_reading.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace runemill {
namespace {

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

TEST(ParseNumber, ReadsTheNumberAtTheStartAndKeepsItsLow32Bits) {
  const struct {
    std::string text;
    std::int64_t value;
    std::int32_t low_32_bits;
  } cases[] = {
      {"0032", 32, 32},
      {"32abc", 32, 32},
      {"  8", 8, 8},
      {"\t-5", -5, -5},
      {"+7", 7, 7},
      {"$1F", 31, 31},
      {"$ff", 255, 255},
      {"$aBcD", 0xABCD, 0xABCD},
      {"-$10", -16, -16},
      {"%1000", 8, 8},
      {"%12", 1, 1},
      {"-%101", -5, -5},
      {"0x10", 0, 0},
      {"- 5", 0, 0},
      {"abc", 0, 0},
      {"", 0, 0},
      {"$", 0, 0},
      {"%", 0, 0},
      {"-", 0, 0},
      {"+-5", 0, 0},
      {"$G1", 0, 0},
      {" \t \t42", 42, 42},
      // Only spaces and tabs are blanks.
      {"\n5", 0, 0},
      {"\r\n5", 0, 0},
      {"\xA0"
       "5",
       0, 0},
      // Bytes above 127 stop the reading like any other non-digit.
      {"7\xB9", 7, 7},
      {"$f\xC1", 15, 15},
      {"\xB3"
       "9",
       0, 0},
      // Wrap-around in 64 bits, and what the callers see of it.
      {"9223372036854775807", kInt64Max, -1},
      {"9223372036854775808", kInt64Min, 0},
      {"-9223372036854775808", kInt64Min, 0},
      {"18446744073709551615", -1, -1},
      {"18446744073709551616", 0, 0},
      {"18446744073709551617", 1, 1},
      {"99999999999999999999", 7766279631452241919, 1661992959},
      {"$FFFFFFFFFFFFFFFF", -1, -1},
      {"$1FFFFFFFFFFFFFFFF", -1, -1},
      {"$123456789ABCDEF0123", 0x456789ABCDEF0123, -0x3210FEDD},
      {"%" + std::string(65, '1'), -1, -1},
      {"-$8000000000000000", kInt64Min, 0},
      {"4294967296", 4294967296, 0},
      {"4294967297", 4294967297, 1},
      {"2147483647", 2147483647, kInt32Max},
      {"2147483648", 2147483648, kInt32Min},
      {"$FFFFFFFF", 4294967295, -1},
      {"-2147483648", -2147483648, kInt32Min},
      {"-2147483649", -2147483649, kInt32Max},
      {"-4294967297", -4294967297, -1},
  };
  for (const auto& c : cases) {
    const std::int64_t value = ParseNumber(c.text);
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(Low32Bits(value), c.low_32_bits) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace runemill
