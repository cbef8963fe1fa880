#pragma once

#include <cstddef>
#include <random>

#include "core/screen.h"

namespace runemill {

// Russian text in Windows-1251 with Latin words, punctuation and CR LF line
// breaks every 70 bytes or so.
inline ByteString MixedText(std::size_t size) {
  std::mt19937 random(1251);
  ByteString text;
  text.reserve(size + 80);
  std::size_t line = 0;
  while (text.size() < size) {
    const unsigned kind = random() % 10;
    const std::size_t word = 2 + random() % 9;
    for (std::size_t k = 0; k < word; ++k) {
      text.push_back(kind < 7 ? static_cast<char>(0xE0 + random() % 32)
                              : static_cast<char>('a' + random() % 26));
    }
    line += word + 1;
    if (line > 70) {
      text += "\r\n";
      line = 0;
    } else {
      text.push_back(random() % 8 == 0 ? ',' : ' ');
    }
  }
  text.resize(size);
  return text;
}

}  // namespace runemill
