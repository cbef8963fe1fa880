#pragma once

// An in-memory window for the tests: 258 fields, scripted dialog answers, a
// log of the dialogs and messages shown, an event queue, a focus and a
// clipboard. It defines the operations of core/screen.h and ui/window_events.h.

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "core/screen.h"
#include "ui/window_events.h"

namespace runemill::stand_in {

struct DialogCall {
  std::string operation;  // "AskSavePath", "AskOpenPath", "AskText"
  std::string title;
  std::string second;     // default path, or prompt
  std::string third;      // type pattern, or default text
  int pattern_index = -1;
};

struct Message {
  std::string title;
  std::string text;
};

struct Screen {
  std::array<ByteString, kFieldCount> fields;
  std::array<bool, kFieldCount> whole_text_selected{};
  std::array<int, kFieldCount> set_count{};  // SetFieldText calls per field
  std::deque<std::string> save_answers;       // AskSavePath; empty queue answers ""
  std::deque<std::string> open_answers;       // AskOpenPath
  std::deque<std::string> text_answers;       // AskText
  std::vector<DialogCall> dialogs;
  std::vector<Message> messages;
  std::deque<WindowEvent> events;
  bool escape_pressed = false;
  ControlId focused = -1;
  std::string clipboard;
};

// The one stand-in window; Reset() empties it and the program's table.
Screen& TheScreen();
void Reset();

// The user types text into a field: it replaces the field's text and queues a
// text-changed event, as a real field does.
void UserSetsText(ControlId id, std::string_view text);

WindowEvent CloseEvent();
WindowEvent OtherEvent();

}  // namespace runemill::stand_in
