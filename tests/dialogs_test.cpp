#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <functional>
#include <string>
#include <vector>

#include "core/screen.h"
#include "core/windows1251.h"
#include "modal_driver.h"

namespace runemill {
enum class FileDialogKind { kSave, kOpen };
}  // namespace runemill
Q_DECLARE_METATYPE(runemill::FileDialogKind)

namespace runemill {
namespace {

const std::string kCharsetPattern = "Charset (*.charset)|*.charset";

std::string Cp1251(const char* utf8) { return Windows1251FromUtf8(utf8); }
std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }
// Results are compared as byte arrays, which Qt Test prints on a mismatch.
QByteArray Bytes(const std::string& bytes) { return QByteArray::fromStdString(bytes); }

void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

QLineEdit* FileNameField(QWidget* dialog) {
  return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types a name into the file dialog and confirms it with Enter, as the user would.
void TypeAndConfirm(QWidget* dialog, const QString& name) {
  QLineEdit* field = FileNameField(dialog);
  QVERIFY(field);
  field->setText(name);
  QTest::keyClick(field, Qt::Key_Return);
}

std::string AskPath(FileDialogKind kind, const std::string& title, const std::string& default_path,
                    const std::string& pattern = kCharsetPattern, int index = 0) {
  return kind == FileDialogKind::kSave ? AskSavePath(title, default_path, pattern, index)
                                       : AskOpenPath(title, default_path, pattern, index);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;
  QString start_folder_;  // the folder the file dialogs are asked to open in
  QString other_folder_;
  QString working_folder_;
  ModalWatchdog watchdog_;

  // The folder the program passes: with a trailing separator, in the file system's encoding.
  std::string DefaultPath() const { return Encoded(start_folder_ + u'/'); }

 private slots:
  void initTestCase() {
    // Keeps the file dialog's remembered state out of the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(root_.isValid());
    const QDir root(root_.path());
    // A Cyrillic name, so that a mix-up of the path and the text encodings shows.
    start_folder_ = root.filePath(QString::fromUtf8("наборы"));
    other_folder_ = root.filePath(QStringLiteral("other"));
    working_folder_ = root.filePath(QStringLiteral("working"));
    for (const QString& folder : {start_folder_, other_folder_, working_folder_}) {
      QVERIFY(QDir().mkpath(folder));
    }
    for (const QString& file : {start_folder_ + "/old.charset", other_folder_ + "/far.charset"}) {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // Not the folder the dialogs open in, so that neither can stand in for the other.
    QVERIFY(QDir::setCurrent(working_folder_));
    QApplication::setWindowIcon(QIcon(QPixmap(16, 16)));
  }
  void init() { watchdog_.Start(); }
  void cleanup() { watchdog_.Stop(); }

  void inputDialog_data() {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < InputCases().size(); ++i) {
      QTest::newRow(InputCases()[i].name) << static_cast<int>(i);
    }
  }

  void inputDialog() {
    QFETCH(int, row);
    const InputCase& c = InputCases()[static_cast<std::size_t>(row)];
    WhenModalShows(c.act);
    const ByteString answer =
        AskText(Cp1251("Введите длину текста"), Cp1251("длина строки"), Cp1251(c.default_text));
    QCOMPARE(Bytes(answer), Bytes(Cp1251(c.expected)));
  }

  void inputDialogLayout() {
    const QString prompt = QString::fromUtf8("длина строки & <b>x</b>");
    WhenModalShows([&](QWidget* dialog) {
      QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Введите длину текста"));
      const QRect screen = QGuiApplication::primaryScreen()->geometry();
      QCOMPARE(dialog->frameGeometry(),
               QRect(screen.width() / 2 - 150, screen.height() / 2 - 65, 300, 130));
      QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
      // Qt adds the window menu that goes with a close box; no other button may come with it.
      const Qt::WindowFlags flags = dialog->windowFlags();
      QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
      QCOMPARE(flags & ~(Qt::WindowType_Mask | Qt::WindowSystemMenuHint),
               Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
      QCOMPARE(dialog->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());

      auto* label = dialog->findChild<QLabel*>();
      auto* field = dialog->findChild<QLineEdit*>();
      auto* ok = dialog->findChild<QPushButton*>();
      QVERIFY(label && field && ok);
      const struct {
        QWidget* control;
        QRect geometry;
      } controls[] = {
          {label, {10, 10, 280, 22}}, {field, {10, 32, 275, 21}}, {ok, {110, 67, 80, 25}}};
      for (const auto& [control, geometry] : controls) QCOMPARE(control->geometry(), geometry);

      QCOMPARE(label->text(), prompt);
      QCOMPARE(label->textFormat(), Qt::PlainText);
      QVERIFY(!label->wordWrap());
      QCOMPARE(ok->text(), QStringLiteral("OK"));
      QVERIFY(ok->isDefault());
      QCOMPARE(field->echoMode(), QLineEdit::Normal);
      QVERIFY(field->maxLength() > 100000);
      QCOMPARE(QApplication::focusWidget(), field);
      QVERIFY(!field->hasSelectedText());
      QCOMPARE(field->cursorPosition(), field->text().size());
      QCOMPARE(QApplication::activeWindow(), dialog);
      dialog->close();
    });
    QCOMPARE(Bytes(AskText(Cp1251("Введите длину текста"), ToCp1251(prompt), "0032")), "");
  }

  void fileDialogSetup_data() {
    QTest::addColumn<FileDialogKind>("kind");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("selected");
    const QString charset = QString::fromStdString(kCharsetPattern);
    const QStringList charset_filters{"Charset (*.charset)"};
    QTest::newRow("save") << FileDialogKind::kSave << charset << 0 << charset_filters
                          << charset_filters[0];
    QTest::newRow("open") << FileDialogKind::kOpen << charset << 0 << charset_filters
                          << charset_filters[0];
    QTest::newRow("patterns appended, second pair selected")
        << FileDialogKind::kOpen << QStringLiteral("Text|*.txt;*.log|All|*") << 1
        << QStringList{"Text (*.txt *.log)", "All (*)"} << QStringLiteral("All (*)");
  }

  void fileDialogSetup() {
    QFETCH(FileDialogKind, kind);
    QFETCH(QString, pattern);
    QFETCH(int, index);
    QFETCH(QStringList, filters);
    QFETCH(QString, selected);
    WhenModalShows([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog);
      QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Открыть файл"));
      QCOMPARE(dialog->nameFilters(), filters);
      QCOMPARE(dialog->selectedNameFilter(), selected);
      QCOMPARE(dialog->directory().absolutePath(), start_folder_);
      QVERIFY(FileNameField(dialog));
      QCOMPARE(FileNameField(dialog)->text(), QString());
      QCOMPARE(dialog->acceptMode(),
               kind == FileDialogKind::kSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
      QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
      QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      QVERIFY(!dialog->testOption(QFileDialog::ReadOnly));
      QCOMPARE(dialog->defaultSuffix(), QString());
      dialog->reject();
    });
    QCOMPARE(
        Bytes(AskPath(kind, Cp1251("Открыть файл"), DefaultPath(), pattern.toStdString(), index)),
        "");
  }

  void choosingAFile_data() {
    QTest::addColumn<FileDialogKind>("kind");
    QTest::addColumn<QString>("navigate_to");  // a folder the user moves to first, if any
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");  // the full path returned; empty for none
    const auto save = FileDialogKind::kSave;
    const auto open = FileDialogKind::kOpen;
    const QString in_start = start_folder_ + u'/';
    QTest::newRow("save over an existing file, unasked")
        << save << QString() << "old.charset" << in_start + "old.charset";
    QTest::newRow("open a name that does not exist")
        << open << QString() << "missing.charset" << in_start + "missing.charset";
    QTest::newRow("save, no extension added") << save << QString() << "plain" << in_start + "plain";
    QTest::newRow("open, no extension added") << open << QString() << "plain" << in_start + "plain";
    QTest::newRow("Cyrillic name") << save << QString() << QString::fromUtf8("ёлка.charset")
                                   << in_start + QString::fromUtf8("ёлка.charset");
    QTest::newRow("open in another folder, navigated")
        << open << other_folder_ << "far.charset" << other_folder_ + "/far.charset";
    QTest::newRow("save in another folder, typed")
        << save << QString() << other_folder_ + "/new.charset" << other_folder_ + "/new.charset";
    const QString longest_name(259 - in_start.size(), u'n');
    QTest::newRow("259 characters") << save << QString() << longest_name << in_start + longest_name;
    QTest::newRow("260 characters") << save << QString() << longest_name + u'n' << QString();
  }

  void choosingAFile() {
    QFETCH(FileDialogKind, kind);
    QFETCH(QString, navigate_to);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    WhenModalShows([&](QWidget* dialog) {
      if (!navigate_to.isEmpty()) qobject_cast<QFileDialog*>(dialog)->setDirectory(navigate_to);
      TypeAndConfirm(dialog, typed);
    });
    const QByteArray path = Bytes(AskPath(kind, "title", DefaultPath()));
    QCOMPARE(path, expected.isEmpty() ? QByteArray() : QFile::encodeName(expected));
    QCOMPARE(QDir::currentPath(), working_folder_);
  }

  void nameInAMissingFolderIsRefused_data() {
    QTest::addColumn<FileDialogKind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::newRow("save") << FileDialogKind::kSave << "nowhere/x.charset";
    QTest::newRow("open") << FileDialogKind::kOpen << "nowhere/x.charset";
    QTest::newRow("a file taken for a folder") << FileDialogKind::kSave << "old.charset/x";
  }

  void nameInAMissingFolderIsRefused() {
    QFETCH(FileDialogKind, kind);
    QFETCH(QString, typed);
    bool warned = false;
    bool stayed_open = false;
    WhenModalShows([&](QWidget* dialog) {
      WhenModalShows([&](QWidget* warning) {
        warned = qobject_cast<QMessageBox*>(warning) != nullptr;
        warning->close();
      });
      TypeAndConfirm(dialog, typed);
      stayed_open = dialog->isVisible();
      dialog->close();
    });
    QCOMPARE(Bytes(AskPath(kind, "title", DefaultPath())), "");
    QVERIFY(warned);
    QVERIFY(stayed_open);
  }

  void message_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("read error") << QString::fromUtf8("Ошибка")
                                << QString::fromUtf8("Ошибка чтения\n/tmp/<b>x</b>.charset");
    QTest::newRow("ends in a line feed")
        << QString::fromUtf8("Ошибка ввода") << QString::fromUtf8("Введено:\n");
  }

  void message() {
    QFETCH(QString, title);
    QFETCH(QString, text);
    bool closed_by_its_button = false;
    WhenModalShows([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      QCOMPARE(box->windowTitle(), title);
      QCOMPARE(box->text(), text);
      QCOMPARE(box->textFormat(), Qt::PlainText);
      QCOMPARE(box->icon(), QMessageBox::NoIcon);
      QCOMPARE(box->buttons().size(), 1);
      QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
      closed_by_its_button = !box->isVisible();
    });
    ShowMessage(ToCp1251(title), ToCp1251(text));
    QVERIFY(closed_by_its_button);
  }

 private:
  struct InputCase {
    const char* name;
    const char* default_text;  // UTF-8, passed on in Windows-1251
    std::function<void(QWidget*)> act;
    const char* expected;
  };

  static std::string ToCp1251(const QString& text) {
    return Windows1251FromUtf8(text.toUtf8().toStdString());
  }

  static const std::vector<InputCase>& InputCases() {
    static const std::vector<InputCase> cases = {
        {"Enter at once", "0032", [](QWidget*) { Press(Qt::Key_Return); }, "0032"},
        {"typing adds to the default text", "0032",
         [](QWidget*) {
           QTest::keyClicks(QApplication::focusWidget(), "5");
           Press(Qt::Key_Enter);
         },
         "00325"},
        {"Escape cancels", "0032", [](QWidget*) { Press(Qt::Key_Escape); }, ""},
        {"close box cancels", "0032", [](QWidget* d) { d->windowHandle()->close(); }, ""},
        {"Enter with the focus on the button", "0032",
         [](QWidget*) {
           Press(Qt::Key_Tab);
           QVERIFY(qobject_cast<QPushButton*>(QApplication::focusWidget()));
           Press(Qt::Key_Return);
         },
         "0032"},
        {"click on OK", "0032",
         [](QWidget* d) { QTest::mouseClick(d->findChild<QPushButton*>(), Qt::LeftButton); },
         "0032"},
        {"emptied field", "0032",
         [](QWidget*) {
           for (int i = 0; i < 4; ++i) Press(Qt::Key_Backspace);
           Press(Qt::Key_Return);
         },
         ""},
        {"answer untrimmed", " 12\t ", [](QWidget*) { Press(Qt::Key_Return); }, " 12\t "},
        {"Windows-1251 both ways", "длина",
         [](QWidget*) {
           for (const QChar letter : QString::fromUtf8("ёЯ")) {
             QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                 QString(letter), Qt::NoModifier);
           }
           Press(Qt::Key_Return);
         },
         "длинаёЯ"},
    };
    return cases;
  }
};

}  // namespace runemill

QTEST_MAIN(runemill::DialogsTest)
#include "dialogs_test.moc"
