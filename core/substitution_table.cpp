#include "substitution_table.h"

namespace runemill {

SubstitutionTable& ProgramTable() {
  static SubstitutionTable table;
  return table;
}

void ResetTable(ResetMode mode) {
  SubstitutionTable& table = ProgramTable();
  const int last = mode == ResetMode::kIdentity ? 255 : 32;
  for (int i = 0; i <= last; ++i) {
    int c = i;
    if (mode == ResetMode::kBlankControlCodes && i < 32) c = ' ';
    if (mode == ResetMode::kBlankControlCodesButBreaks && i < 32 && i != '\t' && i != '\n' &&
        i != '\r') {
      c = ' ';
    }
    const ByteString text = OneCharacterString(static_cast<std::uint8_t>(c));
    SetFieldText(i, text);
    table.SetEntry(static_cast<std::uint8_t>(i), text);
  }
  // Byte 0 never occurs in a text, so its entry shows a marker instead.
  SetFieldText(0, "{0}");
  table.SetEntry(0, "{0}");
}

bool TakeCellEdit(ControlId k) {
  if (k < 1 || k > 255) return false;
  ProgramTable().SetEntry(static_cast<std::uint8_t>(k), GetFieldText(k));
  return true;
}

}  // namespace runemill
