// ParseNumber and Low32Bits against a slow reading of their own.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/number_reading.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::int64_t value = runemill::ParseNumber(text);
  const std::int64_t expected = runemill::fuzz::SlowNumberReading(text);
  RUNEMILL_FUZZ_CHECK(value == expected, "ParseNumber gave %lld, expected %lld",
                      static_cast<long long>(value), static_cast<long long>(expected));

  const std::int32_t low = runemill::Low32Bits(value);
  const auto expected_low = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  RUNEMILL_FUZZ_CHECK(low == expected_low, "Low32Bits(%lld) gave %d, expected %d",
                      static_cast<long long>(value), low, expected_low);

  // The charset reader looks at three bytes only; a line's index is always
  // within what three bytes can spell.
  const std::int32_t index = runemill::Low32Bits(runemill::ParseNumber(text.substr(0, 3)));
  RUNEMILL_FUZZ_CHECK(index >= -99 && index <= 999, "three bytes read as %d", index);
  return 0;
}
