#pragma once

// Samples of Russian prose in each 8-bit Cyrillic encoding, for measuring the
// encoding guess: windows of the text held out of its statistics, cut at the
// same places in every encoding, so that the Windows-1251 window is the right
// decoding of all the others.

#include <cstddef>
#include <string>
#include <vector>

namespace runemill {

struct SampleEncoding {
  std::string name;  // as the shipped tables name it
  const char* iconv_name;
};

// The five encodings that the shipped tables fix, then Windows-1251 itself.
const std::vector<SampleEncoding>& SampleEncodings();

struct GuessSample {
  std::vector<std::string> encoded;  // one per SampleEncodings(), same order
  std::string cp1251;                // the right decoding
};

// count windows of size bytes each, the same on every call. Each starts after a
// blank or line break and holds at least size / 4 Russian letters. Empty when
// the held-out text is missing.
std::vector<GuessSample> MakeGuessSamples(std::size_t size, std::size_t count);

}  // namespace runemill
