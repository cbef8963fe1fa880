#pragma once

#include <array>
#include <cstdint>

namespace runemill {

// One record of the layout pair table: the byte typed on a Latin keyboard and
// the byte that the ЯВЕРТЫ layout places on the same key.
struct LayoutPair {
  std::uint8_t from;
  std::uint8_t to;
};

// 256 records, record i with from = i. The Latin small letters, the braces,
// the vertical bar, the tilde and the grave accent go to Cyrillic capitals,
// byte 0 to "{"; every other byte to itself.
const std::array<LayoutPair, 256>& LayoutPairs();

// The Windows-1251 lower-case form of a byte; the byte itself where it is no
// capital letter.
std::uint8_t LowerCase(std::uint8_t byte);

enum class LayoutCase { kCapitals, kSmallLetters };

// Fills the table and the cells from the keyboard layout pairs, then converts.
void ApplyLayoutPreset(LayoutCase layout_case);

}  // namespace runemill
