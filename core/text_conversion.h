#pragma once

#include <string_view>

#include "screen.h"
#include "substitution_table.h"

namespace runemill {

// Which instructions a conversion may use. kPortable takes the road of a CPU
// without AVX-512, so that tests check that road on any machine.
enum class InstructionSet { kBest, kPortable };

// Every byte of text replaced by its entry in table. Pure.
ByteString ConvertText(std::string_view text, const SubstitutionTable& table,
                       InstructionSet instructions = InstructionSet::kBest);

// The same into out, whose storage is reused: a conversion runs on every key
// stroke, and fresh pages for a result of many megabytes cost more than the
// conversion itself. out is sized exactly once, before it is written.
void ConvertTextInto(std::string_view text, const SubstitutionTable& table, ByteString& out,
                     InstructionSet instructions = InstructionSet::kBest);

// Rewrites the whole result pane with the source pane converted through the
// program's table.
void ApplyTable();

}  // namespace runemill
