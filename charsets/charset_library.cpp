#include "charsets/charset_library.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace runemill {
namespace {

// Table 4 of GOST 7.79-2000, system B. A byte table cannot look at the next
// letter, so Ц is always "cz", the form the standard uses except before e, i,
// y and j; capitals are given as at the start of a word ("Zh").
struct Letter {
  std::string_view capital;  // UTF-8
  std::string_view small;    // UTF-8
  std::string_view latin;    // as for the capital; the small letter takes it in small letters
};

constexpr Letter kSharedLetters[] = {
    {"А", "а", "A"}, {"Б", "б", "B"},  {"В", "в", "V"},  {"Г", "г", "G"},  {"Д", "д", "D"},
    {"Е", "е", "E"}, {"Ж", "ж", "Zh"}, {"З", "з", "Z"},  {"Й", "й", "J"},  {"К", "к", "K"},
    {"Л", "л", "L"}, {"М", "м", "M"},  {"Н", "н", "N"},  {"О", "о", "O"},  {"П", "п", "P"},
    {"Р", "р", "R"}, {"С", "с", "S"},  {"Т", "т", "T"},  {"У", "у", "U"},  {"Ф", "ф", "F"},
    {"Х", "х", "X"}, {"Ц", "ц", "Cz"}, {"Ч", "ч", "Ch"}, {"Ш", "ш", "Sh"}, {"Щ", "щ", "Shh"},
    {"Ь", "ь", "`"}, {"Ю", "ю", "Yu"}, {"Я", "я", "Ya"},
};

constexpr Letter kRussianLetters[] = {
    {"Ё", "ё", "Yo"}, {"И", "и", "I"}, {"Ъ", "ъ", "``"}, {"Ы", "ы", "Y`"}, {"Э", "э", "E`"},
};

// The apostrophe has no small form; it is listed as both.
constexpr Letter kUkrainianLetters[] = {
    {"Ґ", "ґ", "G`"}, {"Є", "є", "Ye"}, {"И", "и", "Y`"},
    {"І", "і", "I"},  {"Ї", "ї", "Yi"}, {"’", "’", "'"},
};

constexpr std::string_view kZeroEntry = "{0}";

std::uint8_t Windows1251Byte(std::string_view utf8) {
  const std::optional<std::string> byte = Iconv(utf8, "UTF-8", kWindows1251.iconv_name);
  if (!byte || byte->size() != 1) {
    std::fprintf(stderr, "runemill: Windows-1251 has no single byte for a letter\n");
    std::abort();
  }
  return static_cast<std::uint8_t>((*byte)[0]);
}

std::string AsciiSmall(std::string_view text) {
  std::string small(text);
  for (char& c : small) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return small;
}

void SetLetters(SubstitutionTable& table, const auto& letters) {
  for (const Letter& letter : letters) {
    table.SetEntry(Windows1251Byte(letter.small), AsciiSmall(letter.latin));
    table.SetEntry(Windows1251Byte(letter.capital), letter.latin);
  }
}

}  // namespace

std::optional<std::string> Iconv(std::string_view text, const char* from, const char* to) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    std::perror("runemill: iconv_open");
    std::abort();
  }
  std::string out(text.size() * 4 + 4, '\0');
  char* in_next = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out_next = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(converter, &in_next, &in_left, &out_next, &out_left);
  iconv_close(converter);
  // A positive count means characters that iconv replaced on its own; the
  // tables want none of those.
  if (result != 0 || in_left != 0) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

std::string RecodingFileName(const Encoding& from, const Encoding& to) {
  return std::string(from.stem) + "-to-" + std::string(to.stem) + ".charset";
}

std::string TransliterationFileName(Language language) {
  return language == Language::kRussian ? "translit-ru-gost-7.79-b.charset"
                                        : "translit-uk-gost-7.79-b.charset";
}

SubstitutionTable RecodingTable(const Encoding& from, const Encoding& to) {
  SubstitutionTable table;
  table.SetEntry(0, kZeroEntry);
  for (int b = 1; b < kCellCount; ++b) {
    const char byte = static_cast<char>(b);
    const std::optional<std::string> converted =
        Iconv(std::string_view(&byte, 1), from.iconv_name, to.iconv_name);
    table.SetEntry(static_cast<std::uint8_t>(b),
                   converted && converted->size() == 1 && (*converted)[0] != '\0'
                       ? std::string_view(*converted)
                       : kNoCounterpart);
  }
  return table;
}

SubstitutionTable TransliterationTable(Language language) {
  SubstitutionTable table;
  table.SetEntry(0, kZeroEntry);
  for (int b = 1; b < kCellCount; ++b) {
    const char byte = static_cast<char>(b);
    table.SetEntry(static_cast<std::uint8_t>(b), std::string_view(&byte, 1));
  }
  SetLetters(table, kSharedLetters);
  if (language == Language::kRussian) {
    SetLetters(table, kRussianLetters);
  } else {
    SetLetters(table, kUkrainianLetters);
  }
  return table;
}

std::vector<LibraryTable> BuildCharsetLibrary() {
  std::vector<LibraryTable> library;
  for (const Encoding& encoding : kMistakenEncodings) {
    library.push_back(
        {RecodingFileName(encoding, kWindows1251), RecodingTable(encoding, kWindows1251)});
  }
  for (const Encoding& encoding : kMistakenEncodings) {
    library.push_back(
        {RecodingFileName(kWindows1251, encoding), RecodingTable(kWindows1251, encoding)});
  }
  for (const Language language : {Language::kRussian, Language::kUkrainian}) {
    library.push_back({TransliterationFileName(language), TransliterationTable(language)});
  }
  return library;
}

}  // namespace runemill
