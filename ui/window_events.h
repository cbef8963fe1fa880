#pragma once

// What the event loop needs of the window: its events one at a time, the
// Escape key, the focused field and the fields' editing operations. Defined by
// the Qt window, and by the tests' stand-in.

#include <optional>
#include <string>
#include <utility>

#include "core/screen.h"

namespace runemill {

// The menu commands; 12 is raised by Ctrl+A as well.
enum class Command : int {
  kSaveCharset = 0,
  kLoadCharset = 1,
  kExit = 2,
  kResetIdentity = 3,
  kResetBlankControlCodes = 4,
  kResetBlankControlCodesButBreaks = 5,
  kLayoutCapitals = 6,
  kLayoutSmallLetters = 7,
  kSplitIntoLines = 8,
  kPaste = 9,
  kCut = 10,
  kCopy = 11,
  kSelectAll = 12,
};
inline constexpr int kCommandCount = 13;

enum class EventKind { kCommand, kClose, kDrop, kField, kOther };
enum class FieldEventKind { kTextChanged, kFocusGained, kFocusLost };

struct WindowEvent {
  EventKind kind = EventKind::kOther;
  Command command = Command::kExit;            // kCommand
  std::string drop_list;                       // kDrop: local paths joined by '\n'
  ControlId control_id = -1;                   // kField
  FieldEventKind field_kind = FieldEventKind::kTextChanged;  // kField
};

inline WindowEvent CommandEvent(Command command) {
  WindowEvent event;
  event.kind = EventKind::kCommand;
  event.command = command;
  return event;
}

inline WindowEvent FieldEvent(ControlId id, FieldEventKind kind) {
  WindowEvent event;
  event.kind = EventKind::kField;
  event.control_id = id;
  event.field_kind = kind;
  return event;
}

inline WindowEvent DropEvent(std::string drop_list) {
  WindowEvent event;
  event.kind = EventKind::kDrop;
  event.drop_list = std::move(drop_list);
  return event;
}

// Blocks until the window has an event for the loop.
WindowEvent WaitForEvent();
// The next event if one is ready, after handling what the toolkit has pending;
// never blocks.
std::optional<WindowEvent> PollEvent();

// True once for every press of Escape in the main window since the last call.
bool TakeEscapePress();

// The field that has the keyboard focus, or -1.
ControlId FocusedControlId();

enum class EditOperation { kPaste, kCut, kCopy, kSelectAll };
// Acts on the field's selection and the system clipboard as its own editing
// keys do; paste and cut raise the same field events as typing.
void EditField(ControlId id, EditOperation operation);

}  // namespace runemill
