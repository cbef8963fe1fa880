#include "screen_stand_in.h"

#include "core/substitution_table.h"

namespace runemill {
namespace stand_in {

Screen& TheScreen() {
  static Screen screen;
  return screen;
}

void Reset() {
  TheScreen() = Screen();
  ProgramTable() = SubstitutionTable();
}

void UserSetsText(ControlId id, std::string_view text) {
  Screen& s = TheScreen();
  s.fields[id].assign(text);
  s.whole_text_selected[id] = false;
  s.events.push_back(FieldEvent(id, FieldEventKind::kTextChanged));
}

WindowEvent CloseEvent() {
  WindowEvent e;
  e.kind = EventKind::kClose;
  return e;
}

WindowEvent OtherEvent() { return WindowEvent(); }

namespace {

std::string TakeAnswer(std::deque<std::string>& answers) {
  if (answers.empty()) return {};
  std::string answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace
}  // namespace stand_in

using stand_in::TheScreen;

void SetFieldText(ControlId id, std::string_view text) {
  TheScreen().fields[id].assign(text);
  TheScreen().whole_text_selected[id] = false;
  ++TheScreen().set_count[id];
}

ByteString GetFieldText(ControlId id) { return TheScreen().fields[id]; }

std::string AskSavePath(std::string_view title, std::string_view default_path,
                        std::string_view type_pattern, int pattern_index) {
  TheScreen().dialogs.push_back({"AskSavePath", std::string(title), std::string(default_path),
                                 std::string(type_pattern), pattern_index});
  return stand_in::TakeAnswer(TheScreen().save_answers);
}

std::string AskOpenPath(std::string_view title, std::string_view default_path,
                        std::string_view type_pattern, int pattern_index) {
  TheScreen().dialogs.push_back({"AskOpenPath", std::string(title), std::string(default_path),
                                 std::string(type_pattern), pattern_index});
  return stand_in::TakeAnswer(TheScreen().open_answers);
}

ByteString AskText(std::string_view title, std::string_view prompt,
                   std::string_view default_text) {
  TheScreen().dialogs.push_back(
      {"AskText", std::string(title), std::string(prompt), std::string(default_text), -1});
  return stand_in::TakeAnswer(TheScreen().text_answers);
}

void ShowMessage(std::string_view title, std::string_view text) {
  TheScreen().messages.push_back({std::string(title), std::string(text)});
}

WindowEvent WaitForEvent() {
  // A test that lets the loop wait past its script would hang; closing the
  // window ends the loop instead.
  if (TheScreen().events.empty()) return stand_in::CloseEvent();
  WindowEvent e = TheScreen().events.front();
  TheScreen().events.pop_front();
  return e;
}

std::optional<WindowEvent> PollEvent() {
  if (TheScreen().events.empty()) return std::nullopt;
  return WaitForEvent();
}

bool TakeEscapePress() {
  const bool pressed = TheScreen().escape_pressed;
  TheScreen().escape_pressed = false;
  return pressed;
}

ControlId FocusedControlId() { return TheScreen().focused; }

void EditField(ControlId id, EditOperation operation) {
  stand_in::Screen& s = TheScreen();
  ByteString& text = s.fields[id];
  switch (operation) {
    case EditOperation::kSelectAll:
      s.whole_text_selected[id] = true;
      return;
    case EditOperation::kCopy:
      if (s.whole_text_selected[id]) s.clipboard = text;
      return;
    case EditOperation::kCut:
      if (!s.whole_text_selected[id]) return;
      s.clipboard = text;
      stand_in::UserSetsText(id, "");
      return;
    case EditOperation::kPaste:
      stand_in::UserSetsText(id, s.whole_text_selected[id] ? s.clipboard : text + s.clipboard);
      return;
  }
}

}  // namespace runemill
