#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/screen.h"
#include "core/substitution_table.h"
#include "letter_pairs.h"

namespace runemill {

// The statistics that ship with the program: Russian prose.
const PairCounts& RussianPairCounts();

struct GuessCandidate {
  std::string name;
  SubstitutionTable table;
};

struct RankedGuess {
  std::vector<std::string> names;  // candidates whose output is the same
  double score;
  ByteString output;
};

// The candidates' outputs for sample, best first; candidates with the same
// output share one place, in the order given.
std::vector<RankedGuess> RankGuesses(std::string_view sample,
                                     const std::vector<GuessCandidate>& candidates);

// Below this many bytes of 128 or more, which are where the 8-bit Cyrillic
// encodings differ, a sample is too short to tell them apart.
inline constexpr int kMinDecidingBytes = 12;
int CountDecidingBytes(std::string_view sample);

}  // namespace runemill
