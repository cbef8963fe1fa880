#pragma once

#include <string_view>

#include "screen.h"
#include "substitution_table.h"

namespace runemill {

// Every byte of text replaced by its entry in table. Pure.
ByteString ConvertText(std::string_view text, const SubstitutionTable& table);

// The same into out, whose storage is reused: a conversion runs on every key
// stroke, and fresh pages for a result of many megabytes cost more than the
// conversion itself.
void ConvertTextInto(std::string_view text, const SubstitutionTable& table, ByteString& out);

// Rewrites the whole result pane with the source pane converted through the
// program's table.
void ApplyTable();

}  // namespace runemill
