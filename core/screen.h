#pragma once

// The field and dialog operations through which the core and the file code
// reach the user. The Qt window defines them (ui/); the tests define an
// in-memory stand-in (tests/screen_stand_in.cpp). Which one a program gets is
// decided at link time, so the core carries no toolkit and no virtual calls.

#include <string>
#include <string_view>

namespace runemill {

// 8-bit text in Windows-1251; never holds the byte 0.
using ByteString = std::string;

// Names a field of the main window: 0..255 the cell of that byte value,
// 256 the source pane, 257 the result pane.
using ControlId = int;
inline constexpr int kCellCount = 256;
inline constexpr ControlId kSourcePane = 256;
inline constexpr ControlId kResultPane = 257;
inline constexpr int kFieldCount = 258;

// Replaces the field's whole text. Raises no field event of any kind.
void SetFieldText(ControlId id, std::string_view text);
// The field's whole current text.
ByteString GetFieldText(ControlId id);

// Blocking dialogs; the empty string means the user cancelled. Paths are in
// the file system's own encoding (see README), every other text Windows-1251.
std::string AskSavePath(std::string_view title, std::string_view default_path,
                        std::string_view type_pattern, int pattern_index);
std::string AskOpenPath(std::string_view title, std::string_view default_path,
                        std::string_view type_pattern, int pattern_index);
ByteString AskText(std::string_view title, std::string_view prompt, std::string_view default_text);
void ShowMessage(std::string_view title, std::string_view text);

}  // namespace runemill
