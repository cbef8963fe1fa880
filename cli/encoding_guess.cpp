#include "encoding_guess.h"

#include <algorithm>
#include <string_view>

#include "core/text_conversion.h"

namespace runemill {
namespace {

constexpr PairCounts kRussianPairCounts = {
#include "cli/russian_letter_pairs.inc"
};

}  // namespace

const PairCounts& RussianPairCounts() { return kRussianPairCounts; }

std::vector<RankedGuess> RankGuesses(std::string_view sample,
                                     const std::vector<GuessCandidate>& candidates) {
  std::vector<RankedGuess> ranked;
  for (const GuessCandidate& candidate : candidates) {
    ByteString output = ConvertText(sample, candidate.table);
    auto same = std::find_if(ranked.begin(), ranked.end(),
                             [&output](const RankedGuess& r) { return r.output == output; });
    if (same != ranked.end()) {
      same->names.push_back(candidate.name);
      continue;
    }
    const double score = PairScore(output, RussianPairCounts());
    ranked.push_back({{candidate.name}, score, std::move(output)});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const RankedGuess& a, const RankedGuess& b) { return a.score > b.score; });
  return ranked;
}

int CountDecidingBytes(std::string_view sample) {
  return static_cast<int>(std::count_if(
      sample.begin(), sample.end(), [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; }));
}

}  // namespace runemill
