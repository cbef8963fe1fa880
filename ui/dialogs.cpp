#include "core/screen.h"

namespace runemill {

// Not built yet: every dialog answers as if cancelled.
std::string AskSavePath(std::string_view, std::string_view, std::string_view, int) { return {}; }
std::string AskOpenPath(std::string_view, std::string_view, std::string_view, int) { return {}; }
ByteString AskText(std::string_view, std::string_view, std::string_view) { return {}; }
void ShowMessage(std::string_view, std::string_view) {}

}  // namespace runemill
