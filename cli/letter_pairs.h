#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace runemill {

// Windows-1251 bytes fall into classes that letter-pair statistics can be kept
// for: each Russian letter in each case, Latin letters, digits, blanks, line
// breaks, each common ASCII punctuation mark, typographic punctuation, and the
// rest. A mistaken decoding turns letters into rare classes and rare pairs.
inline constexpr int kSymbolCount = 85;
int SymbolOf(std::uint8_t cp1251_byte);

// Counts of symbol pairs, row the first symbol, column the second.
using PairCounts = std::array<std::uint32_t, kSymbolCount * kSymbolCount>;
void CountPairs(std::string_view cp1251_text, PairCounts& counts);

// Mean natural logarithm of the probability of each symbol after the one
// before it, under counts, the first taken to follow a blank; higher looks
// more like the text counted. 0 for the empty text.
double PairScore(std::string_view cp1251_text, const PairCounts& counts);

}  // namespace runemill
