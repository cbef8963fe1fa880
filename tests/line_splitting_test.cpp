#include "core/line_splitting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/substitution_table.h"
#include "screen_stand_in.h"

namespace runemill {
namespace {

// The dialog's texts in Windows-1251, byte by byte.
const ByteString kTitle =
    "\xC2\xE2\xE5\xE4\xE8\xF2\xE5 \xE4\xEB\xE8\xED\xF3 \xF2\xE5\xEA\xF1\xF2\xE0";
const ByteString kPrompt = "\xE4\xEB\xE8\xED\xE0 \xF1\xF2\xF0\xEE\xEA\xE8";
const ByteString kErrorTitle = "\xCE\xF8\xE8\xE1\xEA\xE0 \xE2\xE2\xEE\xE4\xE0";
const ByteString kErrorTextStart = "\xC2\xE2\xE5\xE4\xE5\xED\xEE:\n";

// n bytes that differ from their neighbours, Latin and Cyrillic, so that a
// piece taken from the wrong place shows.
ByteString Sample(std::size_t n) {
  ByteString s;
  for (std::size_t i = 0; i < n; ++i) {
    s.push_back(static_cast<char>(i % 2 == 0 ? 'a' + i % 26 : 0xC0 + i % 64));
  }
  return s;
}

ByteString Lines(const std::vector<ByteString>& pieces) {
  ByteString out;
  for (const ByteString& piece : pieces) out += piece + "\r\n";
  return out;
}

class LineSplittingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
    screen().fields[kResultPane] = "stale";
  }
  stand_in::Screen& screen() { return stand_in::TheScreen(); }
};

TEST_F(LineSplittingTest, CutsTheSourceIntoLinesOfTheAnsweredLength) {
  const ByteString s70 = Sample(70);
  const ByteString s65 = Sample(65);
  const ByteString s20 = Sample(20);
  const ByteString s13 = Sample(13);
  const struct {
    const char* name;
    ByteString source;
    ByteString answer;
    ByteString expected;
  } cases[] = {
      {"default answer", s70, "0032",
       Lines({s70.substr(0, 32), s70.substr(32, 32), s70.substr(64)})},
      {"empty source", "", "0032", ""},
      {"one byte", "z", "0032", "z\r\n"},
      {"64 bytes", Sample(64), "32", Lines({Sample(64).substr(0, 32), Sample(64).substr(32)})},
      {"65 bytes", s65, "32", Lines({s65.substr(0, 32), s65.substr(32, 32), s65.substr(64)})},
      {"33 bytes", Sample(33), "32", Lines({Sample(33).substr(0, 32), Sample(33).substr(32)})},
      {"N larger than the source", "hello", "100", "hello\r\n"},
      {"N equal to the source", "hello", "5", "hello\r\n"},
      {"N of 1", "abc", "1", "a\r\nb\r\nc\r\n"},
      {"line break cut in two", "ab\r\n", "3", "ab\r\r\n\n\r\n"},
      {"hexadecimal", s20, "$10", Lines({s20.substr(0, 16), s20.substr(16)})},
      {"binary", Sample(10), "%1000", Lines({Sample(10).substr(0, 8), Sample(10).substr(8)})},
      {"leading blanks", Sample(10), "  8", Lines({Sample(10).substr(0, 8), Sample(10).substr(8)})},
      {"trailing letters", s13, "12abc", Lines({s13.substr(0, 12), s13.substr(12)})},
      {"largest 32-bit N", "hello", "2147483647", "hello\r\n"},
      {"low 32 bits of 2^32 + 1", "abc", "4294967297", "a\r\nb\r\nc\r\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    screen().fields[kSourcePane] = c.source;
    screen().text_answers = {c.answer};
    SplitIntoLines();
    EXPECT_EQ(screen().fields[kSourcePane], c.expected) << c.name;
    EXPECT_EQ(screen().fields[kResultPane], c.expected) << c.name;
    EXPECT_TRUE(screen().messages.empty()) << c.name;
  }
}

TEST_F(LineSplittingTest, ConvertsTheNewSourceThroughTheTable) {
  ProgramTable().SetEntry('\r', "");
  ProgramTable().SetEntry('a', "A");
  screen().fields[kSourcePane] = "abab";
  screen().text_answers = {"2"};
  SplitIntoLines();
  EXPECT_EQ(screen().fields[kSourcePane], "ab\r\nab\r\n");
  EXPECT_EQ(screen().fields[kResultPane], "Ab\nAb\n");
}

TEST_F(LineSplittingTest, AsksForTheLengthWithTheDefault0032) {
  screen().fields[kSourcePane] = "x";
  screen().text_answers = {"0032"};
  SplitIntoLines();
  ASSERT_EQ(screen().dialogs.size(), 1u);
  const stand_in::DialogCall& dialog = screen().dialogs[0];
  EXPECT_EQ(dialog.operation, "AskText");
  EXPECT_EQ(dialog.title, kTitle);
  EXPECT_EQ(dialog.second, kPrompt);
  EXPECT_EQ(dialog.third, "0032");
}

// A cancelled dialog, an emptied field, and answers whose length is below 1.
TEST_F(LineSplittingTest, RefusesAnAnswerWithoutAUsableLengthAndChangesNothing) {
  const std::optional<ByteString> answers[] = {
      std::nullopt, "", "0", "-1", "abc", "  ", "-0", "$", "4294967296", "2147483648",
  };
  for (const auto& answer : answers) {
    SetUp();
    const ByteString shown = answer.value_or("");
    screen().fields[kSourcePane] = "some text";
    if (answer) screen().text_answers = {*answer};
    SplitIntoLines();
    SCOPED_TRACE(answer ? '"' + *answer + '"' : std::string("cancelled"));
    ASSERT_EQ(screen().messages.size(), 1u);
    EXPECT_EQ(screen().messages[0].title, kErrorTitle);
    EXPECT_EQ(screen().messages[0].text, kErrorTextStart + shown);
    EXPECT_EQ(screen().fields[kSourcePane], "some text");
    EXPECT_EQ(screen().fields[kResultPane], "stale");
    EXPECT_EQ(screen().set_count[kSourcePane], 0);
    EXPECT_EQ(screen().set_count[kResultPane], 0);
  }
}

TEST(CutIntoLines, LengthsNearTheIntegerLimitGiveOneLine) {
  for (std::size_t n : {std::size_t{2147483647}, std::numeric_limits<std::size_t>::max(),
                        std::numeric_limits<std::size_t>::max() - 1}) {
    EXPECT_EQ(CutIntoLines("abc", n), "abc\r\n") << n;
  }
}

// Every length against every text size up to a few lines: the pieces, read
// back between the inserted line breaks, are the text in order, all N bytes
// long but the last, and nothing stands after the last line break.
TEST(CutIntoLines, PiecesReassembleTheText) {
  for (std::size_t size = 0; size <= 40; ++size) {
    const ByteString text = Sample(size);
    for (std::size_t n = 1; n <= 42; ++n) {
      const ByteString out = CutIntoLines(text, n);
      ByteString joined;
      std::size_t pos = 0;
      std::size_t lines = 0;
      while (pos < out.size()) {
        const std::size_t piece = std::min(n, size - joined.size());
        ASSERT_LE(pos + piece + 2, out.size()) << size << "/" << n;
        ASSERT_EQ(out.substr(pos + piece, 2), "\r\n") << size << "/" << n;
        joined += out.substr(pos, piece);
        pos += piece + 2;
        ++lines;
      }
      EXPECT_EQ(joined, text) << size << "/" << n;
      EXPECT_EQ(lines, (size + n - 1) / n) << size << "/" << n;
    }
  }
}

}  // namespace
}  // namespace runemill
