#include "line_splitting.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "number_reading.h"
#include "text_conversion.h"
#include "windows1251.h"

namespace runemill {

ByteString CutIntoLines(std::string_view text, std::size_t line_length) {
  const std::size_t size = text.size();
  const std::size_t line_count = size / line_length + (size % line_length != 0 ? 1 : 0);
  ByteString out(size + 2 * line_count, '\0');
  char* dst = out.data();
  // Stepping by the piece actually taken, never by line_length, keeps the
  // position from running past the end for lengths near the integer limit.
  for (std::size_t pos = 0; pos < size;) {
    const std::size_t piece = std::min(line_length, size - pos);
    std::memcpy(dst, text.data() + pos, piece);
    dst += piece;
    *dst++ = '\r';
    *dst++ = '\n';
    pos += piece;
  }
  return out;
}

void SplitIntoLines() {
  const ByteString source = GetFieldText(kSourcePane);
  const ByteString answer = AskText(Windows1251FromUtf8("Введите длину текста"),
                                    Windows1251FromUtf8("длина строки"), "0032");
  // A length below 1 would never get through the text, so it is refused like
  // an empty answer, and the message shows what was typed.
  const std::int32_t line_length = answer.empty() ? 0 : Low32Bits(ParseNumber(answer));
  if (line_length < 1) {
    ShowMessage(Windows1251FromUtf8("Ошибка ввода"), Windows1251FromUtf8("Введено:\n") + answer);
    return;
  }
  SetFieldText(kSourcePane, CutIntoLines(source, static_cast<std::size_t>(line_length)));
  ApplyTable();
}

}  // namespace runemill
