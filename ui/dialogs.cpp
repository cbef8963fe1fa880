#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <cstdint>
#include <limits>

#include "core/screen.h"
#include "core/windows1251.h"
#include "ui/main_window.h"

namespace runemill {
namespace {

// The longest path a caller can be handed; a longer choice counts as no choice.
constexpr qsizetype kMaxPathLength = 259;

constexpr QSize kInputDialogOuterSize(300, 130);

QString FromWindows1251(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[static_cast<qsizetype>(i)] =
        QChar(Windows1251ToUnicode(static_cast<std::uint8_t>(bytes[i])));
  }
  return text;
}

ByteString ToWindows1251(const QString& text) {
  ByteString bytes(static_cast<std::size_t>(text.size()), '\0');
  for (qsizetype i = 0; i < text.size(); ++i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(UnicodeToWindows1251(text[i].unicode()));
  }
  return bytes;
}

// Widgets abort the process without a QApplication; a dialog that cannot be shown answers as if
// cancelled instead.
bool CanShowDialogs() { return qobject_cast<QApplication*>(QCoreApplication::instance()); }

// Shows the dialog over the main window and waits for it to close. Not every platform gives the
// activation back to the owner when a dialog closes (X11 leaves it to the window manager), yet
// the window's focused field must get its focus back.
int RunModal(QDialog& dialog) {
  const int result = dialog.exec();
  if (QWidget* owner = MainWindowWidget(); owner && owner->isVisible()) owner->activateWindow();
  return result;
}

// The type pattern gives (description, patterns) pairs; Qt reads a filter's patterns from the
// brackets at the end of its text, so a description that does not already end in its own
// patterns gets them appended.
QStringList NameFilters(std::string_view type_pattern) {
  const QStringList fields = FromWindows1251(type_pattern).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
    const QString patterns = QString(fields[i + 1]).replace(u';', u' ').simplified();
    const QString bracketed = u'(' + patterns + u')';
    filters.append(fields[i].endsWith(bracketed) ? fields[i] : fields[i] + u' ' + bracketed);
  }
  return filters;
}

// Qt's own dialog accepts a name in a folder that does not exist and leaves it to the caller to
// fail on; this one refuses it and stays open, as the platforms' native dialogs do.
class PathDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    const QString path = selectedFiles().value(0);
    const QFileInfo chosen(path);
    if (!path.isEmpty() && !chosen.exists() && !QFileInfo(chosen.absolutePath()).isDir()) {
      QMessageBox::warning(
          this, windowTitle(),
          QCoreApplication::translate(
              "QFileDialog",
              "%1\nDirectory not found.\nPlease verify the correct directory name was given.")
              .arg(chosen.absolutePath()));
      return;
    }
    QFileDialog::accept();
  }
};

enum class PathPurpose { kSave, kOpen };

std::string AskPath(PathPurpose purpose, std::string_view title, std::string_view default_path,
                    std::string_view type_pattern, int pattern_index) {
  if (!CanShowDialogs()) return {};
  PathDialog dialog(MainWindowWidget(), FromWindows1251(title));
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(purpose == PathPurpose::kSave ? QFileDialog::AcceptSave
                                                     : QFileDialog::AcceptOpen);
  // AnyFile for opening too: a name that does not exist is returned, and the caller reports it.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QString());

  const QStringList filters = NameFilters(type_pattern);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(pattern_index, filters.front()));
  }
  const QByteArray encoded_default(default_path.data(),
                                   static_cast<qsizetype>(default_path.size()));
  dialog.setDirectory(QFileInfo(QFile::decodeName(encoded_default)).absolutePath());

  if (RunModal(dialog) != QDialog::Accepted) return {};
  const QString path = dialog.selectedFiles().value(0);
  if (path.size() > kMaxPathLength) return {};
  return QFile::encodeName(path).toStdString();
}

class InputDialog : public QDialog {
 public:
  InputDialog(QWidget* owner, const QString& title, const QString& prompt, const QString& text)
      : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(title);
    setWindowIcon(owner ? owner->windowIcon() : QApplication::windowIcon());

    auto* label = new QLabel(prompt, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(10, 10, 280, 22);

    field_ = new QLineEdit(this);
    field_->setMaxLength(std::numeric_limits<int>::max());
    field_->setGeometry(10, 32, 275, 21);
    field_->setText(text);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(110, 67, 80, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    PlaceOnPrimaryScreen(owner);
    field_->setFocus();
  }

  QString Text() const { return field_->text(); }

  void setVisible(bool visible) override {
    QDialog::setVisible(visible);
    if (!visible) return;
    // Showing a dialog gives its focus widget a focus-in "by Tab", on which a line edit selects
    // its whole text: typing would then replace the default text instead of adding to it.
    field_->deselect();
    field_->end(false);
    raise();
    activateWindow();
  }

 private:
  // The outer size is fixed, so the client area is what the window frame leaves of it. Some
  // platforms know a window's frame only once the window manager has decorated it; the main
  // window has been, and the dialog gets the same title bar and border.
  void PlaceOnPrimaryScreen(QWidget* owner) {
    create();
    QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull() && owner && owner->window()->windowHandle()) {
      frame = owner->window()->windowHandle()->frameMargins();
    }
    setFixedSize(kInputDialogOuterSize.shrunkBy(frame));
    // Centred on the screen rather than over the main window; move() places the frame.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->geometry();
      move(area.x() + area.width() / 2 - kInputDialogOuterSize.width() / 2,
           area.y() + area.height() / 2 - kInputDialogOuterSize.height() / 2);
    }
  }

  QLineEdit* field_ = nullptr;
};

}  // namespace

std::string AskSavePath(std::string_view title, std::string_view default_path,
                        std::string_view type_pattern, int pattern_index) {
  return AskPath(PathPurpose::kSave, title, default_path, type_pattern, pattern_index);
}

std::string AskOpenPath(std::string_view title, std::string_view default_path,
                        std::string_view type_pattern, int pattern_index) {
  return AskPath(PathPurpose::kOpen, title, default_path, type_pattern, pattern_index);
}

ByteString AskText(std::string_view title, std::string_view prompt, std::string_view default_text) {
  if (!CanShowDialogs()) return {};
  InputDialog dialog(MainWindowWidget(), FromWindows1251(title), FromWindows1251(prompt),
                     FromWindows1251(default_text));
  if (RunModal(dialog) != QDialog::Accepted) return {};
  return ToWindows1251(dialog.Text());
}

void ShowMessage(std::string_view title, std::string_view text) {
  if (!CanShowDialogs()) return;
  QMessageBox box(QMessageBox::NoIcon, FromWindows1251(title), FromWindows1251(text),
                  QMessageBox::Ok, MainWindowWidget());
  // Plain text, so that a line feed starts a new line and nothing reads as markup.
  box.setTextFormat(Qt::PlainText);
  RunModal(box);
}

}  // namespace runemill
