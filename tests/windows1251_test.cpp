#include "core/windows1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace runemill {
namespace {

// glibc's own CP1251 converter is the reference for every assigned byte.
char16_t IconvDecode(unsigned char byte) {
  iconv_t cd = iconv_open("UTF-16LE", "CP1251");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[4] = {};
  char* in_ptr = in;
  char* out_ptr = reinterpret_cast<char*>(out);
  size_t in_left = 1, out_left = sizeof out;
  const size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return 0;
  return static_cast<char16_t>(out[0] | (out[1] << 8));
}

TEST(Windows1251, EveryAssignedByteDecodesAsIconvDoes) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;
    EXPECT_EQ(Windows1251ToUnicode(static_cast<std::uint8_t>(b)), IconvDecode(static_cast<unsigned char>(b)))
        << "byte " << b;
  }
}

TEST(Windows1251, EveryByteRoundTripsIncludingTheUnassignedOne) {
  EXPECT_EQ(Windows1251ToUnicode(0x98), u'\u0098');
  for (int b = 1; b < 256; ++b) {
    EXPECT_EQ(UnicodeToWindows1251(Windows1251ToUnicode(static_cast<std::uint8_t>(b))), b)
        << "byte " << b;
  }
}

TEST(Windows1251, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  for (char16_t unit : {u'\0', u'\u00E9', u'\u20BD', u'\u4E2D', u'\u0080', u'\uFFFD'}) {
    EXPECT_EQ(UnicodeToWindows1251(unit), '?') << static_cast<int>(unit);
  }
}

TEST(Windows1251, Utf8BothWays) {
  const std::string cp1251 = "\xCE\xF8\xE8\xE1\xEA\xE0 \xB9 5";  // "Ошибка № 5"
  EXPECT_EQ(Windows1251FromUtf8("Ошибка № 5"), cp1251);
  EXPECT_EQ(Utf8FromWindows1251(cp1251), "Ошибка № 5");
  EXPECT_EQ(Windows1251FromUtf8("a€😀b"), "a\x88?b");
}

}  // namespace
}  // namespace runemill
