#include "core/layout_presets.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "core/windows1251.h"
#include "screen_stand_in.h"

namespace runemill {
namespace {

// The records whose to differs from their from, written out as the keyboard
// shows them: from, to, and the small letter of to.
struct MappedRecord {
  int from;
  int to;
  int to_small;
};
constexpr MappedRecord kMappedRecords[] = {
    {0x00, 0x7B, 0x7B}, {0x60, 0xDE, 0xFE}, {0x61, 0xC0, 0xE0}, {0x62, 0xC1, 0xE1},
    {0x63, 0xD6, 0xF6}, {0x64, 0xC4, 0xE4}, {0x65, 0xC5, 0xE5}, {0x66, 0xD4, 0xF4},
    {0x67, 0xC3, 0xE3}, {0x68, 0xD5, 0xF5}, {0x69, 0xC8, 0xE8}, {0x6A, 0xC9, 0xE9},
    {0x6B, 0xCA, 0xEA}, {0x6C, 0xCB, 0xEB}, {0x6D, 0xCC, 0xEC}, {0x6E, 0xCD, 0xED},
    {0x6F, 0xCE, 0xEE}, {0x70, 0xCF, 0xEF}, {0x71, 0xDF, 0xFF}, {0x72, 0xD0, 0xF0},
    {0x73, 0xD1, 0xF1}, {0x74, 0xD2, 0xF2}, {0x75, 0xD3, 0xF3}, {0x76, 0xC6, 0xE6},
    {0x77, 0xC2, 0xE2}, {0x78, 0xDC, 0xFC}, {0x79, 0xDB, 0xFB}, {0x7A, 0xC7, 0xE7},
    {0x7B, 0xD8, 0xF8}, {0x7C, 0xDD, 0xFD}, {0x7D, 0xD9, 0xF9}, {0x7E, 0xD7, 0xF7},
};

// Every capital letter of the code page, with its small letter.
std::map<int, int> CapitalToSmall() {
  std::map<int, int> small = {
      {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
      {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
      {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
  };
  for (int c = 'A'; c <= 'Z'; ++c) small[c] = c - 'A' + 'a';
  for (int c = 0xC0; c <= 0xDF; ++c) small[c] = c + 0x20;
  return small;
}

ByteString Byte(int b) { return ByteString(1, static_cast<char>(b)); }

using Entries = std::vector<ByteString>;

// The table a command leaves behind, given the table before it: command 6
// writes every entry, command 7 leaves the capitals' entries alone.
Entries ExpectedAfter(LayoutCase layout_case, const Entries& before) {
  Entries expected(256);
  for (int b = 0; b < 256; ++b) expected[b] = Byte(b);
  for (const MappedRecord& r : kMappedRecords) {
    expected[r.from] = Byte(layout_case == LayoutCase::kCapitals ? r.to : r.to_small);
  }
  if (layout_case == LayoutCase::kSmallLetters) {
    for (const auto& [capital, small] : CapitalToSmall()) expected[capital] = before[capital];
  }
  return expected;
}

const char* Name(LayoutCase layout_case) {
  return layout_case == LayoutCase::kCapitals ? "6" : "7";
}

class LayoutPresetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
  }
  stand_in::Screen& screen() { return stand_in::TheScreen(); }
  Entries TableNow() {
    Entries entries(256);
    for (int b = 0; b < 256; ++b)
      entries[b] = ProgramTable().GetEntry(static_cast<std::uint8_t>(b));
    return entries;
  }
};

TEST(LayoutPairs, HoldTheKeyboardRecordsInOrder) {
  std::map<int, int> to;
  for (const MappedRecord& r : kMappedRecords) to[r.from] = r.to;
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(LayoutPairs()[i].from, i);
    EXPECT_EQ(LayoutPairs()[i].to, to.contains(i) ? to[i] : i) << "record " << i;
  }
}

TEST(LowerCase, LowersExactlyTheCapitals) {
  const std::map<int, int> small = CapitalToSmall();
  ASSERT_EQ(small.size(), 73u);
  for (int b = 0; b < 256; ++b) {
    const auto it = small.find(b);
    EXPECT_EQ(LowerCase(static_cast<std::uint8_t>(b)), it == small.end() ? b : it->second)
        << "byte " << b;
  }
}

// Each sequence of commands on top of the identity table and on top of a
// table whose entries are all different from any preset. In the latter the
// cells are left stale, so that a command that shows the wrong cells leaves
// some cell out of step with its entry.
TEST_F(LayoutPresetsTest, WriteTheWholeTableAndShowEveryEntryInItsCell) {
  using enum LayoutCase;
  const std::vector<std::vector<LayoutCase>> sequences = {
      {kCapitals},
      {kSmallLetters},
      {kCapitals, kSmallLetters},
      {kSmallLetters, kCapitals},
      {kSmallLetters, kCapitals, kSmallLetters},
  };
  for (const bool user_table : {false, true}) {
    for (const auto& sequence : sequences) {
      stand_in::Reset();
      ResetTable(ResetMode::kIdentity);
      if (user_table) {
        for (int b = 0; b < 256; ++b) {
          ProgramTable().SetEntry(static_cast<std::uint8_t>(b), "<" + std::to_string(b) + ">");
          screen().fields[b] = "stale";
        }
      }
      Entries expected = TableNow();
      std::string trace = user_table ? "user table" : "identity";
      for (LayoutCase layout_case : sequence) {
        ApplyLayoutPreset(layout_case);
        expected = ExpectedAfter(layout_case, expected);
        trace += std::string(", command ") + Name(layout_case);
      }
      SCOPED_TRACE(trace);
      for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(ProgramTable().GetEntry(static_cast<std::uint8_t>(b)), expected[b])
            << "entry " << b;
        EXPECT_EQ(screen().fields[b], expected[b]) << "cell " << b;
      }
      EXPECT_EQ(screen().fields[0], "{");
    }
  }
}

TEST_F(LayoutPresetsTest, RunningACommandTwiceGivesTheSameTable) {
  for (LayoutCase layout_case : {LayoutCase::kCapitals, LayoutCase::kSmallLetters}) {
    ResetTable(ResetMode::kIdentity);
    ProgramTable().SetEntry('Q', "XY");
    ApplyLayoutPreset(layout_case);
    const Entries once = TableNow();
    ApplyLayoutPreset(layout_case);
    EXPECT_EQ(TableNow(), once) << "command " << Name(layout_case);
  }
}

TEST_F(LayoutPresetsTest, UserEntryForACapitalSurvivesSmallLettersOnly) {
  stand_in::UserSetsText('Q', "XY");
  ASSERT_TRUE(TakeCellEdit('Q'));
  screen().fields[kSourcePane] = "Qq";

  ApplyLayoutPreset(LayoutCase::kSmallLetters);
  EXPECT_EQ(screen().fields['Q'], "XY");
  EXPECT_EQ(screen().fields[kResultPane], "XY\xFF");

  ApplyLayoutPreset(LayoutCase::kCapitals);
  EXPECT_EQ(screen().fields['Q'], "Q");
  EXPECT_EQ(screen().fields[kResultPane], "Q\xDF");
}

// The result pane is rewritten after the table, so it shows the new table.
TEST_F(LayoutPresetsTest, ConvertTheSourceThroughTheNewTable) {
  using enum LayoutCase;
  const ByteString source = Windows1251FromUtf8("qwerty QWERTY {`[]|~} Ёж 09");
  const struct {
    std::vector<LayoutCase> commands;
    const char* result_utf8;
  } cases[] = {
      {{kCapitals}, "ЯВЕРТЫ QWERTY ШЮ[]ЭЧЩ Ёж 09"},
      {{kSmallLetters}, "яверты QWERTY шю[]эчщ Ёж 09"},
      {{kCapitals, kSmallLetters}, "яверты QWERTY шю[]эчщ Ёж 09"},
      {{kSmallLetters, kCapitals}, "ЯВЕРТЫ QWERTY ШЮ[]ЭЧЩ Ёж 09"},
  };
  for (const auto& c : cases) {
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
    screen().fields[kSourcePane] = source;
    screen().fields[kResultPane] = "stale";
    for (LayoutCase layout_case : c.commands) ApplyLayoutPreset(layout_case);
    EXPECT_EQ(screen().fields[kResultPane], Windows1251FromUtf8(c.result_utf8)) << c.result_utf8;
    EXPECT_EQ(screen().fields[kSourcePane], source);
  }
}

}  // namespace
}  // namespace runemill
