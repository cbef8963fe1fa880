#pragma once

// The ready tables that ship with the program: re-coding tables for the 8-bit
// Cyrillic encodings that are commonly mistaken for Windows-1251, built from
// glibc's iconv, and transliteration tables into Latin letters.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/substitution_table.h"

namespace runemill {

// An encoding as it appears in a table's file name, and as glibc's iconv
// knows it.
struct Encoding {
  std::string_view stem;
  const char* iconv_name;
};

inline constexpr Encoding kWindows1251 = {"cp1251", "CP1251"};

inline constexpr std::array<Encoding, 5> kMistakenEncodings = {{
    {"koi8-r", "KOI8-R"},
    {"koi8-u", "KOI8-U"},
    {"cp866", "CP866"},
    {"iso-8859-5", "ISO-8859-5"},
    {"mac-cyrillic", "MAC-CYRILLIC"},
}};

// What a table holds for a byte that means no character of the target
// encoding (or none at all in the source encoding).
inline constexpr std::string_view kNoCounterpart = "?";

enum class Language { kRussian, kUkrainian };

struct LibraryTable {
  std::string file_name;
  SubstitutionTable table;
};

// "koi8-r-to-cp1251.charset"
std::string RecodingFileName(const Encoding& from, const Encoding& to);
std::string TransliterationFileName(Language language);

// Entry b is the byte of the character that b means in from, as to writes it,
// or kNoCounterpart. Entry 0 holds "{0}", as after every reset preset, since
// no entry may hold the zero byte.
SubstitutionTable RecodingTable(const Encoding& from, const Encoding& to);

// The letters of the language become their Latin letter combinations; every
// other byte stays itself.
SubstitutionTable TransliterationTable(Language language);

// Every table of the library, in a fixed order: each mistaken encoding to
// Windows-1251, then back, then the transliterations.
std::vector<LibraryTable> BuildCharsetLibrary();

// The text in the encoding to, or nothing when a byte is not valid in from or
// its character has no counterpart in to.
std::optional<std::string> Iconv(std::string_view text, const char* from, const char* to);

}  // namespace runemill
