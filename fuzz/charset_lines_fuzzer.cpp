// The charset reader on any bytes, against a plain reading of the line rule;
// and the writer followed by the reader on a table built from the same bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/number_reading.h"
#include "core/substitution_table.h"
#include "files/charset_format.h"
#include "fuzz_check.h"

namespace runemill::fuzz {
namespace {

using Lines = std::vector<std::pair<int, std::string>>;

std::string Trimmed(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  return text.substr(first, last - first);
}

// One line at a time: up to CR, LF or a zero byte; CR LF counts once; the
// end-of-file test comes before each line.
Lines PlainReading(std::string_view file) {
  Lines lines;
  std::size_t pos = 0;
  while (pos < file.size()) {
    std::string line;
    while (pos < file.size() && file[pos] != '\r' && file[pos] != '\n' && file[pos] != '\0') {
      line += file[pos++];
    }
    if (pos < file.size()) {
      if (file[pos] == '\r' && pos + 1 < file.size() && file[pos + 1] == '\n') ++pos;
      ++pos;
    }
    const std::int64_t number = SlowNumberReading(line.substr(0, 3));
    const auto index = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
    if (index < 0 || index > 255) continue;
    std::string entry = line.size() >= 5 ? line.substr(4) : std::string();
    if (index == 10 && Trimmed(entry) == "[10]") entry = "\n";
    if (index == 13 && Trimmed(entry) == "[13]") entry = "\r";
    lines.emplace_back(index, entry);
  }
  return lines;
}

void CheckReaderOnAnyBytes(std::string_view file) {
  Lines read;
  ReadCharsetLines(file, [&](std::uint8_t index, std::string_view entry) {
    // The entry lies inside the file, or is one of the two unescaped breaks.
    const bool inside = entry.empty() || (entry.data() >= file.data() &&
                                          entry.data() + entry.size() <= file.data() + file.size());
    RUNEMILL_FUZZ_CHECK(inside || entry == "\n" || entry == "\r",
                        "entry of line %zu points outside the file", read.size());
    read.emplace_back(index, std::string(entry));
  });
  const Lines expected = PlainReading(file);
  RUNEMILL_FUZZ_CHECK(read.size() == expected.size(), "%zu lines read, expected %zu", read.size(),
                      expected.size());
  for (std::size_t k = 0; k < read.size(); ++k) {
    RUNEMILL_FUZZ_CHECK(read[k] == expected[k],
                        "line %zu: index %d with %zu bytes, expected %d with %zu", k, read[k].first,
                        read[k].second.size(), expected[k].first, expected[k].second.size());
  }
}

// An entry never holds a zero byte; CR and LF are kept only where the format
// can hold them: as an entry of exactly one byte.
std::string Holdable(std::string entry) {
  if (entry == "\n" || entry == "\r") return entry;
  std::string kept;
  for (char c : entry) {
    if (c != '\0' && c != '\r' && c != '\n') kept += c;
  }
  return kept;
}

// What a written entry reads back as: a lone break is escaped at any index but
// unescaped at its own only; there, an escape with spaces around it reads as
// the break too.
std::string AfterRoundTrip(int index, const std::string& entry) {
  if (entry == "\n") return index == 10 ? "\n" : "[10]";
  if (entry == "\r") return index == 13 ? "\r" : "[13]";
  if (index == 10 && Trimmed(entry) == "[10]") return "\n";
  if (index == 13 && Trimmed(entry) == "[13]") return "\r";
  return entry;
}

void CheckWriterThenReader(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  SubstitutionTable table;
  for (int b = 0; b < 256 && provider.remaining_bytes() > 0; ++b) {
    table.SetEntry(static_cast<std::uint8_t>(b), Holdable(provider.ConsumeRandomLengthString(64)));
  }
  const std::string file = WriteCharsetText(table);

  std::size_t expected_size = 0;
  for (int b = 0; b < 256; ++b) {
    const std::string& entry = table.GetEntry(static_cast<std::uint8_t>(b));
    expected_size += 6 + (entry == "\n" || entry == "\r" ? 4 : entry.size());
  }
  RUNEMILL_FUZZ_CHECK(file.size() == expected_size, "file of %zu bytes, expected %zu", file.size(),
                      expected_size);

  std::vector<int> order;
  SubstitutionTable read;
  for (int b = 0; b < 256; ++b) read.SetEntry(static_cast<std::uint8_t>(b), "\x01not read");
  ReadCharsetLines(file, [&](std::uint8_t index, std::string_view entry) {
    order.push_back(index);
    read.SetEntry(index, entry);
  });
  RUNEMILL_FUZZ_CHECK(order.size() == 256, "%zu lines read back", order.size());
  for (int b = 0; b < 256; ++b) {
    RUNEMILL_FUZZ_CHECK(order[static_cast<std::size_t>(b)] == b, "line %d has index %d", b,
                        order[static_cast<std::size_t>(b)]);
    const auto i = static_cast<std::uint8_t>(b);
    const std::string expected = AfterRoundTrip(b, table.GetEntry(i));
    RUNEMILL_FUZZ_CHECK(read.GetEntry(i) == expected, "entry %d: %zu bytes back, expected %zu", b,
                        read.GetEntry(i).size(), expected.size());
  }
}

}  // namespace
}  // namespace runemill::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  runemill::fuzz::CheckReaderOnAnyBytes(
      std::string_view(reinterpret_cast<const char*>(data), size));
  runemill::fuzz::CheckWriterThenReader(data, size);
  return 0;
}
