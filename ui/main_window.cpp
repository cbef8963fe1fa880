#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QTextDocument>
#include <QUrl>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "cell_grid.h"
#include "field_text.h"
#include "window_events.h"
#include "window_placement.h"

namespace runemill {
namespace {

// The menu bar takes its height from these 640 pixels; the fields are placed
// in what is left below it.
constexpr QSize kWindowSize(1000, 640);
constexpr QRect kSourcePaneGeometry(0, 0, 500, 340);
constexpr QRect kResultPaneGeometry(500, 0, 500, 340);
constexpr QPoint kGridTopLeft(8, 350);

struct MenuItem {
  const char* caption;  // null for a separator
  Command command;
};
constexpr MenuItem kSeparator{nullptr, Command::kExit};

// A tab in a caption puts the rest on the right as a key label. The labels of
// the edit menu name the fields' own keys: none of them is a shortcut here.
constexpr MenuItem kFileMenu[] = {
    {"Сохранить набор...", Command::kSaveCharset},
    {"Открыть набор...", Command::kLoadCharset},
    kSeparator,
    {"Выход", Command::kExit},
};
constexpr MenuItem kEditMenu[] = {
    {"Вырезать\tCtrl+X", Command::kCut},
    {"Копировать\tCtrl+C", Command::kCopy},
    kSeparator,
    {"Вставить\tCtrl+V", Command::kPaste},
    kSeparator,
    {"Выбрать все\tCtrl+A", Command::kSelectAll},
    kSeparator,
};
constexpr MenuItem kTextMenu[] = {
    {"Простой набор", Command::kResetIdentity},
    kSeparator,
    {"Убрать коды 0-31", Command::kResetBlankControlCodes},
    {"Убрать коды 0-31 кроме 09/10/13", Command::kResetBlankControlCodesButBreaks},
    kSeparator,
    {"qwerty/яверты", Command::kLayoutSmallLetters},
    {"QWERTY/ЯВЕРТЫ", Command::kLayoutCapitals},
    kSeparator,
    {"Разбить длиной N...", Command::kSplitIntoLines},
};

struct Menu {
  const char* title;
  std::span<const MenuItem> items;
};
constexpr Menu kMenus[] = {{"Файло", kFileMenu}, {"Правка", kEditMenu}, {"Текст", kTextMenu}};

// Only local files make a drop list; a drag of text or of web links is refused.
// Paths go out in the file system's own encoding, as the import opens them.
std::optional<std::string> DropListOf(const QMimeData* data) {
  if (data == nullptr) return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.isEmpty()) return std::nullopt;
  std::string list;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) return std::nullopt;
    if (!list.empty()) list.push_back('\n');
    list.append(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return list;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    icon.addFile(QStringLiteral(":/icons/runemill-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

template <typename Field>
void ApplyEdit(Field* field, EditOperation operation) {
  switch (operation) {
    case EditOperation::kPaste:
      field->paste();
      break;
    case EditOperation::kCut:
      field->cut();
      break;
    case EditOperation::kCopy:
      field->copy();
      break;
    case EditOperation::kSelectAll:
      field->selectAll();
      break;
  }
}

class MainWindow : public QMainWindow {
 public:
  MainWindow();

  QWidget* Field(ControlId id) const;
  void SetText(ControlId id, std::string_view text);
  ByteString Text(ControlId id) const;
  ControlId FocusedField() const;
  void Edit(ControlId id, EditOperation operation);

  bool HasEvents() const { return !events_.empty(); }
  std::optional<WindowEvent> TakeEvent();
  bool TakeEscapePress() { return std::exchange(escape_pressed_, false); }
  void SetPaneStrategy(PaneStrategy strategy);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPlainTextEdit* NewPane(QWidget* parent, const QRect& geometry, ControlId id);
  void BuildMenus();
  void PlaceOnScreen();
  bool TakeKey(QObject* receiver, QKeyEvent* key);
  void TakeDrag(QDropEvent* drag);
  ControlId IdOf(const QObject* object) const { return ids_.value(object, -1); }
  QPlainTextEdit* Pane(ControlId id) const { return id == kSourcePane ? source_ : result_; }
  PaneText& PaneTextOf(ControlId id) const {
    return id == kSourcePane ? *source_text_ : *result_text_;
  }
  void Queue(WindowEvent event) { events_.push_back(std::move(event)); }

  QPlainTextEdit* source_ = nullptr;
  QPlainTextEdit* result_ = nullptr;
  std::unique_ptr<PaneText> source_text_;
  std::unique_ptr<PaneText> result_text_;
  CellGrid* grid_ = nullptr;
  QHash<const QObject*, ControlId> ids_;
  std::deque<WindowEvent> events_;
  bool escape_pressed_ = false;
  bool writing_pane_ = false;
  bool placed_with_frame_ = false;
};

MainWindow::MainWindow() {
  setWindowTitle(QStringLiteral("Runemill 1.1"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kWindowSize);
  setAttribute(Qt::WA_AlwaysShowToolTips);

  auto* area = new QWidget(this);
  setCentralWidget(area);
  source_ = NewPane(area, kSourcePaneGeometry, kSourcePane);
  result_ = NewPane(area, kResultPaneGeometry, kResultPane);
  source_text_ = std::make_unique<PaneText>(source_);
  result_text_ = std::make_unique<PaneText>(result_);
  // Fields refuse drops, so every drag ends up here, where only files count.
  setAcceptDrops(true);
  BuildMenus();
  // A shortcut rather than a key test, so that Ctrl+A also works while a
  // Cyrillic keyboard layout is active.
  auto* select_all = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_A), this);
  connect(select_all, &QShortcut::activated, this,
          [this] { Queue(CommandEvent(Command::kSelectAll)); });
  grid_ = new CellGrid(area);
  grid_->move(kGridTopLeft);
  connect(grid_, &CellGrid::CellEdited, this,
          [this](int byte) { Queue(FieldEvent(byte, FieldEventKind::kTextChanged)); });

  for (ControlId id = 0; id < kFieldCount; ++id) ids_.insert(Field(id), id);
  // The window keeps the focus until the user picks a field; left to Qt, the
  // first field would take it on activation.
  area->setFocus();
  PlaceOnScreen();
  qApp->installEventFilter(this);
}

QPlainTextEdit* MainWindow::NewPane(QWidget* parent, const QRect& geometry, ControlId id) {
  auto* pane = new QPlainTextEdit(parent);
  pane->setGeometry(geometry);
  pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Lines wrap at the pane's width, so there is never anything to scroll sideways.
  pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QTextOption option = pane->document()->defaultTextOption();
  option.setAlignment(Qt::AlignRight);
  pane->document()->setDefaultTextOption(option);
  // Tab and Shift+Tab go round the fields in creation order, which is Qt's
  // focus chain: the containers in it take no focus.
  pane->setTabChangesFocus(true);
  pane->setAcceptDrops(false);
  pane->viewport()->setAcceptDrops(false);
  connect(pane, &QPlainTextEdit::textChanged, this, [this, id] {
    if (!writing_pane_) Queue(FieldEvent(id, FieldEventKind::kTextChanged));
  });
  return pane;
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  // A global menu bar would leave the window, and the fields would move up.
  bar->setNativeMenuBar(false);
  for (const Menu& entry : kMenus) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(entry.title));
    // The edit menu ends in a rule, which Qt would hide otherwise.
    menu->setSeparatorsCollapsible(false);
    for (const MenuItem& item : entry.items) {
      if (item.caption == nullptr) {
        menu->addSeparator();
      } else {
        menu->addAction(QString::fromUtf8(item.caption), this,
                        [this, command = item.command] { Queue(CommandEvent(command)); });
      }
    }
  }
}

void MainWindow::PlaceOnScreen() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(CentredTopLeft(screen->geometry(), frameGeometry().size()));
  }
}

QWidget* MainWindow::Field(ControlId id) const {
  if (id < kCellCount) return grid_->Cell(id);
  return Pane(id);
}

void MainWindow::SetText(ControlId id, std::string_view text) {
  if (id < kCellCount) {
    // setText() reports textChanged only, never textEdited, which the grid listens to.
    QLineEdit* cell = grid_->Cell(id);
    cell->setText(CellTextFromBytes(text));
    // A long entry shows its start, not its end.
    cell->setCursorPosition(0);
    return;
  }
  writing_pane_ = true;
  PaneTextOf(id).Show(text);
  writing_pane_ = false;
}

void MainWindow::SetPaneStrategy(PaneStrategy strategy) {
  source_text_->SetStrategy(strategy);
  result_text_->SetStrategy(strategy);
}

ByteString MainWindow::Text(ControlId id) const {
  if (id < kCellCount) return BytesFromCellText(grid_->Cell(id)->text());
  return PaneTextOf(id).Bytes();
}

ControlId MainWindow::FocusedField() const {
  if (QApplication::activeWindow() != this) return -1;
  return IdOf(QApplication::focusWidget());
}

void MainWindow::Edit(ControlId id, EditOperation operation) {
  if (id < kCellCount) {
    ApplyEdit(grid_->Cell(id), operation);
  } else {
    ApplyEdit(Pane(id), operation);
  }
}

std::optional<WindowEvent> MainWindow::TakeEvent() {
  if (events_.empty()) return std::nullopt;
  WindowEvent event = std::move(events_.front());
  events_.pop_front();
  return event;
}

bool MainWindow::event(QEvent* event) {
  // The frame is known only after the platform has framed the shown window;
  // then the window is centred once more, by its outer size.
  if (!placed_with_frame_ &&
      (event->type() == QEvent::Move || event->type() == QEvent::WindowActivate) &&
      frameGeometry().size() != size()) {
    placed_with_frame_ = true;
    PlaceOnScreen();
  }
  return QMainWindow::event(event);
}

// Installed on the application, so that it sees the keys and drags meant for
// any widget of the window before that widget does.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      break;
    default:
      return false;
  }
  // Dialogs and open menus are windows of their own: their keys are not ours.
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;

  switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      if (const ControlId id = IdOf(watched); id >= 0) {
        Queue(FieldEvent(id, event->type() == QEvent::FocusIn ? FieldEventKind::kFocusGained
                                                              : FieldEventKind::kFocusLost));
      }
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      TakeDrag(static_cast<QDropEvent*>(event));
      return true;
    default:
      return TakeKey(watched, static_cast<QKeyEvent*>(event));
  }
}

bool MainWindow::TakeKey(QObject* receiver, QKeyEvent* key) {
  const bool ctrl_a = key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier;
  // A field claims Ctrl+A for its own select-all; unclaimed, it reaches the
  // window's shortcut. Kept from the key press too, should that come through.
  if (ctrl_a) return true;
  if (key->type() == QEvent::ShortcutOverride) return false;

  // Escape in the menu bar's keyboard mode only leaves that mode.
  if (key->key() == Qt::Key_Escape && receiver != menuBar()) {
    escape_pressed_ = true;
    Queue(WindowEvent{});
    return true;
  }
  return false;
}

void MainWindow::TakeDrag(QDropEvent* drag) {
  std::optional<std::string> drop_list;
  if (drag->possibleActions().testFlag(Qt::CopyAction)) drop_list = DropListOf(drag->mimeData());
  if (!drop_list) {
    drag->ignore();
    return;
  }
  drag->setDropAction(Qt::CopyAction);
  drag->accept();
  if (drag->type() == QEvent::Drop) {
    WindowEvent event;
    event.kind = EventKind::kDrop;
    event.drop_list = std::move(*drop_list);
    Queue(std::move(event));
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Whether to end is the event loop's decision.
  event->ignore();
  WindowEvent close;
  close.kind = EventKind::kClose;
  Queue(std::move(close));
}

MainWindow* g_window = nullptr;

}  // namespace

void CreateMainWindow() {
  // Dialogs share the icon.
  QApplication::setWindowIcon(ProgramIcon());
  g_window = new MainWindow;
  g_window->show();
  g_window->activateWindow();
}

void DestroyMainWindow() {
  delete g_window;
  g_window = nullptr;
}

QWidget* MainWindowWidget() { return g_window; }

QWidget* FieldWidget(ControlId id) { return g_window->Field(id); }

void SetFieldText(ControlId id, std::string_view text) { g_window->SetText(id, text); }

ByteString GetFieldText(ControlId id) { return g_window->Text(id); }

WindowEvent WaitForEvent() {
  while (!g_window->HasEvents()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return *g_window->TakeEvent();
}

std::optional<WindowEvent> PollEvent() {
  QCoreApplication::processEvents();
  return g_window->TakeEvent();
}

bool TakeEscapePress() { return g_window->TakeEscapePress(); }

ControlId FocusedControlId() { return g_window->FocusedField(); }

void EditField(ControlId id, EditOperation operation) { g_window->Edit(id, operation); }

void SetPaneStrategy(PaneStrategy strategy) { g_window->SetPaneStrategy(strategy); }

}  // namespace runemill
