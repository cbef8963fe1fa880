#pragma once

class QWidget;

namespace runemill {

// Builds the main window with its panes, menus, shortcut and cell grid, and
// shows it. Needs a QApplication.
void CreateMainWindow();
// Releases the window and everything in it.
void DestroyMainWindow();
// The window that owns every dialog; null before CreateMainWindow.
QWidget* MainWindowWidget();

}  // namespace runemill
