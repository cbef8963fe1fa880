#include "files/charset_format.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "file_test_helpers.h"

namespace runemill {
namespace {

using Lines = std::vector<std::pair<int, std::string>>;

Lines ReadAll(std::string_view file_bytes) {
  Lines lines;
  ReadCharsetLines(file_bytes, [&lines](std::uint8_t index, std::string_view entry) {
    lines.emplace_back(index, std::string(entry));
  });
  return lines;
}

std::string Printable(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += b >= 32 && b < 127 ? std::string(1, c) : "<" + std::to_string(b) + ">";
  }
  return out;
}

const Lines kSkipped = {};

// One line each; the same line is read alone, ended by CR LF and ended by LF,
// and must give the same in all three.
TEST(ReadCharsetLines, OneLine) {
  const struct {
    std::string line;
    Lines expected;
  } cases[] = {
      {"065=A", {{65, "A"}}},
      {" 65=A", {{65, "A"}}},
      {"  8=A", {{8, "A"}}},
      {"$41=A", {{65, "A"}}},
      {"$FF=x", {{255, "x"}}},
      {"%11=A", {{3, "A"}}},
      {"abc=A", {{0, "A"}}},
      {"abcdefg", {{0, "efg"}}},
      {"1=x", {{1, ""}}},
      {"065=", {{65, ""}}},
      {"065Axyz", {{65, "xyz"}}},
      {"0010=x", {{1, "=x"}}},
      {"065= spaced out ", {{65, " spaced out "}}},
      {"255=x", {{255, "x"}}},
      {"256=x", kSkipped},
      {"300=x", kSkipped},
      {"999=x", kSkipped},
      {"-01=x", kSkipped},
      {"-99=x", kSkipped},
      {"-00=x", {{0, "x"}}},
      {"065=[10]", {{65, "[10]"}}},
      {"065=[13]", {{65, "[13]"}}},
      {"010=[10]", {{10, "\n"}}},
      {"010= [10] ", {{10, "\n"}}},
      {"$0A=[10]", {{10, "\n"}}},
      {" 10=  [10]", {{10, "\n"}}},
      {"010=\t[10]", {{10, "\t[10]"}}},
      {"010=[10]x", {{10, "[10]x"}}},
      {"010=[10", {{10, "[10"}}},
      {"010=[13]", {{10, "[13]"}}},
      {"013=[13]", {{13, "\r"}}},
      {"013=  [13] ", {{13, "\r"}}},
      {"013=[10]", {{13, "[10]"}}},
      {"013= [13]!", {{13, " [13]!"}}},
      {"200=\xC0\xFF\x01", {{200, "\xC0\xFF\x01"}}},
  };
  for (const auto& c : cases) {
    for (const char* ending : {"", "\r\n", "\n"}) {
      EXPECT_EQ(ReadAll(c.line + ending), c.expected)
          << Printable(c.line) << " ended by " << Printable(ending);
    }
  }
}

TEST(ReadCharsetLines, WholeFiles) {
  using namespace std::string_literals;
  const struct {
    const char* name;
    std::string file;
    Lines expected;
  } cases[] = {
      {"empty file", "", {}},
      {"one empty line", "\r\n", {{0, ""}}},
      {"empty lines", "\r\n\r\n", {{0, ""}, {0, ""}}},
      {"mixed endings", "001=a\r\n002=b\n003=c\r004=d", {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}}},
      {"lone CR last", "001=a\r", {{1, "a"}}},
      {"LF then CR is two ends", "001=a\n\r002=b", {{1, "a"}, {0, ""}, {2, "b"}}},
      {"CR before CR LF", "001=a\r\r\n002=b", {{1, "a"}, {0, ""}, {2, "b"}}},
      {"zero byte splits a line",
       "065=ab\0"s
       "066=cd\r\n"s,
       {{65, "ab"}, {66, "cd"}}},
      {"zero byte, then a line end", "065=ab\0\r\n"s, {{65, "ab"}, {0, ""}}},
      {"zero byte alone", "\0"s, {{0, ""}}},
      {"duplicate indexes in file order",
       "065=x\r\n066=y\r\n065=z\r\n",
       {{65, "x"}, {66, "y"}, {65, "z"}}},
      {"out of order, skipped lines between",
       "200=b\n300=no\n-5=no\n001=a\n",
       {{200, "b"}, {1, "a"}}},
      {"a saved entry holding a line break",
       "065=a\r\nb\r\n066=B\r\n",
       {{65, "a"}, {0, ""}, {66, "B"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadAll(c.file), c.expected) << c.name;
}

SubstitutionTable IdentityTable() {
  SubstitutionTable table;
  for (int b = 1; b < 256; ++b) {
    table.SetEntry(static_cast<std::uint8_t>(b), std::string(1, static_cast<char>(b)));
  }
  table.SetEntry(0, "{0}");
  return table;
}

TEST(WriteCharsetText, IdentityTableAsTheFixture) {
  EXPECT_EQ(WriteCharsetText(IdentityTable()), file_test::Fixture("identity.charset"));
}

// Each case changes one entry of the identity table; the file must then be the
// identity fixture with just that line replaced.
TEST(WriteCharsetText, EscapesOnlyALoneLineBreakAtAnyIndex) {
  const struct {
    int index;
    std::string entry;
    std::string line;
  } cases[] = {
      {65, "\n", "065=[10]"},
      {200, "\r", "200=[13]"},
      {13, "\n", "013=[10]"},
      {10, "\r", "010=[13]"},
      {10, "\n\n", "010=\n\n"},
      {13, "\r\n", "013=\r\n"},
      {66, "a\nb", "066=a\nb"},
      {67, " \r", "067= \r"},
      {65, "[10]", "065=[10]"},
      {0, "", "000="},
      {255, "long entry", "255=long entry"},
  };
  const std::string identity = file_test::Fixture("identity.charset");
  for (const auto& c : cases) {
    SubstitutionTable table = IdentityTable();
    table.SetEntry(static_cast<std::uint8_t>(c.index), c.entry);
    std::string expected = identity;
    const std::size_t start = identity.find(c.line.substr(0, 4));
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = identity.find("\r\n", start) + 2;
    expected.replace(start, end - start, c.line + "\r\n");
    EXPECT_EQ(WriteCharsetText(table), expected) << Printable(c.line);
  }
}

TEST(WithCharsetExtension, AppendsUnlessTheLastEightBytesAreTheExtension) {
  const struct {
    std::string typed;
    std::string saved;
  } cases[] = {
      {"a.txt", "a.txt.charset"},
      {"a", "a.charset"},
      {"a.charset", "a.charset"},
      {"a.CHARSET", "a.CHARSET"},
      {"a.Charset", "a.Charset"},
      {"/home/u/a.cHaRsEt", "/home/u/a.cHaRsEt"},
      {".charset", ".charset"},
      {"charset", "charset.charset"},
      {"xcharset", "xcharset.charset"},
      {"a.charse", "a.charse.charset"},
      {"a.charset ", "a.charset .charset"},
      {"a.charset.txt", "a.charset.txt.charset"},
      {"/d.charset/a", "/d.charset/a.charset"},
      // A Cyrillic "с" in place of the Latin one.
      {"a.\xD1\x81harset", "a.\xD1\x81harset.charset"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithCharsetExtension(c.typed), c.saved) << c.typed;
}

}  // namespace
}  // namespace runemill
