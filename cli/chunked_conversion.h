#pragma once

#include <cstddef>
#include <string_view>

#include "core/screen.h"
#include "core/substitution_table.h"

namespace runemill {

// A stream converted piece by piece, so that an input of any size needs no more
// memory than one piece. The pieces together give the same bytes as ConvertText
// of the whole stream, after CutIntoLines of the whole when a line length is
// set: the cut comes first, so the inserted CR LF go through entries 13 and 10,
// as the window's split command converts its new source.
class ChunkedConversion {
 public:
  // line_length 0 cuts nothing.
  ChunkedConversion(const SubstitutionTable& table, std::size_t line_length);
  // The table is kept by reference: a temporary one would be gone before the
  // first piece.
  ChunkedConversion(SubstitutionTable&& table, std::size_t line_length) = delete;

  // The output for the next piece; valid until the next call.
  std::string_view Convert(std::string_view piece);
  // The output that only the end of the stream releases: the line end of a
  // last, short line.
  std::string_view Finish();

 private:
  const SubstitutionTable& table_;
  const std::size_t line_length_;
  std::size_t line_filled_ = 0;  // bytes of the current line already passed on
  ByteString cut_;
  ByteString out_;
};

}  // namespace runemill
