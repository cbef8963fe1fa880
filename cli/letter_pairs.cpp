#include "letter_pairs.h"

#include <cmath>

namespace runemill {
namespace {

constexpr int kBlank = 0;
constexpr int kLineBreak = 1;
constexpr int kDigit = 2;
constexpr std::string_view kOwnPunctuation = ".,!?:;-\"'()";  // symbols 3..13
constexpr int kOtherAscii = 14;
constexpr int kLatinSmall = 15;
constexpr int kLatinCapital = 16;
constexpr int kRussianSmall = 17;    // а..я, then ё: 33 symbols
constexpr int kRussianCapital = 50;  // А..Я, then Ё
constexpr int kTypographic = 83;
constexpr int kOther = 84;
static_assert(kOther + 1 == kSymbolCount);

// „ … “ ” – — « » № in Windows-1251.
constexpr std::string_view kTypographicBytes = "\x84\x85\x93\x94\x96\x97\xAB\xBB\xB9";

// Add-k smoothing: a pair never counted is possible but costly.
constexpr double kSmoothing = 0.5;

}  // namespace

int SymbolOf(std::uint8_t b) {
  if (b == ' ' || b == '\t') return kBlank;
  if (b == '\r' || b == '\n') return kLineBreak;
  if (b >= '0' && b <= '9') return kDigit;
  if (b >= 'a' && b <= 'z') return kLatinSmall;
  if (b >= 'A' && b <= 'Z') return kLatinCapital;
  if (b >= 0xE0) return kRussianSmall + (b - 0xE0);
  if (b >= 0xC0) return kRussianCapital + (b - 0xC0);
  if (b == 0xB8) return kRussianSmall + 32;
  if (b == 0xA8) return kRussianCapital + 32;
  const char c = static_cast<char>(b);
  if (const std::size_t k = kOwnPunctuation.find(c); k != std::string_view::npos) {
    return 3 + static_cast<int>(k);
  }
  if (b > 32 && b < 127) return kOtherAscii;
  if (kTypographicBytes.find(c) != std::string_view::npos) return kTypographic;
  return kOther;
}

void CountPairs(std::string_view text, PairCounts& counts) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    const int first = SymbolOf(static_cast<std::uint8_t>(text[i - 1]));
    const int second = SymbolOf(static_cast<std::uint8_t>(text[i]));
    ++counts[static_cast<std::size_t>(first * kSymbolCount + second)];
  }
}

double PairScore(std::string_view text, const PairCounts& counts) {
  if (text.empty()) return 0;
  // Log-probabilities once per call: 85 × 85 logarithms cost less than the
  // samples they score.
  std::array<double, kSymbolCount * kSymbolCount> log_probability{};
  for (int row = 0; row < kSymbolCount; ++row) {
    double total = 0;
    for (int col = 0; col < kSymbolCount; ++col) total += counts[row * kSymbolCount + col];
    const double denominator = total + kSmoothing * kSymbolCount;
    for (int col = 0; col < kSymbolCount; ++col) {
      log_probability[row * kSymbolCount + col] =
          std::log((counts[row * kSymbolCount + col] + kSmoothing) / denominator);
    }
  }
  double sum = 0;
  // The first byte is scored as if it followed a blank, so that it counts
  // like the others: a mistaken decoding often differs in a capital there.
  int previous = kBlank;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int current = SymbolOf(static_cast<std::uint8_t>(text[i]));
    sum += log_probability[static_cast<std::size_t>(previous * kSymbolCount + current)];
    previous = current;
  }
  return sum / static_cast<double>(text.size());
}

}  // namespace runemill
