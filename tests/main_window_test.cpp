#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QUrl>
#include <limits>
#include <vector>

#include "core/substitution_table.h"
#include "ui/event_loop.h"
#include "ui/window_events.h"
#include "ui/window_placement.h"

Q_DECLARE_METATYPE(runemill::Command)

namespace runemill {

using namespace Qt::StringLiterals;

namespace {

QMainWindow* Window() { return static_cast<QMainWindow*>(MainWindowWidget()); }
QLineEdit* Cell(int byte) { return static_cast<QLineEdit*>(FieldWidget(byte)); }
QPlainTextEdit* Pane(ControlId id) { return static_cast<QPlainTextEdit*>(FieldWidget(id)); }
QByteArray Bytes(const ByteString& bytes) { return QByteArray::fromStdString(bytes); }

std::vector<WindowEvent> TakeEvents() {
  std::vector<WindowEvent> events;
  while (std::optional<WindowEvent> event = PollEvent()) events.push_back(*event);
  return events;
}

int TextChanges(const std::vector<WindowEvent>& events, ControlId id) {
  int count = 0;
  for (const WindowEvent& e : events) {
    if (e.kind == EventKind::kField && e.control_id == id &&
        e.field_kind == FieldEventKind::kTextChanged) {
      ++count;
    }
  }
  return count;
}

// Focus without the select-all that a Tab into a line edit brings.
void Focus(ControlId id) {
  FieldWidget(id)->setFocus(Qt::OtherFocusReason);
  TakeEvents();
}

QString SelectedText(ControlId id) {
  if (id < kCellCount) return Cell(id)->selectedText();
  return Pane(id)->textCursor().selectedText();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void WindowHasFixedSizeAndStartsWithoutFocus();
  void CentredTopLeftKeepsTheWindowOnScreen_data();
  void CentredTopLeftKeepsTheWindowOnScreen();
  void PanesStandSideBySideAndWrapRightAligned_data();
  void PanesStandSideBySideAndWrapRightAligned();
  void CellsStandInTheGridWithTheirTooltips_data();
  void CellsStandInTheGridWithTheirTooltips();
  void EveryTooltipIsPlainText();
  void FieldsAreCreatedInControlIdOrder();
  void MenusHoldTheCommandsInOrder();
  void TextRoundTripsThroughAFieldWithoutEvents_data();
  void TextRoundTripsThroughAFieldWithoutEvents();
  void TypingInTheSourcePaneConverts();
  void CellEditsBecomeEntries();
  void AnEditOfCell0StaysInTheCell();
  void FocusChangesAreFieldEventsThatConvert();
  void TypingInTheResultPaneLastsUntilTheNextConversion();
  void TabMovesRoundTheFields_data();
  void TabMovesRoundTheFields();
  void CtrlASelectsThroughCommand12_data();
  void CtrlASelectsThroughCommand12();
  void EditCommandsActOnTheFocusedField_data();
  void EditCommandsActOnTheFocusedField();
  void DragsOfFilesAloneAreAccepted_data();
  void DragsOfFilesAloneAreAccepted();
  void DropQueuesTheLocalPaths();
  void EscapeInTheWindowQuits_data();
  void EscapeInTheWindowQuits();
  void CloseIsLeftToTheLoop();
};

void MainWindowTest::init() {
  CreateMainWindow();
  ResetTable(ResetMode::kIdentity);
  QVERIFY(QTest::qWaitForWindowActive(Window()));
  TakeEvents();
}

void MainWindowTest::cleanup() { DestroyMainWindow(); }

void MainWindowTest::WindowHasFixedSizeAndStartsWithoutFocus() {
  QMainWindow* window = Window();
  QCOMPARE(window->windowTitle(), QStringLiteral("Runemill 1.1"));
  QCOMPARE(window->minimumSize(), QSize(1000, 640));
  QCOMPARE(window->maximumSize(), QSize(1000, 640));
  const Qt::WindowFlags flags = window->windowFlags();
  QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
  QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  QVERIFY(window->testAttribute(Qt::WA_AlwaysShowToolTips));

  // The menu bar lives inside the 640 pixels.
  const int bar = window->menuBar()->height();
  QVERIFY(bar > 0);
  QCOMPARE(window->menuBar()->geometry(), QRect(0, 0, 1000, bar));
  QCOMPARE(window->centralWidget()->geometry(), QRect(0, bar, 1000, 640 - bar));

  QCOMPARE(window->windowIcon().availableSizes(),
           (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
  const QRect frame = window->frameGeometry();
  QCOMPARE(frame.topLeft(),
           CentredTopLeft(QGuiApplication::primaryScreen()->geometry(), frame.size()));
  QCOMPARE(FocusedControlId(), -1);
}

void MainWindowTest::CentredTopLeftKeepsTheWindowOnScreen_data() {
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QSize>("outer");
  QTest::addColumn<QPoint>("top_left");
  QTest::newRow("larger screen") << QRect(0, 0, 1920, 1080) << QSize(1010, 676) << QPoint(455, 202);
  QTest::newRow("halves round down")
      << QRect(0, 0, 1024, 768) << QSize(1001, 675) << QPoint(11, 46);
  QTest::newRow("too small both ways") << QRect(0, 0, 800, 600) << QSize(1010, 676) << QPoint(0, 0);
  QTest::newRow("too narrow only") << QRect(0, 0, 1000, 900) << QSize(1010, 676) << QPoint(0, 112);
  QTest::newRow("screen off the origin")
      << QRect(1920, 0, 1280, 1024) << QSize(1000, 640) << QPoint(2060, 192);
}

void MainWindowTest::CentredTopLeftKeepsTheWindowOnScreen() {
  QFETCH(QRect, screen);
  QFETCH(QSize, outer);
  QFETCH(QPoint, top_left);
  QCOMPARE(CentredTopLeft(screen, outer), top_left);
}

void MainWindowTest::PanesStandSideBySideAndWrapRightAligned_data() {
  QTest::addColumn<ControlId>("id");
  QTest::addColumn<QRect>("geometry");
  QTest::newRow("source") << kSourcePane << QRect(0, 0, 500, 340);
  QTest::newRow("result") << kResultPane << QRect(500, 0, 500, 340);
}

void MainWindowTest::PanesStandSideBySideAndWrapRightAligned() {
  QFETCH(ControlId, id);
  QFETCH(QRect, geometry);
  QPlainTextEdit* pane = Pane(id);
  QCOMPARE(pane->parentWidget(), Window()->centralWidget());
  QCOMPARE(pane->geometry(), geometry);
  QVERIFY(pane->verticalScrollBar()->isVisible());
  QVERIFY(!pane->isReadOnly());

  SetFieldText(id, "x");
  pane->moveCursor(QTextCursor::End);
  QVERIFY(pane->cursorRect().x() > pane->viewport()->width() / 2);

  SetFieldText(id, ByteString(300, 'w'));
  QApplication::processEvents();
  QCOMPARE(pane->document()->blockCount(), 1);
  QVERIFY(pane->document()->firstBlock().layout()->lineCount() > 1);
  QCOMPARE(pane->horizontalScrollBar()->maximum(), 0);
}

void MainWindowTest::CellsStandInTheGridWithTheirTooltips_data() {
  QTest::addColumn<int>("byte");
  QTest::addColumn<QPoint>("top_left");
  QTest::addColumn<QString>("tooltip");
  QTest::newRow("0") << 0 << QPoint(8, 350) << u"0:"_s;
  QTest::newRow("32, a space") << 32 << QPoint(8, 380) << u"32: "_s;
  QTest::newRow("38, an ampersand") << 38 << QPoint(188, 380) << u"38:&"_s;
  QTest::newRow("65") << 65 << QPoint(38, 410) << u"65:A"_s;
  QTest::newRow("200") << 200 << QPoint(248, 530) << u"200:И"_s;
  QTest::newRow("255") << 255 << QPoint(938, 560) << u"255:я"_s;
}

void MainWindowTest::CellsStandInTheGridWithTheirTooltips() {
  QFETCH(int, byte);
  QFETCH(QPoint, top_left);
  QFETCH(QString, tooltip);
  QLineEdit* cell = Cell(byte);
  QCOMPARE(cell->mapTo(Window()->centralWidget(), QPoint(0, 0)), top_left);
  QCOMPARE(cell->size(), QSize(20, 20));
  QCOMPARE(cell->toolTip(), tooltip);
  QCOMPARE(cell->maxLength(), std::numeric_limits<int>::max());
}

void MainWindowTest::EveryTooltipIsPlainText() {
  for (int byte = 0; byte < kCellCount; ++byte) {
    QVERIFY2(!Qt::mightBeRichText(Cell(byte)->toolTip()), qPrintable(Cell(byte)->toolTip()));
  }
}

// Qt's focus chain follows creation: source pane, result pane, cells 0 to 255.
void MainWindowTest::FieldsAreCreatedInControlIdOrder() {
  QList<ControlId> order;
  QWidget* widget = FieldWidget(kSourcePane);
  do {
    for (ControlId id = 0; id < kFieldCount; ++id) {
      if (FieldWidget(id) == widget) order.append(id);
    }
    widget = widget->nextInFocusChain();
  } while (widget != FieldWidget(kSourcePane));
  QList<ControlId> expected{kSourcePane, kResultPane};
  for (int byte = 0; byte < kCellCount; ++byte) expected.append(byte);
  QCOMPARE(order, expected);
}

void MainWindowTest::MenusHoldTheCommandsInOrder() {
  struct Item {
    QString caption;  // empty for a separator
    int command;
  };
  const struct {
    QString title;
    QList<Item> items;
  } menus[] = {
      {u"Файло"_s,
       {{u"Сохранить набор..."_s, 0}, {u"Открыть набор..."_s, 1}, {{}, -1}, {u"Выход"_s, 2}}},
      {u"Правка"_s,
       {{u"Вырезать\tCtrl+X"_s, 10},
        {u"Копировать\tCtrl+C"_s, 11},
        {{}, -1},
        {u"Вставить\tCtrl+V"_s, 9},
        {{}, -1},
        {u"Выбрать все\tCtrl+A"_s, 12},
        {{}, -1}}},
      {u"Текст"_s,
       {{u"Простой набор"_s, 3},
        {{}, -1},
        {u"Убрать коды 0-31"_s, 4},
        {u"Убрать коды 0-31 кроме 09/10/13"_s, 5},
        {{}, -1},
        {u"qwerty/яверты"_s, 7},
        {u"QWERTY/ЯВЕРТЫ"_s, 6},
        {{}, -1},
        {u"Разбить длиной N..."_s, 8}}},
  };
  const QList<QAction*> bar = Window()->menuBar()->actions();
  QCOMPARE(bar.size(), 3);
  for (int m = 0; m < 3; ++m) {
    QCOMPARE(bar[m]->text(), menus[m].title);
    const QList<QAction*> actions = bar[m]->menu()->actions();
    QCOMPARE(actions.size(), menus[m].items.size());
    for (int i = 0; i < actions.size(); ++i) {
      const Item& item = menus[m].items[i];
      QCOMPARE(actions[i]->isSeparator(), item.command < 0);
      // Qt hides a menu's trailing rule unless told not to.
      QVERIFY(!bar[m]->menu()->actionGeometry(actions[i]).isEmpty());
      if (item.command < 0) continue;
      QCOMPARE(actions[i]->text(), item.caption);
      QVERIFY(actions[i]->shortcut().isEmpty());
      actions[i]->trigger();
      const std::vector<WindowEvent> events = TakeEvents();
      QCOMPARE(events.size(), std::size_t{1});
      QCOMPARE(events[0].kind, EventKind::kCommand);
      QCOMPARE(static_cast<int>(events[0].command), item.command);
    }
  }
}

void MainWindowTest::TextRoundTripsThroughAFieldWithoutEvents_data() {
  QTest::addColumn<ControlId>("id");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("lines");  // in a pane
  QByteArray every_byte;
  for (int byte = 1; byte < 256; ++byte) every_byte.append(static_cast<char>(byte));
  const struct {
    const char* name;
    QByteArray text;
    int lines;
  } texts[] = {
      {"every byte", every_byte, 1},
      {"lone CR", "a\rb", 1},
      {"lone LF", "a\nb", 1},
      {"CR LF", "a\r\nb", 2},
      {"LF CR", "\n\r", 1},
      {"CR CR LF LF", "\r\r\n\n", 2},
      {"no-break space", "\xA0 \xA0", 1},
      {"0x98", "\x98", 1},
  };
  for (ControlId id : {65, kSourcePane, kResultPane}) {
    for (const auto& t : texts) {
      QTest::addRow("%d, %s", id, t.name) << id << t.text << t.lines;
    }
  }
}

void MainWindowTest::TextRoundTripsThroughAFieldWithoutEvents() {
  QFETCH(ControlId, id);
  QFETCH(QByteArray, text);
  QFETCH(int, lines);
  Focus(id);
  SetFieldText(id, text.toStdString());
  QCOMPARE(Bytes(GetFieldText(id)), text);
  if (id >= kCellCount) QCOMPARE(Pane(id)->document()->blockCount(), lines);
  QCOMPARE(TakeEvents().size(), std::size_t{0});
}

void MainWindowTest::TypingInTheSourcePaneConverts() {
  ProgramTable().SetEntry('a', "<A>");
  QPlainTextEdit* source = Pane(kSourcePane);
  Focus(kSourcePane);
  QTest::keyClicks(source, "ab");
  QTest::keyClick(source, Qt::Key_Return);
  QTest::keyClicks(source, "c");
  QCOMPARE(RunPendingTurns(), TurnOutcome::kContinue);
  QCOMPARE(Bytes(GetFieldText(kSourcePane)), QByteArray("ab\r\nc"));
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("<A>b\r\nc"));
}

void MainWindowTest::CellEditsBecomeEntries() {
  SetFieldText(kSourcePane, "ABBA");
  Focus(65);
  Cell(65)->selectAll();
  QTest::keyClicks(Cell(65), "XY");
  RunPendingTurns();
  QCOMPARE(Bytes(ProgramTable().GetEntry(65)), QByteArray("XY"));
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("XYBBXY"));

  QTest::keyClick(Cell(65), Qt::Key_Backspace);
  QTest::keyClick(Cell(65), Qt::Key_Backspace);
  RunPendingTurns();
  QCOMPARE(Bytes(ProgramTable().GetEntry(65)), QByteArray());
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("BB"));
}

void MainWindowTest::AnEditOfCell0StaysInTheCell() {
  SetFieldText(kSourcePane, "q");
  Focus(0);
  QTest::keyClicks(Cell(0), "z");
  RunPendingTurns();
  QCOMPARE(Bytes(GetFieldText(0)), QByteArray("z{0}"));
  QCOMPARE(Bytes(ProgramTable().GetEntry(0)), QByteArray("{0}"));
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("q"));
}

void MainWindowTest::FocusChangesAreFieldEventsThatConvert() {
  SetFieldText(kSourcePane, "ab");
  FieldWidget(65)->setFocus();
  FieldWidget(kResultPane)->setFocus();
  const std::vector<WindowEvent> events = TakeEvents();
  QList<std::pair<ControlId, FieldEventKind>> seen;
  for (const WindowEvent& event : events) {
    QCOMPARE(event.kind, EventKind::kField);
    seen.append({event.control_id, event.field_kind});
  }
  const QList<std::pair<ControlId, FieldEventKind>> expected{
      {65, FieldEventKind::kFocusGained},
      {65, FieldEventKind::kFocusLost},
      {kResultPane, FieldEventKind::kFocusGained},
  };
  QCOMPARE(seen, expected);

  // Nothing changed, yet leaving the cell rewrites the result pane.
  for (const WindowEvent& event : events) RunTurn(event);
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("ab"));
}

void MainWindowTest::TypingInTheResultPaneLastsUntilTheNextConversion() {
  Focus(kSourcePane);
  QTest::keyClicks(Pane(kSourcePane), "ab");
  RunPendingTurns();
  Focus(kResultPane);
  Pane(kResultPane)->moveCursor(QTextCursor::End);
  QTest::keyClicks(Pane(kResultPane), "zz");
  QCOMPARE(RunPendingTurns(), TurnOutcome::kContinue);
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("abzz"));
  QCOMPARE(Bytes(GetFieldText(kSourcePane)), QByteArray("ab"));
  QCOMPARE(Bytes(ProgramTable().GetEntry('z')), QByteArray("z"));

  Focus(kSourcePane);
  Pane(kSourcePane)->moveCursor(QTextCursor::End);
  QTest::keyClicks(Pane(kSourcePane), "c");
  RunPendingTurns();
  QCOMPARE(Bytes(GetFieldText(kResultPane)), QByteArray("abc"));
}

void MainWindowTest::TabMovesRoundTheFields_data() {
  QTest::addColumn<ControlId>("from");
  QTest::addColumn<int>("key");
  QTest::addColumn<ControlId>("to");
  QTest::newRow("255 wraps to source") << 255 << int{Qt::Key_Tab} << kSourcePane;
  QTest::newRow("source back to 255") << kSourcePane << int{Qt::Key_Backtab} << 255;
  QTest::newRow("source to result") << kSourcePane << int{Qt::Key_Tab} << kResultPane;
  QTest::newRow("result to cell 0") << kResultPane << int{Qt::Key_Tab} << 0;
  QTest::newRow("cell 0 back to result") << 0 << int{Qt::Key_Backtab} << kResultPane;
  QTest::newRow("across a row") << 31 << int{Qt::Key_Tab} << 32;
}

void MainWindowTest::TabMovesRoundTheFields() {
  QFETCH(ControlId, from);
  QFETCH(int, key);
  QFETCH(ControlId, to);
  Focus(from);
  const ByteString before = GetFieldText(from);
  QTest::keyClick(FieldWidget(from), static_cast<Qt::Key>(key),
                  key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
  QCOMPARE(FocusedControlId(), to);
  QCOMPARE(Bytes(GetFieldText(from)), Bytes(before));
}

void MainWindowTest::CtrlASelectsThroughCommand12_data() {
  QTest::addColumn<ControlId>("id");
  QTest::addColumn<QString>("selected");
  QTest::newRow("cell 0 does nothing") << 0 << QString();
  QTest::newRow("cell 65") << 65 << u"abc"_s;
  QTest::newRow("source pane") << kSourcePane << u"abc"_s;
  QTest::newRow("result pane") << kResultPane << u"abc"_s;
}

void MainWindowTest::CtrlASelectsThroughCommand12() {
  QFETCH(ControlId, id);
  QFETCH(QString, selected);
  SetFieldText(id, "abc");
  Focus(id);
  QCOMPARE(SelectedText(id), QString());
  QTest::keyClick(FieldWidget(id), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(SelectedText(id), QString());  // not before the loop's turn
  RunPendingTurns();
  QCOMPARE(SelectedText(id), selected);
  QCOMPARE(Bytes(GetFieldText(id)), QByteArray("abc"));
}

void MainWindowTest::EditCommandsActOnTheFocusedField_data() {
  QTest::addColumn<ControlId>("id");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QList<Command>>("commands");
  QTest::addColumn<QByteArray>("text_after");
  QTest::addColumn<QString>("clipboard_after");
  QTest::addColumn<int>("text_changes");
  QTest::newRow("paste into cell 65")
      << 65 << QByteArray("A") << QList{Command::kPaste} << QByteArray("QA") << u"Q"_s << 1;
  QTest::newRow("paste into cell 0 does nothing")
      << 0 << QByteArray("{0}") << QList{Command::kPaste} << QByteArray("{0}") << u"Q"_s << 0;
  QTest::newRow("cut all of the source pane")
      << kSourcePane << QByteArray("abc") << QList{Command::kSelectAll, Command::kCut}
      << QByteArray() << u"abc"_s << 1;
  QTest::newRow("copy all of the result pane")
      << kResultPane << QByteArray("xyz") << QList{Command::kSelectAll, Command::kCopy}
      << QByteArray("xyz") << u"xyz"_s << 0;
  QTest::newRow("cut all of cell 66")
      << 66 << QByteArray("Bb") << QList{Command::kSelectAll, Command::kCut} << QByteArray()
      << u"Bb"_s << 1;
}

void MainWindowTest::EditCommandsActOnTheFocusedField() {
  QFETCH(ControlId, id);
  QFETCH(QByteArray, text);
  QFETCH(QList<Command>, commands);
  QFETCH(QByteArray, text_after);
  QFETCH(QString, clipboard_after);
  QFETCH(int, text_changes);
  QGuiApplication::clipboard()->setText(u"Q"_s);
  SetFieldText(id, text.toStdString());
  Focus(id);
  QCOMPARE(FocusedControlId(), id);
  for (Command command : commands) RunCommand(command);
  QCOMPARE(Bytes(GetFieldText(id)), text_after);
  QCOMPARE(QGuiApplication::clipboard()->text(), clipboard_after);
  const std::vector<WindowEvent> events = TakeEvents();
  QCOMPARE(TextChanges(events, id), text_changes);
  // Handled like typing: a cell's new text becomes its entry.
  for (const WindowEvent& event : events) RunTurn(event);
  if (id > 0 && id < kCellCount && text_changes > 0) {
    QCOMPARE(Bytes(ProgramTable().GetEntry(static_cast<std::uint8_t>(id))), text_after);
  }
}

void MainWindowTest::DragsOfFilesAloneAreAccepted_data() {
  QTest::addColumn<QString>("target");
  QTest::addColumn<QList<QUrl>>("urls");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("actions");
  QTest::addColumn<bool>("accepted");
  const QList<QUrl> file{QUrl::fromLocalFile(u"/tmp/a.txt"_s)};
  const int copy_or_move = Qt::CopyAction | Qt::MoveAction;
  for (const QString& target : {u"source"_s, u"result"_s, u"cell"_s, u"background"_s}) {
    QTest::addRow("%s: file", qPrintable(target))
        << target << file << QString() << copy_or_move << true;
    QTest::addRow("%s: text", qPrintable(target))
        << target << QList<QUrl>() << u"some text"_s << copy_or_move << false;
    QTest::addRow("%s: file that may only be moved", qPrintable(target))
        << target << file << QString() << int{Qt::MoveAction} << false;
    QTest::addRow("%s: web link", qPrintable(target))
        << target << QList<QUrl>{QUrl(u"https://example.org/a.txt"_s)} << QString() << copy_or_move
        << false;
  }
}

void MainWindowTest::DragsOfFilesAloneAreAccepted() {
  QFETCH(QString, target);
  QFETCH(QList<QUrl>, urls);
  QFETCH(QString, text);
  QFETCH(int, actions);
  QFETCH(bool, accepted);
  // The widgets under the pointer that Qt hands a drag to.
  QWidget* receiver = target == u"source"_s   ? Pane(kSourcePane)->viewport()
                      : target == u"result"_s ? Pane(kResultPane)->viewport()
                      : target == u"cell"_s   ? static_cast<QWidget*>(Cell(65))
                                              : Window()->centralWidget();
  QMimeData data;
  if (!urls.isEmpty()) data.setUrls(urls);
  if (!text.isEmpty()) data.setText(text);
  const auto drop_actions = static_cast<Qt::DropActions>(actions);

  QDragEnterEvent enter(QPoint(5, 5), drop_actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &enter);
  QCOMPARE(enter.isAccepted(), accepted);
  if (accepted) QCOMPARE(enter.dropAction(), Qt::CopyAction);

  if (!accepted) {
    // Qt sends moves and the drop only to the widget that took the enter. A
    // file's enter lets this data reach the window there, as if the drag had
    // changed on the way.
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(u"/tmp/a.txt"_s)});
    QDragEnterEvent file_enter(QPoint(5, 5), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &file_enter);
  }

  // A move carries the answer to the previous one unless the window answers again.
  QDragMoveEvent move(QPoint(6, 6), drop_actions, &data, Qt::LeftButton, Qt::NoModifier);
  move.setAccepted(!accepted);
  QApplication::sendEvent(receiver, &move);
  QCOMPARE(move.isAccepted(), accepted);

  QDropEvent drop(QPointF(6, 6), drop_actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &drop);
  QCOMPARE(drop.isAccepted(), accepted);
  QCOMPARE(TakeEvents().size(), std::size_t{accepted ? 1u : 0u});
}

void MainWindowTest::DropQueuesTheLocalPaths() {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(u"/tmp/a b.txt"_s), QUrl::fromLocalFile(u"/tmp/дом/ü"_s)});
  const Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction;
  QDragEnterEvent enter(QPoint(3, 3), actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Cell(65), &enter);
  QDropEvent drop(QPointF(3, 3), actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Cell(65), &drop);
  QVERIFY(drop.isAccepted());
  QCOMPARE(drop.dropAction(), Qt::CopyAction);
  const std::vector<WindowEvent> events = TakeEvents();
  QCOMPARE(events.size(), std::size_t{1});
  QCOMPARE(events[0].kind, EventKind::kDrop);
  // Paths in the file system's encoding, UTF-8 here.
  QCOMPARE(Bytes(events[0].drop_list),
           QByteArray("/tmp/a b.txt\n/tmp/\xD0\xB4\xD0\xBE\xD0\xBC/\xC3\xBC"));
}

void MainWindowTest::EscapeInTheWindowQuits_data() {
  QTest::addColumn<ControlId>("focused");  // -1: no field
  QTest::newRow("cell") << 65;
  QTest::newRow("source pane") << kSourcePane;
  QTest::newRow("result pane") << kResultPane;
  QTest::newRow("no field") << -1;
}

void MainWindowTest::EscapeInTheWindowQuits() {
  QFETCH(ControlId, focused);
  if (focused >= 0) Focus(focused);
  QCOMPARE(FocusedControlId(), focused);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QCOMPARE(RunPendingTurns(), TurnOutcome::kQuit);
  QVERIFY(!TakeEscapePress());
}

void MainWindowTest::CloseIsLeftToTheLoop() {
  QVERIFY(!Window()->close());
  QVERIFY(Window()->isVisible());
  QCOMPARE(RunPendingTurns(), TurnOutcome::kQuit);

  // Escape in another window is not the program's.
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_Escape);
  QCOMPARE(RunPendingTurns(), TurnOutcome::kContinue);
  QVERIFY(!TakeEscapePress());
}

}  // namespace runemill

QTEST_MAIN(runemill::MainWindowTest)
#include "main_window_test.moc"
