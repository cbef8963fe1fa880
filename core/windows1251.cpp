#include "windows1251.h"

#include <array>

namespace runemill {
namespace {

// Code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char16_t Decode(std::uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
  return kUpperHalf[byte - 0x80];
}

// Pane texts run to megabytes, so the way back is one look-up per unit.
const std::array<std::uint8_t, 0x10000>& EncodeTable() {
  static const auto table = [] {
    std::array<std::uint8_t, 0x10000> t;
    t.fill('?');
    for (int b = 1; b < 256; ++b) t[Decode(static_cast<std::uint8_t>(b))] = static_cast<std::uint8_t>(b);
    return t;
  }();
  return table;
}

}  // namespace

char16_t Windows1251ToUnicode(std::uint8_t byte) { return Decode(byte); }

std::uint8_t UnicodeToWindows1251(char16_t unit) { return EncodeTable()[unit]; }

std::string Windows1251FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    char32_t code = lead;
    std::size_t length = 1;
    if (lead >= 0xF0) {
      code = lead & 0x07;
      length = 4;
    } else if (lead >= 0xE0) {
      code = lead & 0x0F;
      length = 3;
    } else if (lead >= 0xC0) {
      code = lead & 0x1F;
      length = 2;
    }
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += length;
    out.push_back(static_cast<char>(code > 0xFFFF ? '?' : UnicodeToWindows1251(static_cast<char16_t>(code))));
  }
  return out;
}

std::string Utf8FromWindows1251(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    char16_t code = Decode(static_cast<std::uint8_t>(c));
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace runemill
