#include "ui/event_loop.h"

#include <gtest/gtest.h>

#include "core/substitution_table.h"
#include "screen_stand_in.h"

namespace runemill {
namespace {


class EventLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
  }
  stand_in::Screen& screen() { return stand_in::TheScreen(); }
  ByteString& field(ControlId id) { return screen().fields[id]; }
  int conversions() { return screen().set_count[kResultPane]; }
};

TEST_F(EventLoopTest, TypingInTheSourcePaneConvertsOncePerEvent) {
  ProgramTable().SetEntry('a', "A");
  stand_in::UserSetsText(kSourcePane, "banana");
  EXPECT_EQ(RunTurn(WindowEvent(screen().events.front())), TurnOutcome::kContinue);
  EXPECT_EQ(field(kResultPane), "bAnAnA");
  EXPECT_EQ(conversions(), 1);
}

TEST_F(EventLoopTest, ACellEditBecomesItsEntryAndConvertsTwice) {
  field(kSourcePane) = "ABBA";
  stand_in::UserSetsText(65, "XY");
  RunPendingTurns();
  EXPECT_EQ(ProgramTable().GetEntry(65), "XY");
  EXPECT_EQ(field(kResultPane), "XYBBXY");
  EXPECT_EQ(conversions(), 2);

  stand_in::UserSetsText(65, "");
  RunPendingTurns();
  EXPECT_EQ(field(kResultPane), "BB");
}

TEST_F(EventLoopTest, AnEditOfCell0ConvertsButLeavesTheTable) {
  field(kSourcePane) = "q";
  stand_in::UserSetsText(0, "zero");
  RunPendingTurns();
  EXPECT_EQ(ProgramTable().GetEntry(0), "{0}");
  EXPECT_EQ(field(0), "zero");
  EXPECT_EQ(conversions(), 1);
}

TEST_F(EventLoopTest, FieldEventsOfAnyKindConvertExceptThoseOfTheResultPane) {
  field(kSourcePane) = "abc";
  const struct {
    ControlId id;
    FieldEventKind kind;
    int conversions;
  } cases[] = {
      {kSourcePane, FieldEventKind::kFocusGained, 1}, {kSourcePane, FieldEventKind::kFocusLost, 1},
      {17, FieldEventKind::kFocusGained, 1},          {0, FieldEventKind::kFocusLost, 1},
      {kResultPane, FieldEventKind::kTextChanged, 0}, {kResultPane, FieldEventKind::kFocusGained, 0},
  };
  for (const auto& c : cases) {
    screen().set_count[kResultPane] = 0;
    field(kResultPane) = "user's own text";
    RunTurn(FieldEvent(c.id, c.kind));
    EXPECT_EQ(conversions(), c.conversions) << c.id;
    EXPECT_EQ(field(kResultPane), c.conversions ? "abc" : "user's own text") << c.id;
  }
}

TEST_F(EventLoopTest, ResetCommandsWriteTheirPresetAndConvert) {
  field(kSourcePane) = "a\tb\r\n";
  const struct {
    Command command;
    ByteString result;
  } cases[] = {
      {Command::kResetBlankControlCodes, "a b  "},
      {Command::kResetBlankControlCodesButBreaks, "a\tb\r\n"},
      {Command::kResetIdentity, "a\tb\r\n"},
  };
  for (const auto& c : cases) {
    ResetTable(ResetMode::kIdentity);
    ProgramTable().SetEntry('a', "Z");
    EXPECT_EQ(RunTurn(CommandEvent(c.command)), TurnOutcome::kContinue);
    const ByteString expected_a = c.command == Command::kResetIdentity ? "a" : "Z";
    EXPECT_EQ(field(kResultPane), expected_a + c.result.substr(1)) << static_cast<int>(c.command);
    EXPECT_EQ(field(0), "{0}");
  }
}

TEST_F(EventLoopTest, ExitCloseAndEscapeEndTheLoopAfterTheTurn) {
  EXPECT_EQ(RunTurn(CommandEvent(Command::kExit)), TurnOutcome::kQuit);
  EXPECT_EQ(RunTurn(stand_in::CloseEvent()), TurnOutcome::kQuit);

  // Escape during a command's turn: the command is still carried out.
  ProgramTable().SetEntry('a', "Z");
  field(kSourcePane) = "a";
  screen().escape_pressed = true;
  EXPECT_EQ(RunTurn(CommandEvent(Command::kResetIdentity)), TurnOutcome::kQuit);
  EXPECT_EQ(field(kResultPane), "a");

  // The press is taken once.
  EXPECT_EQ(RunTurn(stand_in::OtherEvent()), TurnOutcome::kContinue);
}

TEST_F(EventLoopTest, RunEventLoopStopsAtExitAndLeavesTheRestQueued) {
  screen().events = {FieldEvent(kSourcePane, FieldEventKind::kFocusGained),
                     CommandEvent(Command::kExit),
                     FieldEvent(kSourcePane, FieldEventKind::kFocusLost)};
  RunEventLoop();
  EXPECT_EQ(screen().events.size(), 1u);
  EXPECT_EQ(conversions(), 1);
}

TEST_F(EventLoopTest, EditCommandsActOnTheFocusedFieldButNotOnCell0) {
  field(kSourcePane) = "source";
  field(65) = "A";
  field(0) = "{0}";
  screen().clipboard = "XY";

  // Ctrl+V into cell 65 with its text selected: the whole new text becomes the entry.
  screen().focused = 65;
  RunTurn(CommandEvent(Command::kSelectAll));
  RunTurn(CommandEvent(Command::kPaste));
  RunPendingTurns();
  EXPECT_EQ(ProgramTable().GetEntry(65), "XY");

  for (Command command : {Command::kSelectAll, Command::kCut, Command::kPaste, Command::kCopy}) {
    screen().focused = 0;
    RunTurn(CommandEvent(command));
    screen().focused = -1;
    RunTurn(CommandEvent(command));
  }
  EXPECT_EQ(field(0), "{0}");
  EXPECT_TRUE(screen().events.empty());
  EXPECT_EQ(screen().clipboard, "XY");

  // Cut from the source pane raises an edit, which converts in a later turn.
  screen().focused = kSourcePane;
  RunTurn(CommandEvent(Command::kSelectAll));
  RunTurn(CommandEvent(Command::kCut));
  EXPECT_EQ(screen().clipboard, "source");
  RunPendingTurns();
  EXPECT_EQ(field(kResultPane), "");
}

}  // namespace
}  // namespace runemill
