#include "layout_presets.h"

#include "substitution_table.h"
#include "text_conversion.h"

namespace runemill {
namespace {

constexpr std::array<LayoutPair, 256> kLayoutPairs = [] {
  std::array<LayoutPair, 256> pairs{};
  for (int i = 0; i < 256; ++i) {
    pairs[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)};
  }
  // Byte 0 never occurs in a text; its record puts a visible brace in entry 0.
  pairs[0x00].to = 0x7B;
  constexpr std::uint8_t kKeyboardRow[] = {
      0xDE,                                                                    // ` Ю
      0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4, 0xC3, 0xD5, 0xC8, 0xC9, 0xCA, 0xCB,  // a..l
      0xCC, 0xCD, 0xCE, 0xCF, 0xDF, 0xD0, 0xD1, 0xD2, 0xD3, 0xC6, 0xC2, 0xDC,  // m..x
      0xDB, 0xC7,                                                              // y z
      0xD8, 0xDD, 0xD9, 0xD7,                                                  // { | } ~
  };
  for (int k = 0; k < static_cast<int>(std::size(kKeyboardRow)); ++k) {
    pairs[0x60 + k].to = kKeyboardRow[k];
  }
  return pairs;
}();

// The capitals outside A..Z and А..Я, each with its small letter, which the
// code page puts at a higher byte value but not at a fixed distance.
struct CaseForms {
  std::uint8_t capital;
  std::uint8_t small;
};
constexpr CaseForms kScatteredCapitals[] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

constexpr std::array<std::uint8_t, 256> kLowerCase = [] {
  std::array<std::uint8_t, 256> lower{};
  for (int b = 0; b < 256; ++b) {
    const bool fixed_distance = (b >= 0x41 && b <= 0x5A) || (b >= 0xC0 && b <= 0xDF);
    lower[b] = static_cast<std::uint8_t>(fixed_distance ? b + 0x20 : b);
  }
  for (const CaseForms& forms : kScatteredCapitals) lower[forms.capital] = forms.small;
  return lower;
}();

}  // namespace

const std::array<LayoutPair, 256>& LayoutPairs() { return kLayoutPairs; }

std::uint8_t LowerCase(std::uint8_t byte) { return kLowerCase[byte]; }

void ApplyLayoutPreset(LayoutCase layout_case) {
  SubstitutionTable& table = ProgramTable();
  for (int i = 0; i < 256; ++i) {
    std::uint8_t from = kLayoutPairs[i].from;
    std::uint8_t to = kLayoutPairs[i].to;
    if (layout_case == LayoutCase::kSmallLetters) {
      from = LowerCase(from);
      to = LowerCase(to);
    }
    table.SetEntry(from, OneCharacterString(to));
    // With small letters, record i may write another entry than i (a capital
    // writes its small letter's); the cell shown is still cell i, so that
    // every cell shows its entry once the loop ends.
    SetFieldText(i, table.GetEntry(static_cast<std::uint8_t>(i)));
  }
  ApplyTable();
}

}  // namespace runemill
