#pragma once

#include <string_view>

#include "screen.h"
#include "substitution_table.h"

namespace runemill {

// Every byte of text replaced by its entry in table, in one pass. Pure.
ByteString ConvertText(std::string_view text, const SubstitutionTable& table);

// Rewrites the whole result pane with the source pane converted through the
// program's table.
void ApplyTable();

}  // namespace runemill
