#include "charset_format.h"

#include <array>
#include <cstddef>

#include "core/number_reading.h"

namespace runemill {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kEscapedLineFeed = "[10]";
constexpr std::string_view kEscapedCarriageReturn = "[13]";
constexpr std::string_view kExtension = ".charset";

std::string_view EntryAsWritten(const ByteString& entry) {
  if (entry == "\n") return kEscapedLineFeed;
  if (entry == "\r") return kEscapedCarriageReturn;
  return entry;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void TakeLine(std::string_view line, const CharsetLineSink& take) {
  const std::int32_t index = Low32Bits(ParseNumber(line.substr(0, 3)));
  // A negative index names no entry any more than one above 255 does.
  if (index < 0 || index > 255) return;
  std::string_view entry = line.size() > 4 ? line.substr(4) : std::string_view();
  if (index == 10 && TrimSpaces(entry) == kEscapedLineFeed) entry = "\n";
  if (index == 13 && TrimSpaces(entry) == kEscapedCarriageReturn) entry = "\r";
  take(static_cast<std::uint8_t>(index), entry);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

ByteString WriteCharsetText(const SubstitutionTable& table) {
  std::size_t size = 0;
  for (int i = 0; i < kCellCount; ++i) {
    size += 6 + EntryAsWritten(table.GetEntry(static_cast<std::uint8_t>(i))).size();
  }
  ByteString text;
  text.reserve(size);
  for (int i = 0; i < kCellCount; ++i) {
    const std::array<char, 4> number = {static_cast<char>('0' + i / 100),
                                        static_cast<char>('0' + i / 10 % 10),
                                        static_cast<char>('0' + i % 10), '='};
    text.append(number.data(), number.size());
    text.append(EntryAsWritten(table.GetEntry(static_cast<std::uint8_t>(i))));
    text.append(kLineEnd);
  }
  return text;
}

void ReadCharsetLines(std::string_view file_bytes, const CharsetLineSink& take) {
  std::size_t pos = 0;
  while (pos < file_bytes.size()) {
    std::size_t end = pos;
    while (end < file_bytes.size() && !IsLineEnd(file_bytes[end])) ++end;
    TakeLine(file_bytes.substr(pos, end - pos), take);
    pos = end;
    if (pos < file_bytes.size()) {
      const bool cr_lf =
          file_bytes[pos] == '\r' && pos + 1 < file_bytes.size() && file_bytes[pos + 1] == '\n';
      pos += cr_lf ? 2 : 1;
    }
  }
}

SubstitutionTable TableFromCharsetText(std::string_view file_bytes, SubstitutionTable start) {
  ReadCharsetLines(file_bytes, [&start](std::uint8_t index, std::string_view entry) {
    start.SetEntry(index, entry);
  });
  return start;
}

std::string WithCharsetExtension(std::string path) {
  bool has_extension = path.size() >= kExtension.size();
  for (std::size_t k = 0; has_extension && k < kExtension.size(); ++k) {
    has_extension = AsciiLower(path[path.size() - kExtension.size() + k]) == kExtension[k];
  }
  if (!has_extension) path.append(kExtension);
  return path;
}

}  // namespace runemill
