#pragma once

// The Windows-1251 code page, both ways. Bytes 1..255 map one-to-one onto
// Unicode; 0x98, which the code page leaves unassigned, maps to U+0098 so that
// every byte survives a trip through the toolkit's Unicode text.

#include <cstdint>
#include <string>
#include <string_view>

namespace runemill {

char16_t Windows1251ToUnicode(std::uint8_t byte);

// The byte of a UTF-16 code unit; '?' for a character the code page lacks and
// for U+0000, since a Windows-1251 text never holds the zero byte.
std::uint8_t UnicodeToWindows1251(char16_t unit);

// For the program's own texts, which are written in UTF-8 in the sources.
std::string Windows1251FromUtf8(std::string_view utf8);
std::string Utf8FromWindows1251(std::string_view bytes);

}  // namespace runemill
