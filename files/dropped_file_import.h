#pragma once

#include <cstdint>
#include <string_view>

namespace runemill {

// The largest file that a drop brings in, and the largest source text it may
// become (room for every byte to come in as up to four, as a zero byte comes
// in as "{0}"). The source pane holds its text again as the toolkit's UTF-16,
// the result pane a conversion of much the same size, and every keystroke
// converts the whole pane again; beyond these a drop is refused like an
// unreadable file.
inline constexpr std::int64_t kMaxDroppedFileSize = std::int64_t{64} << 20;
inline constexpr std::int64_t kMaxDroppedTextSize = 4 * kMaxDroppedFileSize;

// Reads the first file of the drop list into the source pane, byte by byte
// through the cells, then converts. Anything that is not a regular file that
// can be read whole, and what is above the limits, is ignored without a word.
void ImportDroppedFile(std::string_view drop_list);

}  // namespace runemill
