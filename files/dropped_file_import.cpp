#include "dropped_file_import.h"

#include <optional>
#include <string>

#include "core/screen.h"
#include "core/text_conversion.h"
#include "dropped_file_text.h"
#include "whole_file.h"

namespace runemill {
namespace {

// False when the file is refused; then nothing has changed.
bool FillSourcePane(const std::string& path) {
  const std::optional<std::string> bytes = ReadWholeFile(path, kMaxDroppedFileSize);
  if (!bytes) return false;
  if (bytes->empty()) return true;
  // No cell can change during the import, so each is read once, not per byte.
  CellTexts cells;
  for (int b = 0; b < kCellCount; ++b) cells[b] = GetFieldText(b);
  if (DroppedFileTextSize(*bytes, cells) > static_cast<std::size_t>(kMaxDroppedTextSize)) {
    return false;
  }
  SetFieldText(kSourcePane, DroppedFileText(*bytes, cells));
  return true;
}

}  // namespace

void ImportDroppedFile(std::string_view drop_list) {
  const std::string first_path(drop_list.substr(0, drop_list.find('\n')));
  if (FillSourcePane(first_path)) ApplyTable();
}

}  // namespace runemill
