#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <functional>
#include <utility>
#include <vector>

#include "core/screen.h"
#include "modal_driver.h"
#include "ui/main_window.h"
#include "ui/window_events.h"

namespace runemill {
namespace {

constexpr ControlId kFocusedCell = 65;

QByteArray Bytes(const ByteString& bytes) { return QByteArray::fromStdString(bytes); }

std::string WorkingFolder() { return QFile::encodeName(QDir::currentPath() + u'/').toStdString(); }

struct DialogCase {
  const char* name;
  std::function<void()> call;
};

const std::vector<DialogCase>& DialogCases() {
  static const std::vector<DialogCase> cases = {
      {"input", [] { AskText("title", "prompt", "0032"); }},
      {"save", [] { AskSavePath("title", WorkingFolder(), "Charset (*.charset)|*.charset", 0); }},
      {"open", [] { AskOpenPath("title", WorkingFolder(), "Charset (*.charset)|*.charset", 0); }},
      {"message", [] { ShowMessage("title", "text\nmore"); }},
  };
  return cases;
}

using FieldChange = std::pair<ControlId, FieldEventKind>;

// Polls the window's queue until the field has its focus back; the dialog
// hands it back when the window is activated again, which may come after the
// call has returned.
std::vector<FieldChange> FieldEventsUntilFocusReturns() {
  std::vector<FieldChange> changes;
  QDeadlineTimer deadline(5000);
  while (!deadline.hasExpired()) {
    if (std::optional<WindowEvent> event = PollEvent()) {
      if (event->kind == EventKind::kField) {
        changes.emplace_back(event->control_id, event->field_kind);
      }
      if (!changes.empty() && changes.back().second == FieldEventKind::kFocusGained) break;
    } else {
      QTest::qWait(10);
    }
  }
  return changes;
}

QString Describe(const std::vector<FieldChange>& changes) {
  QString text = QStringLiteral("field events:");
  for (const auto& [id, kind] : changes) text += QStringLiteral(" %1/%2").arg(id).arg(int(kind));
  return text;
}

}  // namespace

class DialogModalityTest : public QObject {
  Q_OBJECT

 private:
  ModalWatchdog watchdog_;

 private slots:
  void initTestCase() {
    // Keeps the file dialog's remembered state out of the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
  }

  void init() {
    CreateMainWindow();
    QVERIFY(QTest::qWaitForWindowActive(MainWindowWidget()));
    SetFieldText(kFocusedCell, "");
    FieldWidget(kFocusedCell)->setFocus(Qt::OtherFocusReason);
    while (PollEvent()) {
    }
    watchdog_.Start();
  }

  void cleanup() {
    watchdog_.Stop();
    DestroyMainWindow();
  }

  void dialogHoldsTheWindowUntilItCloses_data() {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < DialogCases().size(); ++i) {
      QTest::newRow(DialogCases()[i].name) << static_cast<int>(i);
    }
  }

  void dialogHoldsTheWindowUntilItCloses() {
    QFETCH(int, row);
    QWidget* window = MainWindowWidget();
    bool owned_by_the_window = false;
    WhenModalShows([&](QWidget* dialog) {
      owned_by_the_window = dialog->parentWidget() == window;
      QTest::keyClick(window->windowHandle(), Qt::Key_X);
      QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
    });
    DialogCases()[static_cast<std::size_t>(row)].call();

    QVERIFY(owned_by_the_window);
    // The key typed into the window while the dialog was open never arrived;
    // one typed as soon as the call has returned does.
    QCOMPARE(Bytes(GetFieldText(kFocusedCell)), "");
    QTest::keyClick(window->windowHandle(), Qt::Key_Y);
    QCOMPARE(Bytes(GetFieldText(kFocusedCell)), "y");
    // The Escape that closed the dialog is not the program's quit key.
    QVERIFY(!TakeEscapePress());

    const std::vector<FieldChange> expected = {{kFocusedCell, FieldEventKind::kFocusLost},
                                               {kFocusedCell, FieldEventKind::kFocusGained}};
    std::vector<FieldChange> changes = FieldEventsUntilFocusReturns();
    // The "y" typed above.
    std::erase(changes, FieldChange{kFocusedCell, FieldEventKind::kTextChanged});
    QVERIFY2(changes == expected, qPrintable(Describe(changes)));
    QCOMPARE(FocusedControlId(), kFocusedCell);
  }
};

}  // namespace runemill

QTEST_MAIN(runemill::DialogModalityTest)
#include "dialog_modality_test.moc"
