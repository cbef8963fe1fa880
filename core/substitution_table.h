#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "screen.h"

namespace runemill {

// The 256 replacement strings, indexed by byte value. The cell grid mirrors
// the program's one instance: every operation here that writes an entry also
// shows it in its cell.
class SubstitutionTable {
 public:
  const ByteString& GetEntry(std::uint8_t b) const { return entries_[b]; }
  void SetEntry(std::uint8_t b, std::string_view text) { entries_[b].assign(text); }

 private:
  std::array<ByteString, kCellCount> entries_;
};

// The table that the window shows; lives from start-up to exit.
SubstitutionTable& ProgramTable();

// The string made of the byte c alone; empty for c = 0. Inline, like
// IdentityTable, so that programs without a window use them without linking
// the commands that reach the cells.
inline ByteString OneCharacterString(std::uint8_t c) {
  return c == 0 ? ByteString() : ByteString(1, static_cast<char>(c));
}

// The identity preset as a table of its own: every byte maps to itself, and
// entry 0 holds the "{0}" marker as after a reset.
inline SubstitutionTable IdentityTable() {
  SubstitutionTable table;
  for (int b = 1; b < kCellCount; ++b) {
    table.SetEntry(static_cast<std::uint8_t>(b), OneCharacterString(static_cast<std::uint8_t>(b)));
  }
  table.SetEntry(0, "{0}");
  return table;
}

enum class ResetMode {
  kIdentity = 0,                  // every byte maps to itself
  kBlankControlCodes = 1,         // 0..31 become spaces
  kBlankControlCodesButBreaks = 2 // 0..31 become spaces, but tab, LF and CR stay
};

// Writes a reset preset into the program's table and the cells. The two
// blanking modes write entries 0..32 only, on top of whatever table is current.
void ResetTable(ResetMode mode);

// Takes the user's edit of field k into the table: cells 1..255 only. True when
// the entry was taken, so that the caller converts.
bool TakeCellEdit(ControlId k);

}  // namespace runemill
