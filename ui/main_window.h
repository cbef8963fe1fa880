#pragma once

#include "core/screen.h"
#include "ui/field_text.h"

class QWidget;

namespace runemill {

// Builds the main window with its panes, menus, shortcut and cell grid, and
// shows it. Needs a QApplication.
void CreateMainWindow();
// Releases the window and everything in it.
void DestroyMainWindow();
// The window that owns every dialog; null before CreateMainWindow.
QWidget* MainWindowWidget();
// The widget of a field: a QLineEdit for a cell, a QPlainTextEdit for a pane.
QWidget* FieldWidget(ControlId id);
// How both panes are read and written; kIncremental unless a benchmark
// measures the other beside it.
void SetPaneStrategy(PaneStrategy strategy);

}  // namespace runemill
