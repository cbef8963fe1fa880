#pragma once

#include <cstdint>
#include <string_view>

namespace runemill {

// The number at the start of text: leading spaces and tabs, one optional sign,
// then "$" hexadecimal, "%" binary or decimal digits up to the first byte that
// is not one. No digit reads as 0. Wraps around in 64 bits.
std::int64_t ParseNumber(std::string_view text);

// What both callers keep of it: the low 32 bits, as a signed value.
std::int32_t Low32Bits(std::int64_t value);

}  // namespace runemill
