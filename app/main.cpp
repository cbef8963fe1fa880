#include <QApplication>

#include "core/substitution_table.h"
#include "ui/event_loop.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
  // The program takes no options: the toolkit sees the program name alone.
  (void)argc;
  int toolkit_argc = 1;
  QApplication application(toolkit_argc, argv);

  runemill::ProgramTable();
  runemill::CreateMainWindow();
  // Start with the identity table; nothing is converted until the user acts.
  runemill::ResetTable(runemill::ResetMode::kIdentity);
  runemill::RunEventLoop();
  runemill::DestroyMainWindow();
  return 0;
}
