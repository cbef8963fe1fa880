#include "event_loop.h"

#include "core/layout_presets.h"
#include "core/line_splitting.h"
#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "files/charset_file.h"
#include "files/dropped_file_import.h"

namespace runemill {
namespace {

void EditFocusedField(EditOperation operation) {
  // Cell 0 is left out on purpose: its text never reaches the table.
  const ControlId focused = FocusedControlId();
  if (focused > 0) EditField(focused, operation);
}

}  // namespace

TurnOutcome RunCommand(Command command) {
  switch (command) {
    case Command::kSaveCharset:
      SaveCharsetFile();
      break;
    case Command::kLoadCharset:
      LoadCharsetFile();
      break;
    case Command::kExit:
      return TurnOutcome::kQuit;
    case Command::kResetIdentity:
      ResetTable(ResetMode::kIdentity);
      ApplyTable();
      break;
    case Command::kResetBlankControlCodes:
      ResetTable(ResetMode::kBlankControlCodes);
      ApplyTable();
      break;
    case Command::kResetBlankControlCodesButBreaks:
      ResetTable(ResetMode::kBlankControlCodesButBreaks);
      ApplyTable();
      break;
    case Command::kLayoutCapitals:
      ApplyLayoutPreset(LayoutCase::kCapitals);
      break;
    case Command::kLayoutSmallLetters:
      ApplyLayoutPreset(LayoutCase::kSmallLetters);
      break;
    case Command::kSplitIntoLines:
      SplitIntoLines();
      break;
    case Command::kPaste:
      EditFocusedField(EditOperation::kPaste);
      break;
    case Command::kCut:
      EditFocusedField(EditOperation::kCut);
      break;
    case Command::kCopy:
      EditFocusedField(EditOperation::kCopy);
      break;
    case Command::kSelectAll:
      EditFocusedField(EditOperation::kSelectAll);
      break;
  }
  return TurnOutcome::kContinue;
}

TurnOutcome RunTurn(const WindowEvent& event) {
  // The Escape test comes first, but the turn's event is still carried out.
  bool quit = TakeEscapePress();

  if (event.kind == EventKind::kDrop) ImportDroppedFile(event.drop_list);

  const bool field_event = event.kind == EventKind::kField;
  if (field_event && event.field_kind == FieldEventKind::kTextChanged &&
      TakeCellEdit(event.control_id)) {
    ApplyTable();
  }

  switch (event.kind) {
    case EventKind::kCommand:
      if (RunCommand(event.command) == TurnOutcome::kQuit) quit = true;
      break;
    case EventKind::kClose:
      quit = true;
      break;
    case EventKind::kField:
      // Any event of a cell or of the source pane converts; the result pane's
      // own events never do, so the user's edit there stays until the next run.
      if (event.control_id >= 0 && event.control_id <= kSourcePane) ApplyTable();
      break;
    case EventKind::kDrop:
    case EventKind::kOther:
      break;
  }
  return quit ? TurnOutcome::kQuit : TurnOutcome::kContinue;
}

void RunEventLoop() {
  while (RunTurn(WaitForEvent()) == TurnOutcome::kContinue) {
  }
}

TurnOutcome RunPendingTurns() {
  while (std::optional<WindowEvent> event = PollEvent()) {
    if (RunTurn(*event) == TurnOutcome::kQuit) return TurnOutcome::kQuit;
  }
  return TurnOutcome::kContinue;
}

}  // namespace runemill
