// Writes the samples that the encoding guess is measured on, as files
// DIR/ENCODING-SIZE-K, for SIZE 50, 200 and 1000 and K from 0 to COUNT - 1;
// DIR/cp1251-SIZE-K is the right decoding of every DIR/*-SIZE-K.
// Usage: make_guess_samples DIR COUNT

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "guess_samples.h"

int main(int argc, char** argv) {
  using namespace runemill;
  if (argc != 3) {
    std::cerr << "usage: make_guess_samples DIR COUNT\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const std::size_t count = std::strtoul(argv[2], nullptr, 10);
  std::filesystem::create_directories(dir);
  for (std::size_t size : {50, 200, 1000}) {
    const std::vector<GuessSample> samples = MakeGuessSamples(size, count);
    if (samples.empty()) {
      std::cerr << "make_guess_samples: no held-out text (install the package fortunes-ru)\n";
      return 1;
    }
    for (std::size_t k = 0; k < samples.size(); ++k) {
      for (std::size_t e = 0; e < SampleEncodings().size(); ++e) {
        const std::string name =
            SampleEncodings()[e].name + "-" + std::to_string(size) + "-" + std::to_string(k);
        std::ofstream(dir / name, std::ios::binary) << samples[k].encoded[e];
      }
    }
  }
  return 0;
}
