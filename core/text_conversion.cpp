#include "text_conversion.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace runemill {

ByteString ConvertText(std::string_view text, const SubstitutionTable& table) {
  std::array<std::size_t, 256> length{};
  bool one_byte_each = true;
  for (int b = 0; b < 256; ++b) {
    length[b] = table.GetEntry(static_cast<std::uint8_t>(b)).size();
    if (length[b] != 1) one_byte_each = false;
  }
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();

  if (one_byte_each) {
    std::array<char, 256> map;
    for (int b = 0; b < 256; ++b) map[b] = table.GetEntry(static_cast<std::uint8_t>(b))[0];
    ByteString out(n, '\0');
    char* dst = out.data();
    for (std::size_t i = 0; i < n; ++i) dst[i] = map[in[i]];
    return out;
  }

  // The output is sized exactly before anything is written into it.
  std::size_t total = 0;
  for (std::size_t i = 0; i < n; ++i) total += length[in[i]];
  ByteString out(total, '\0');
  char* dst = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    const ByteString& entry = table.GetEntry(in[i]);
    std::memcpy(dst, entry.data(), entry.size());
    dst += entry.size();
  }
  return out;
}

void ApplyTable() {
  SetFieldText(kResultPane, ConvertText(GetFieldText(kSourcePane), ProgramTable()));
}

}  // namespace runemill
