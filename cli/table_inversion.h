#pragma once

#include <cstdint>
#include <vector>

#include "core/substitution_table.h"

namespace runemill {

// A byte that two or more entries give, so that the inverse cannot tell which
// of them it came from.
struct SharedByte {
  std::uint8_t byte;
  std::vector<std::uint8_t> sources;  // ascending; the inverse takes the first
};

struct TableInversion {
  SubstitutionTable inverse;
  std::vector<SharedByte> shared;          // ascending by byte
  std::vector<std::uint8_t> not_one_byte;  // entries 1..255 that are not one byte long
};

// The table that undoes table, for a table whose entries 1..255 are single
// bytes (entry 0 is never used by a conversion and is left out). A byte that
// no entry gives becomes "?", as in the shipped tables; a byte that several
// give goes back to the lowest of them. Entry 0 of the inverse is "{0}", as
// after a reset preset. When not_one_byte is not empty, inverse is meaningless.
TableInversion InvertTable(const SubstitutionTable& table);

}  // namespace runemill
