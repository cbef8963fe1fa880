#pragma once

// Russian prose from the Debian package fortunes-ru: most of it for the
// letter-pair statistics of the encoding guess, and a few files held out of
// them, from which the guess is measured on text it has not seen.

#include <string>
#include <string_view>
#include <vector>

namespace runemill {

inline constexpr std::string_view kFortunesDir = "/usr/share/games/fortunes/ru";
// Files of the package never counted into the statistics.
inline const std::vector<std::string> kHeldOutFortunes = {"book", "life", "truth"};

enum class FortuneSet { kCounted, kHeldOut };

// The UTF-8 text of the set's files in name order, without the "%" lines that
// separate fortunes. Empty when the package is missing.
std::string ReadFortunes(FortuneSet set);

}  // namespace runemill
