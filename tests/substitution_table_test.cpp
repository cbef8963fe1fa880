#include "core/substitution_table.h"

#include <gtest/gtest.h>

#include "core/text_conversion.h"
#include "screen_stand_in.h"

namespace runemill {
namespace {

class SubstitutionTableTest : public ::testing::Test {
 protected:
  void SetUp() override { stand_in::Reset(); }
  stand_in::Screen& screen() { return stand_in::TheScreen(); }
  const ByteString& entry(int b) { return ProgramTable().GetEntry(static_cast<std::uint8_t>(b)); }
};

ByteString Byte(int b) { return ByteString(1, static_cast<char>(b)); }

// The expected entry b after each preset applied on top of a table in which
// every entry holds "#".
struct PresetCase {
  ResetMode mode;
  ByteString (*expected)(int b);
};

TEST_F(SubstitutionTableTest, PresetsWriteExactlyTheirEntriesAndShowThemInTheCells) {
  const PresetCase cases[] = {
      {ResetMode::kIdentity,
       [](int b) { return b == 0 ? ByteString("{0}") : b == 32 ? ByteString(" ") : Byte(b); }},
      {ResetMode::kBlankControlCodes,
       [](int b) { return b == 0 ? ByteString("{0}") : b <= 32 ? ByteString(" ") : ByteString("#"); }},
      {ResetMode::kBlankControlCodesButBreaks,
       [](int b) {
         if (b == 0) return ByteString("{0}");
         if (b == 9 || b == 10 || b == 13) return Byte(b);
         return b <= 32 ? ByteString(" ") : ByteString("#");
       }},
  };
  for (const PresetCase& c : cases) {
    for (int b = 0; b < 256; ++b) {
      ProgramTable().SetEntry(static_cast<std::uint8_t>(b), "#");
      screen().fields[b] = "#";
    }
    ResetTable(c.mode);
    for (int b = 0; b < 256; ++b) {
      EXPECT_EQ(entry(b), c.expected(b)) << "mode " << static_cast<int>(c.mode) << ", entry " << b;
      EXPECT_EQ(screen().fields[b], entry(b)) << "mode " << static_cast<int>(c.mode) << ", cell " << b;
    }
  }
}

TEST_F(SubstitutionTableTest, ConversionUnderEachPreset) {
  const ByteString source = "a\tb\r\nc\x01\xFF";
  const struct {
    ResetMode mode;
    ByteString result;
  } cases[] = {
      {ResetMode::kIdentity, source},
      {ResetMode::kBlankControlCodes, "a b  c \xFF"},
      {ResetMode::kBlankControlCodesButBreaks, "a\tb\r\nc \xFF"},
  };
  for (const auto& c : cases) {
    ResetTable(ResetMode::kIdentity);
    ResetTable(c.mode);
    EXPECT_EQ(ConvertText(source, ProgramTable()), c.result) << static_cast<int>(c.mode);
  }
}

TEST_F(SubstitutionTableTest, BlankingPresetsKeepUserEntriesAboveTheSpace) {
  for (ResetMode mode : {ResetMode::kBlankControlCodes, ResetMode::kBlankControlCodesButBreaks}) {
    ResetTable(ResetMode::kIdentity);
    ProgramTable().SetEntry('A', "XY");
    ProgramTable().SetEntry(' ', "_");
    ResetTable(mode);
    EXPECT_EQ(entry('A'), "XY");
    EXPECT_EQ(entry(' '), " ");
  }
}

TEST_F(SubstitutionTableTest, CellEditsReachTheTableForCells1To255Only) {
  ResetTable(ResetMode::kIdentity);
  const struct {
    ControlId id;
    ByteString typed;
    bool taken;
  } cases[] = {
      {65, "XY", true},   {65, "", true},      {255, " \r\n ", true},
      {0, "zz", false},   {kSourcePane, "s", false}, {kResultPane, "r", false},
  };
  for (const auto& c : cases) {
    screen().fields[c.id] = c.typed;
    EXPECT_EQ(TakeCellEdit(c.id), c.taken) << c.id;
    if (c.taken) {
      EXPECT_EQ(entry(c.id), c.typed) << c.id;
    }
  }
  EXPECT_EQ(entry(0), "{0}");
}

TEST_F(SubstitutionTableTest, OneCharacterStringOfZeroIsEmpty) {
  EXPECT_EQ(OneCharacterString(0), "");
  EXPECT_EQ(OneCharacterString(200), "\xC8");
}

}  // namespace
}  // namespace runemill
