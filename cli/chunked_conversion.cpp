#include "chunked_conversion.h"

#include <algorithm>

#include "core/line_splitting.h"
#include "core/text_conversion.h"

namespace runemill {

ChunkedConversion::ChunkedConversion(const SubstitutionTable& table, std::size_t line_length)
    : table_(table), line_length_(line_length) {}

std::string_view ChunkedConversion::Convert(std::string_view piece) {
  if (line_length_ == 0) {
    ConvertTextInto(piece, table_, out_);
    return out_;
  }
  cut_.clear();
  // First the rest of the line that the previous piece began.
  const std::size_t head = std::min(line_length_ - line_filled_, piece.size());
  cut_.append(piece.substr(0, head));
  line_filled_ += head;
  if (line_filled_ == line_length_) {
    cut_.append("\r\n");
    line_filled_ = 0;
  }
  // Then whole lines, and a short tail whose line end waits for more bytes.
  const std::string_view rest = piece.substr(head);
  const std::size_t whole = rest.size() / line_length_ * line_length_;
  if (whole > 0) cut_.append(CutIntoLines(rest.substr(0, whole), line_length_));
  cut_.append(rest.substr(whole));
  line_filled_ += rest.size() - whole;
  ConvertTextInto(cut_, table_, out_);
  return out_;
}

std::string_view ChunkedConversion::Finish() {
  out_.clear();
  if (line_length_ != 0 && line_filled_ != 0) {
    line_filled_ = 0;
    ConvertTextInto("\r\n", table_, out_);
  }
  return out_;
}

}  // namespace runemill
