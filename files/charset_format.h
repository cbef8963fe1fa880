#pragma once

// The charset file as bytes: the writer, the reader's line rule and the save
// command's naming rule. No Qt and no screen, so that the benchmarks, the
// fuzzers and the command-line companion can link it on its own.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/screen.h"
#include "core/substitution_table.h"

namespace runemill {

// 256 lines "NNN=entry" in index order, each ended by CR LF. An entry that is
// exactly one LF is written as "[10]", exactly one CR as "[13]", at any index;
// nothing else is escaped.
ByteString WriteCharsetText(const SubstitutionTable& table);

// Receives one line of a charset file; entry points into the bytes being read,
// or at a static "\n" or "\r" for an unescaped line break.
using CharsetLineSink = std::function<void(std::uint8_t index, std::string_view entry)>;

// Hands every line of a charset file to take, in file order. A line ends at CR
// LF, or at a lone CR, a lone LF or a zero byte; the last line is read even
// without an end, and a final line end opens no further line. The index is the
// number that ParseNumber reads in the line's first three bytes; lines whose
// index lies outside 0..255 are left out. The entry starts at the fifth byte.
// Only on a line of index 10 or 13 does "[10]" or "[13]", spaces around it
// ignored, stand for the line break itself.
void ReadCharsetLines(std::string_view file_bytes, const CharsetLineSink& take);

// What loading the file does to start: each line read sets its entry, in file
// order, and entries that no line names keep what start held.
SubstitutionTable TableFromCharsetText(std::string_view file_bytes, SubstitutionTable start);

// The path with ".charset" appended, unless its last eight bytes already are
// ".charset" in any mix of ASCII capitals and small letters.
std::string WithCharsetExtension(std::string path);

}  // namespace runemill
