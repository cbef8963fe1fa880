#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "core/substitution_table.h"
#include "ui/event_loop.h"
#include "ui/main_window.h"

namespace {

// Without a display the toolkit reports several lines and then aborts; a user
// who started us from a terminal needs one line that says what is wrong.
void ReportMissingDisplay(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtFatalMsg) return;
  std::fputs("runemill: no display to open the window on (start it from a desktop session)\n",
             stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
  // The program takes no options: the toolkit sees the program name alone.
  (void)argc;
  int toolkit_argc = 1;
  const QtMessageHandler default_handler = qInstallMessageHandler(ReportMissingDisplay);
  QApplication application(toolkit_argc, argv);
  qInstallMessageHandler(default_handler);
  // Lets a Wayland desktop match the window to the installed desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.runemill.Runemill"));

  runemill::ProgramTable();
  runemill::CreateMainWindow();
  // Start with the identity table; nothing is converted until the user acts.
  runemill::ResetTable(runemill::ResetMode::kIdentity);
  runemill::RunEventLoop();
  runemill::DestroyMainWindow();
  return 0;
}
