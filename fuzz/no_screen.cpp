// The fuzzed functions are pure, but the archives that hold them also hold the
// commands that reach the window (ApplyTable, SplitIntoLines, ResetTable).
// Those are never called here; should one be, the run stops at once.

#include <cstdio>
#include <cstdlib>

#include "core/screen.h"

namespace runemill {
namespace {

[[noreturn]] void Unreachable(const char* operation) {
  std::fprintf(stderr, "fuzz target reached the screen: %s\n", operation);
  std::abort();
}

}  // namespace

void SetFieldText(ControlId, std::string_view) { Unreachable("SetFieldText"); }
ByteString GetFieldText(ControlId) { Unreachable("GetFieldText"); }
std::string AskSavePath(std::string_view, std::string_view, std::string_view, int) {
  Unreachable("AskSavePath");
}
std::string AskOpenPath(std::string_view, std::string_view, std::string_view, int) {
  Unreachable("AskOpenPath");
}
ByteString AskText(std::string_view, std::string_view, std::string_view) { Unreachable("AskText"); }
void ShowMessage(std::string_view, std::string_view) { Unreachable("ShowMessage"); }

}  // namespace runemill
