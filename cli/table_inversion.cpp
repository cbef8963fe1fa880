#include "table_inversion.h"

#include <array>

namespace runemill {

TableInversion InvertTable(const SubstitutionTable& table) {
  TableInversion result;
  std::array<std::vector<std::uint8_t>, 256> sources;
  for (int i = 1; i < 256; ++i) {
    const ByteString& entry = table.GetEntry(static_cast<std::uint8_t>(i));
    if (entry.size() != 1) {
      result.not_one_byte.push_back(static_cast<std::uint8_t>(i));
      continue;
    }
    sources[static_cast<std::uint8_t>(entry[0])].push_back(static_cast<std::uint8_t>(i));
  }
  result.inverse.SetEntry(0, "{0}");
  for (int b = 1; b < 256; ++b) {
    const std::vector<std::uint8_t>& from = sources[b];
    result.inverse.SetEntry(
        static_cast<std::uint8_t>(b),
        from.empty() ? ByteString("?") : ByteString(1, static_cast<char>(from[0])));
    if (from.size() > 1) result.shared.push_back({static_cast<std::uint8_t>(b), from});
  }
  return result;
}

}  // namespace runemill
