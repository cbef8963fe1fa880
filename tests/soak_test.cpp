// Long random use of the real window on the offscreen platform: typing,
// pasting and cutting in every kind of field, every menu command with scripted
// dialog answers, and drops of all sorts of files. After every turn of the
// event loop the cells 1..255 must show their entries and, where the turn
// converted, the result pane must hold the conversion of the source pane.
// At the end the program's own loop must come to an end on a quit request.
//
// RUNEMILL_SOAK_SEED repeats a run; RUNEMILL_SOAK_ACTIONS sets its length.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/number_reading.h"
#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "files/dropped_file_import.h"
#include "ui/event_loop.h"
#include "ui/main_window.h"
#include "ui/window_events.h"

namespace runemill {
namespace {

constexpr long kDefaultActions = 20000;
// Splits with N = 1 triple the source; beyond this the soak empties it again,
// so that every key stroke does not convert megabytes.
constexpr std::size_t kLargeSource = 4 * 1024;

std::string Printable(const std::string& bytes, std::size_t limit = 60) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 32 && c < 127 && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[16];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (bytes.size() > limit) out += "... (" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The charset file as the format describes it, written here without the
// program's own writer.
std::string CharsetFileOf(const SubstitutionTable& table) {
  std::string file;
  for (int i = 0; i < kCellCount; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d=", i);
    const ByteString& entry = table.GetEntry(static_cast<std::uint8_t>(i));
    file += number;
    file += entry == "\n" ? "[10]" : entry == "\r" ? "[13]" : entry;
    file += "\r\n";
  }
  return file;
}

std::string CutPlainly(const std::string& text, std::size_t n) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size(); pos += std::min(n, text.size() - pos)) {
    out += text.substr(pos, n);
    out += "\r\n";
  }
  return out;
}

// What the user answers to the dialog that a command opens.
struct DialogAnswer {
  enum class Kind { kFile, kInput, kMessage } kind;
  enum class Act { kConfirm, kConfirmByEnter, kCancelByReject, kCancelByClose } act;
  QString text;  // a path or the input
};

// Answers the dialogs that appear while a command runs, from a script, and
// records the messages shown. Runs inside the dialogs' own event loops.
class DialogResponder {
 public:
  DialogResponder() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Respond(); });
  }

  void Expect(std::vector<DialogAnswer> answers) {
    script_.assign(answers.begin(), answers.end());
    messages_.clear();
    problem_.clear();
    answered_ = nullptr;
    timer_.start();
  }
  // What went wrong, or an empty string once every answer was used.
  std::string Finish() {
    timer_.stop();
    if (problem_.empty() && !script_.empty()) {
      problem_ = std::to_string(script_.size()) + " scripted dialog(s) never appeared";
    }
    return problem_;
  }
  const std::vector<std::pair<std::string, std::string>>& messages() const { return messages_; }

 private:
  void Respond() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == answered_) return;
    answered_ = modal;
    if (script_.empty()) {
      problem_ = "an unexpected dialog appeared: " + modal->windowTitle().toStdString();
      modal->close();
      return;
    }
    const DialogAnswer answer = script_.front();
    script_.pop_front();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages_.emplace_back(box->windowTitle().toStdString(), box->text().toStdString());
      if (answer.kind != DialogAnswer::Kind::kMessage) problem_ = "a message instead of a dialog";
      box->button(QMessageBox::Ok)->click();
      return;
    }
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      if (answer.kind != DialogAnswer::Kind::kFile) problem_ = "a file dialog out of turn";
      if (answer.act == DialogAnswer::Act::kConfirm ||
          answer.act == DialogAnswer::Act::kConfirmByEnter) {
        files->selectFile(answer.text);
        static_cast<QDialog*>(files)->accept();
        // The dialog stays open when it refuses the name.
        if (files->isVisible()) {
          problem_ = "the file dialog refused " + answer.text.toStdString();
          files->reject();
        }
      } else if (answer.act == DialogAnswer::Act::kCancelByClose) {
        files->close();
      } else {
        files->reject();
      }
      return;
    }
    auto* field = modal->findChild<QLineEdit*>();
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (answer.kind != DialogAnswer::Kind::kInput || field == nullptr || dialog == nullptr) {
      problem_ = "an input dialog out of turn: " + modal->windowTitle().toStdString();
      modal->close();
      return;
    }
    switch (answer.act) {
      case DialogAnswer::Act::kConfirm:
        field->setText(answer.text);
        modal->findChild<QPushButton*>()->click();
        break;
      case DialogAnswer::Act::kConfirmByEnter:
        field->setText(answer.text);
        QTest::keyClick(field, Qt::Key_Return);
        break;
      case DialogAnswer::Act::kCancelByReject:
        QTest::keyClick(field, Qt::Key_Escape);
        break;
      case DialogAnswer::Act::kCancelByClose:
        dialog->close();
        break;
    }
  }

  QTimer timer_;
  std::deque<DialogAnswer> script_;
  std::vector<std::pair<std::string, std::string>> messages_;
  std::string problem_;
  QWidget* answered_ = nullptr;
};

// What a command with a dialog is expected to do, checked after its turn.
struct CommandExpectation {
  Command command = Command::kExit;
  std::string path;  // save and load: the path as it should be used
  bool expect_error = false;
  std::int32_t split_length = 0;  // split: the length, or below 1 for a refusal
  std::string answer;             // split: the answer as typed
};

class Soak {
 public:
  Soak(std::uint64_t seed, long actions) : seed_(seed), actions_(actions), random_(seed) {}

  int Run();

 private:
  // Reports the broken check with what is needed to repeat it, and ends.
  [[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr,
                 "SOAK FAILURE at action %ld of %ld (seed %llu; RUNEMILL_SOAK_SEED=%llu repeats "
                 "it)\n  action: %s\n  %s\n",
                 action_index_, actions_, static_cast<unsigned long long>(seed_),
                 static_cast<unsigned long long>(seed_), action_.c_str(), what.c_str());
    std::fflush(stderr);
    std::_Exit(1);
  }

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }

  QMainWindow* Window() { return static_cast<QMainWindow*>(MainWindowWidget()); }
  QLineEdit* Cell(int byte) { return static_cast<QLineEdit*>(FieldWidget(byte)); }
  QPlainTextEdit* Pane(ControlId id) { return static_cast<QPlainTextEdit*>(FieldWidget(id)); }

  void PrepareFiles();
  ControlId RandomField();
  QString RandomText(int max_length);
  void Focus(ControlId id);

  void Type();
  void PressKey();
  void Click();
  void Select();
  void UseClipboardCommand();
  void Preset();
  void Split();
  void Save();
  void Load();
  void Drop();
  void EmptySource();
  void TriggerMenu(Command command);

  void RunTurns();
  void CheckCells();
  void CheckConverted(const char* after);
  void CheckCommand(const ByteString& source_before, const ByteString& result_before,
                    const SubstitutionTable& table_before);
  void CheckDrop(const std::string& drop_list, const ByteString& source_before,
                 const ByteString& result_before, const std::array<ByteString, kCellCount>& cells);

  std::uint64_t seed_;
  long actions_;
  std::mt19937_64 random_;
  long action_index_ = 0;
  std::string action_;
  QTemporaryDir dir_;
  std::string folder_;
  std::vector<std::string> drop_files_;
  std::vector<std::string> saved_files_;
  std::string unwritable_;
  DialogResponder responder_;
  std::optional<CommandExpectation> pending_;
  std::vector<QAction*> menu_actions_ = std::vector<QAction*>(kCommandCount, nullptr);
  long turns_ = 0;
  long conversions_checked_ = 0;
};

void Soak::PrepareFiles() {
  folder_ = QFile::encodeName(dir_.path()).toStdString();
  const auto path = [this](const char* name) { return folder_ + "/" + name; };
  WriteFileBytes(path("empty"), "");
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary.push_back(static_cast<char>(Between(0, 255)));
  WriteFileBytes(path("binary"), binary);
  WriteFileBytes(path("lines.txt"), "first line\r\nsecond\nthird\rzero\0byte\r\n");
  // Lines, as a long single paragraph costs the panes' layout more than
  // anything the program does.
  std::string lines;
  while (lines.size() < 20000) {
    for (int i = 0; i < 62; ++i) lines.push_back(static_cast<char>(Between('a', 'z')));
    lines += "\r\n";
  }
  WriteFileBytes(path("twenty_k"), lines);
  // Holes only: too large to be taken, and no disk space used.
  for (const auto& [name, size] : {std::pair{"above_limit", kMaxDroppedFileSize + 1},
                                   std::pair{"three_gib", std::int64_t{3} << 30}}) {
    WriteFileBytes(path(name), "");
    if (::truncate(path(name).c_str(), static_cast<off_t>(size)) != 0) Fail("no sparse file");
  }
  QDir(dir_.path()).mkdir("folder");
  drop_files_ = {path("empty"),    path("binary"),      path("lines.txt"),
                 path("twenty_k"), path("above_limit"), path("three_gib"),
                 path("folder"),   path("vanished"),    "/dev/zero"};
  WriteFileBytes(path("garbage.charset"), binary);
  WriteFileBytes(path("lines.charset"), "065=<A>\r\n-01=x\r\n300=y\r\n010= [10] \r\n$FF=ff\r\n");
  saved_files_ = {path("garbage.charset"), path("lines.charset")};
  // A folder that not even root may create a file in.
  unwritable_ = "/sys/runemill-soak.charset";
  if (::access("/sys", F_OK) != 0) unwritable_.clear();
}

ControlId Soak::RandomField() {
  const int pick = Between(1, 100);
  if (pick <= 30) return kSourcePane;
  if (pick <= 40) return kResultPane;
  if (pick <= 45) return 0;
  // Most edits hit the letters and the line breaks, which texts are made of.
  if (pick <= 75) return Between('A', 'z');
  return Between(1, 255);
}

QString Soak::RandomText(int max_length) {
  static const QString kAlphabet = QString::fromUtf8(
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?-+$%{}|~`[]"
      "абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ€№©«»\u00A0\t");
  const int length = Between(0, max_length);
  QString text;
  for (int i = 0; i < length; ++i) {
    const int pick = Between(1, 100);
    if (pick <= 3) {
      text.append(u'\n');
    } else if (pick <= 4) {
      text.append(QChar(static_cast<char16_t>(Between(1, 0x2FFF))));  // anything at all
    } else if (pick <= 5) {
      text.append(QString::fromUtf8("\xF0\x9F\x98\x80"));  // outside the code page and the BMP
    } else {
      text.append(kAlphabet[Between(0, static_cast<int>(kAlphabet.size()) - 1)]);
    }
  }
  return text;
}

void Soak::Focus(ControlId id) {
  if (Chance(50)) {
    FieldWidget(id)->setFocus(Qt::MouseFocusReason);
  } else {
    QTest::mouseClick(id < kCellCount ? FieldWidget(id) : Pane(id)->viewport(), Qt::LeftButton);
  }
}

void Soak::Type() {
  const ControlId id = RandomField();
  const QString text = RandomText(8);
  action_ = "type \"" + text.toStdString() + "\" into field " + std::to_string(id);
  Focus(id);
  RunTurns();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\n') {
      QTest::keyClick(FieldWidget(id), Qt::Key_Return);
    } else if (c == u'\t') {
      QTest::keyClick(FieldWidget(id), Qt::Key_Tab);
    } else if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
      QTest::keyClicks(FieldWidget(id), QString(c));
    } else {
      // Characters without a key of their own arrive as text, as from an
      // input method; a surrogate pair as one character.
      const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      QTest::sendKeyEvent(QTest::Click, FieldWidget(id), Qt::Key_unknown, text.mid(i, length),
                          Qt::NoModifier);
      i += length - 1;
    }
  }
}

void Soak::PressKey() {
  struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
  };
  static const Key kKeys[] = {
      {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
      {Qt::Key_Delete, Qt::NoModifier, "Delete"},
      {Qt::Key_Return, Qt::NoModifier, "Enter"},
      {Qt::Key_Left, Qt::NoModifier, "Left"},
      {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right"},
      {Qt::Key_Home, Qt::ShiftModifier, "Shift+Home"},
      {Qt::Key_End, Qt::NoModifier, "End"},
      {Qt::Key_Tab, Qt::NoModifier, "Tab"},
      {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
      {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
      {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z"},
      {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
      {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
      {Qt::Key_X, Qt::ControlModifier, "Ctrl+X"},
      {Qt::Key_V, Qt::ControlModifier, "Ctrl+V"},
      {Qt::Key_Insert, Qt::ShiftModifier, "Shift+Insert"},
  };
  const Key& key = kKeys[Between(0, static_cast<int>(std::size(kKeys)) - 1)];
  if (Chance(30)) Focus(RandomField());
  RunTurns();
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) target = Window();
  if (key.key == Qt::Key_V || key.key == Qt::Key_Insert) {
    QGuiApplication::clipboard()->setText(RandomText(12));
  }
  action_ = std::string("press ") + key.name + " in field " + std::to_string(FocusedControlId()) +
            " (clipboard \"" + QGuiApplication::clipboard()->text().toStdString() + "\")";
  QTest::keyClick(target, key.key, key.modifiers);
}

void Soak::Click() {
  const ControlId id = RandomField();
  action_ = "click field " + std::to_string(id);
  Focus(id);
}

void Soak::Select() {
  const ControlId id = RandomField();
  Focus(id);
  RunTurns();
  if (id < kCellCount) {
    const int length = static_cast<int>(Cell(id)->text().size());
    const int start = Between(0, length);
    Cell(id)->setSelection(start, Between(0, length - start));
  } else {
    QTextCursor cursor = Pane(id)->textCursor();
    const int length = static_cast<int>(Pane(id)->document()->characterCount()) - 1;
    const int start = Between(0, length);
    cursor.setPosition(start);
    cursor.setPosition(Between(start, length), QTextCursor::KeepAnchor);
    Pane(id)->setTextCursor(cursor);
  }
  action_ = "select part of field " + std::to_string(id);
}

void Soak::TriggerMenu(Command command) {
  QAction* action = menu_actions_[static_cast<int>(command)];
  if (action == nullptr) Fail("no menu item for command " + std::to_string(int(command)));
  action->trigger();
}

void Soak::UseClipboardCommand() {
  static const Command kCommands[] = {Command::kPaste, Command::kCut, Command::kCopy,
                                      Command::kSelectAll};
  const Command command = kCommands[Between(0, 3)];
  if (Chance(40)) Focus(RandomField());
  RunTurns();
  if (command == Command::kPaste) QGuiApplication::clipboard()->setText(RandomText(16));
  action_ = "menu command " + std::to_string(int(command)) + " on field " +
            std::to_string(FocusedControlId()) + " (clipboard \"" +
            QGuiApplication::clipboard()->text().toStdString() + "\")";
  TriggerMenu(command);
}

void Soak::Preset() {
  const Command command = static_cast<Command>(Between(3, 7));
  action_ = "menu command " + std::to_string(int(command));
  TriggerMenu(command);
}

void Soak::Split() {
  static const char* const kAnswers[] = {
      "0032",       "1",          "5",           "$10",
      "%101",       "  8",        "12abc",       "",
      "0",          "-3",         "abc",         "$",
      "2147483647", "4294967297", "-2147483648", "99999999999999999999"};
  DialogAnswer answer{
      DialogAnswer::Kind::kInput, DialogAnswer::Act::kConfirm,
      QString::fromUtf8(kAnswers[Between(0, static_cast<int>(std::size(kAnswers)) - 1)])};
  switch (Between(0, 5)) {
    case 0:
      answer.act = DialogAnswer::Act::kCancelByReject;
      break;
    case 1:
      answer.act = DialogAnswer::Act::kCancelByClose;
      break;
    case 2:
      answer.act = DialogAnswer::Act::kConfirmByEnter;
      break;
    default:
      break;
  }
  const bool cancelled = answer.act == DialogAnswer::Act::kCancelByReject ||
                         answer.act == DialogAnswer::Act::kCancelByClose;
  CommandExpectation expectation;
  expectation.command = Command::kSplitIntoLines;
  expectation.answer = cancelled ? std::string() : answer.text.toStdString();
  expectation.split_length =
      expectation.answer.empty() ? 0 : Low32Bits(ParseNumber(expectation.answer));
  // Room for the answer and a message: growing from one element trips a
  // false -Warray-bounds report of GCC 12 at -O3.
  std::vector<DialogAnswer> script;
  script.reserve(2);
  script.push_back(answer);
  if (expectation.split_length < 1) {
    script.push_back({DialogAnswer::Kind::kMessage, DialogAnswer::Act::kConfirm, {}});
  }
  action_ = "split, answer \"" + answer.text.toStdString() + "\"" + (cancelled ? " cancelled" : "");
  responder_.Expect(script);
  pending_ = expectation;
  TriggerMenu(Command::kSplitIntoLines);
}

void Soak::Save() {
  CommandExpectation expectation;
  expectation.command = Command::kSaveCharset;
  DialogAnswer answer{DialogAnswer::Kind::kFile, DialogAnswer::Act::kConfirm, {}};
  std::vector<DialogAnswer> script;
  const int pick = Between(0, 9);
  if (pick <= 1) {
    answer.act = pick == 0 ? DialogAnswer::Act::kCancelByReject : DialogAnswer::Act::kCancelByClose;
    action_ = "save, cancelled";
  } else if (pick == 2 && !unwritable_.empty()) {
    expectation.path = unwritable_;
    expectation.expect_error = true;
    action_ = "save to " + unwritable_;
  } else {
    static const char* const kNames[] = {"table", "table.charset", "TABLE.CHARSET", "t.txt",
                                         "saved.Charset"};
    const std::string name = kNames[Between(0, 4)];
    expectation.path = folder_ + "/" + name;
    action_ = "save as " + name;
  }
  answer.text = QFile::decodeName(QByteArray::fromStdString(expectation.path));
  script.push_back(answer);
  if (expectation.expect_error) {
    script.push_back({DialogAnswer::Kind::kMessage, DialogAnswer::Act::kConfirm, {}});
  }
  const std::string lower = QString::fromStdString(expectation.path).toLower().toStdString();
  if (!expectation.path.empty() &&
      (lower.size() < 8 || lower.compare(lower.size() - 8, 8, ".charset") != 0)) {
    expectation.path += ".charset";
  }
  if (answer.act != DialogAnswer::Act::kConfirm) expectation.path.clear();
  responder_.Expect(script);
  pending_ = expectation;
  TriggerMenu(Command::kSaveCharset);
}

void Soak::Load() {
  CommandExpectation expectation;
  expectation.command = Command::kLoadCharset;
  DialogAnswer answer{DialogAnswer::Kind::kFile, DialogAnswer::Act::kConfirm, {}};
  const int pick = Between(0, 9);
  if (pick == 0) {
    answer.act = DialogAnswer::Act::kCancelByReject;
    action_ = "load, cancelled";
  } else if (pick <= 2) {
    expectation.path = folder_ + "/missing.charset";
    expectation.expect_error = true;
    action_ = "load a missing file";
  } else {
    expectation.path = saved_files_[Between(0, static_cast<int>(saved_files_.size()) - 1)];
    action_ = "load " + expectation.path;
  }
  answer.text = QFile::decodeName(QByteArray::fromStdString(expectation.path));
  // Room for the answer and a message: growing from one element trips a
  // false -Warray-bounds report of GCC 12 at -O3.
  std::vector<DialogAnswer> script;
  script.reserve(2);
  script.push_back(answer);
  if (expectation.expect_error) {
    script.push_back({DialogAnswer::Kind::kMessage, DialogAnswer::Act::kConfirm, {}});
  }
  responder_.Expect(script);
  pending_ = expectation;
  TriggerMenu(Command::kLoadCharset);
}

void Soak::Drop() {
  std::string list = drop_files_[Between(0, static_cast<int>(drop_files_.size()) - 1)];
  if (Chance(20)) list += "\n" + drop_files_[Between(0, static_cast<int>(drop_files_.size()) - 1)];
  const std::string vanished = folder_ + "/vanished";
  const std::string first = list.substr(0, list.find('\n'));
  // A file that is there when it is dropped and gone, or another, when the
  // drop is read.
  const int change = first == vanished ? Between(0, 2) : -1;
  if (change >= 0) WriteFileBytes(vanished, "here at the drop");
  action_ = "drop " + list;
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : QString::fromStdString(list).split(u'\n')) {
    urls.append(QUrl::fromLocalFile(path));
  }
  data.setUrls(urls);
  static const ControlId kTargets[] = {kSourcePane, kResultPane, 0, 65, 255};
  const ControlId target = kTargets[Between(0, 4)];
  QWidget* receiver = target < kCellCount ? FieldWidget(target) : Pane(target)->viewport();
  QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(receiver, &enter);
  QDropEvent drop(QPointF(4, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                  Qt::NoModifier);
  QApplication::sendEvent(receiver, &drop);
  if (change == 0) std::filesystem::remove(vanished);
  if (change == 1) WriteFileBytes(vanished, "replaced\r\nbefore the read");
  if (change >= 0) action_ += change == 0 ? " (removed before the read)" : " (replaced)";
}

void Soak::EmptySource() {
  action_ = "empty a long source pane: select all, Delete";
  Focus(kSourcePane);
  RunTurns();
  Pane(kSourcePane)->selectAll();
  QTest::keyClick(Pane(kSourcePane), Qt::Key_Delete);
}

void Soak::CheckCells() {
  const SubstitutionTable& table = ProgramTable();
  for (int b = 1; b < kCellCount; ++b) {
    const ByteString shown = GetFieldText(b);
    if (shown != table.GetEntry(static_cast<std::uint8_t>(b))) {
      Fail("cell " + std::to_string(b) + " shows \"" + Printable(shown) + "\" but its entry is \"" +
           Printable(table.GetEntry(static_cast<std::uint8_t>(b))) + "\"");
    }
  }
}

void Soak::CheckConverted(const char* after) {
  const ByteString source = GetFieldText(kSourcePane);
  const ByteString result = GetFieldText(kResultPane);
  const ByteString expected = ConvertText(source, ProgramTable());
  if (result != expected) {
    Fail(std::string("after ") + after + " the result pane holds \"" + Printable(result) +
         "\", not the conversion of the source \"" + Printable(source) + "\", which is \"" +
         Printable(expected) + "\"");
  }
  ++conversions_checked_;
}

void Soak::CheckCommand(const ByteString& source_before, const ByteString& result_before,
                        const SubstitutionTable& table_before) {
  const CommandExpectation expectation = *pending_;
  pending_.reset();
  const std::string problem = responder_.Finish();
  if (!problem.empty()) Fail(problem);
  const auto& messages = responder_.messages();
  const ByteString source = GetFieldText(kSourcePane);
  const ByteString result = GetFieldText(kResultPane);
  const auto expect_one_message = [&](const std::string& title, const std::string& text) {
    if (messages.size() != 1 || messages[0].first != title || messages[0].second != text) {
      Fail("expected the message \"" + title + "\" / \"" + text + "\", saw " +
           std::to_string(messages.size()) + " message(s)" +
           (messages.empty() ? "" : ": \"" + messages[0].second + "\""));
    }
  };
  if (!expectation.expect_error && expectation.command != Command::kSplitIntoLines &&
      !messages.empty()) {
    Fail("unexpected message: " + messages[0].second);
  }
  switch (expectation.command) {
    case Command::kSplitIntoLines:
      if (expectation.split_length < 1) {
        expect_one_message("Ошибка ввода", "Введено:\n" + expectation.answer);
        if (source != source_before || result != result_before)
          Fail("a refused split changed a pane");
      } else {
        if (!messages.empty()) Fail("a split with a good answer showed a message");
        const std::string expected =
            CutPlainly(source_before, static_cast<std::size_t>(expectation.split_length));
        if (source != expected) {
          Fail("the split source is \"" + Printable(source) + "\", expected \"" +
               Printable(expected) + "\"");
        }
        CheckConverted("a split");
      }
      break;
    case Command::kSaveCharset:
      if (source != source_before || result != result_before) Fail("a save changed a pane");
      if (expectation.expect_error) {
        expect_one_message("Ошибка", "Ошибка создания файла\n" + expectation.path);
      } else if (!expectation.path.empty()) {
        if (ReadFileBytes(expectation.path) != CharsetFileOf(ProgramTable())) {
          Fail("the saved file " + expectation.path + " does not hold the table");
        }
        if (std::find(saved_files_.begin(), saved_files_.end(), expectation.path) ==
            saved_files_.end()) {
          saved_files_.push_back(expectation.path);
        }
      }
      for (int b = 0; b < kCellCount; ++b) {
        if (ProgramTable().GetEntry(static_cast<std::uint8_t>(b)) !=
            table_before.GetEntry(static_cast<std::uint8_t>(b))) {
          Fail("a save changed entry " + std::to_string(b));
        }
      }
      break;
    case Command::kLoadCharset:
      if (source != source_before || result != result_before) Fail("a load changed a pane");
      if (expectation.expect_error) {
        expect_one_message("Ошибка", "Ошибка чтения\n" + expectation.path);
      }
      if (expectation.expect_error || expectation.path.empty()) {
        for (int b = 0; b < kCellCount; ++b) {
          if (ProgramTable().GetEntry(static_cast<std::uint8_t>(b)) !=
              table_before.GetEntry(static_cast<std::uint8_t>(b))) {
            Fail("a load that read nothing changed entry " + std::to_string(b));
          }
        }
      }
      break;
    default:
      break;
  }
}

void Soak::CheckDrop(const std::string& drop_list, const ByteString& source_before,
                     const ByteString& result_before,
                     const std::array<ByteString, kCellCount>& cells) {
  const std::string path = drop_list.substr(0, drop_list.find('\n'));
  std::error_code error;
  const bool regular = std::filesystem::is_regular_file(path, error);
  const auto size =
      regular ? static_cast<std::int64_t>(std::filesystem::file_size(path, error)) : 0;
  const ByteString source = GetFieldText(kSourcePane);
  const ByteString result = GetFieldText(kResultPane);
  std::optional<std::string> text;
  if (regular && size <= kMaxDroppedFileSize) {
    text.emplace();
    for (char c : ReadFileBytes(path)) {
      if (c == '\r' || c == '\n') {
        text->push_back(c);
      } else {
        *text += cells[static_cast<unsigned char>(c)];
      }
    }
  }
  if (!text || static_cast<std::int64_t>(text->size()) > kMaxDroppedTextSize) {
    if (source != source_before || result != result_before) Fail("a refused drop changed a pane");
    return;
  }
  const std::string expected = size == 0 ? source_before : *text;
  if (source != expected) {
    Fail("the dropped file came in as \"" + Printable(source) + "\", expected \"" +
         Printable(expected) + "\"");
  }
  CheckConverted("a drop");
}

// Runs the window's pending events one turn at a time, as the program's loop
// does, and checks each turn, and the cells when no event is left.
void Soak::RunTurns() {
  while (std::optional<WindowEvent> event = PollEvent()) {
    ++turns_;
    const ByteString source_before = GetFieldText(kSourcePane);
    const ByteString result_before = GetFieldText(kResultPane);
    std::array<ByteString, kCellCount> cells;
    std::optional<SubstitutionTable> table_before;
    if (event->kind == EventKind::kDrop) {
      for (int b = 0; b < kCellCount; ++b) cells[b] = GetFieldText(b);
    }
    const bool dialog_command =
        event->kind == EventKind::kCommand &&
        (event->command == Command::kSaveCharset || event->command == Command::kLoadCharset ||
         event->command == Command::kSplitIntoLines);
    if (dialog_command) {
      if (!pending_ || pending_->command != event->command) Fail("a dialog command out of script");
      table_before = ProgramTable();
    }
    if (RunTurn(*event) == TurnOutcome::kQuit) Fail("the loop was asked to quit");
    switch (event->kind) {
      case EventKind::kField:
        if (event->control_id <= kSourcePane) CheckConverted("a field event");
        break;
      case EventKind::kCommand:
        if (dialog_command) {
          CheckCommand(source_before, result_before, *table_before);
        } else if (event->command >= Command::kResetIdentity &&
                   event->command <= Command::kLayoutSmallLetters) {
          CheckConverted("a preset");
        }
        break;
      case EventKind::kDrop:
        CheckDrop(event->drop_list, source_before, result_before, cells);
        break;
      case EventKind::kClose:
        Fail("the window was asked to close");
      case EventKind::kOther:
        break;
    }
  }
  if (pending_) Fail("the command never reached the loop");
  // A paste or cut made by a command turn reaches the table in the turn of
  // its own text change, so the cells are compared once the queue is empty.
  CheckCells();
}

int Soak::Run() {
  if (!dir_.isValid()) Fail("no temporary folder");
  std::printf("soak seed %llu, %ld actions (RUNEMILL_SOAK_SEED=%llu repeats the run)\n",
              static_cast<unsigned long long>(seed_), actions_,
              static_cast<unsigned long long>(seed_));
  std::fflush(stdout);
  PrepareFiles();

  ProgramTable();
  CreateMainWindow();
  ResetTable(ResetMode::kIdentity);
  if (!QTest::qWaitForWindowActive(Window())) Fail("the window never became active");
  while (PollEvent()) {
  }
  for (QAction* menu : Window()->menuBar()->actions()) {
    for (QAction* item : menu->menu()->actions()) {
      if (item->isSeparator()) continue;
      item->trigger();
      std::optional<WindowEvent> event = PollEvent();
      if (!event || event->kind != EventKind::kCommand) Fail("a menu item raised no command");
      menu_actions_[static_cast<int>(event->command)] = item;
    }
  }

  const auto start = std::chrono::steady_clock::now();
  for (action_index_ = 1; action_index_ <= actions_; ++action_index_) {
    if (GetFieldText(kSourcePane).size() > kLargeSource) {
      EmptySource();
    } else {
      const int pick = Between(1, 100);
      if (pick <= 30) {
        Type();
      } else if (pick <= 45) {
        PressKey();
      } else if (pick <= 52) {
        Click();
      } else if (pick <= 57) {
        Select();
      } else if (pick <= 68) {
        UseClipboardCommand();
      } else if (pick <= 77) {
        Preset();
      } else if (pick <= 82) {
        Split();
      } else if (pick <= 84) {
        Save();
      } else if (pick <= 86) {
        Load();
      } else {
        Drop();
      }
    }
    RunTurns();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  // The end: one of the three ways to quit, handed to the program's own loop,
  // which must return.
  static const char* const kQuits[] = {"the Exit command", "closing the window", "Escape"};
  const int quit = Between(0, 2);
  action_ = std::string("quit by ") + kQuits[quit];
  if (quit == 0) TriggerMenu(Command::kExit);
  if (quit == 1) Window()->close();
  if (quit == 2) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Window();
    QTest::keyClick(target, Qt::Key_Escape);
  }
  RunEventLoop();
  DestroyMainWindow();
  std::printf("soak done: %ld actions, %ld turns, %ld conversions checked, %.1f s; ended by %s\n",
              actions_, turns_, conversions_checked_, seconds, kQuits[quit]);
  return 0;
}

std::uint64_t SeedFromEnvironment() {
  if (const char* text = std::getenv("RUNEMILL_SOAK_SEED"); text && *text) {
    return std::strtoull(text, nullptr, 10);
  }
  return std::random_device{}() * 0x100000000ull + std::random_device{}();
}

long ActionsFromEnvironment() {
  if (const char* text = std::getenv("RUNEMILL_SOAK_ACTIONS"); text && *text) {
    return std::strtol(text, nullptr, 10);
  }
  return kDefaultActions;
}

}  // namespace
}  // namespace runemill

int main(int argc, char* argv[]) {
  // The offscreen platform warns on every dialog about what it cannot do
  // (raise, size hints, fonts); thousands of such lines would hide a failure.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    if (type == QtFatalMsg) std::abort();
  });
  QApplication application(argc, argv);
  runemill::Soak soak(runemill::SeedFromEnvironment(), runemill::ActionsFromEnvironment());
  return soak.Run();
}
