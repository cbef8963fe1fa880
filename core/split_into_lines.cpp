// The window's split command. Kept apart from the cutting itself so that a
// program that only cuts text (the command-line companion, the fuzzers) links
// no field or dialog operation.

#include <cstdint>

#include "line_splitting.h"
#include "number_reading.h"
#include "text_conversion.h"
#include "windows1251.h"

namespace runemill {

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
