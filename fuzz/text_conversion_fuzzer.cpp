// ConvertText, and ConvertTextInto with a reused output, against appending the
// entries one by one; and the dropped-file mapping against its own plain rule.
// The table's shape is chosen first, since the conversion takes different
// roads for one-byte entries, short ones and long ones.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "files/dropped_file_text.h"
#include "fuzz_check.h"

namespace runemill::fuzz {
namespace {

std::string NaiveConversion(const std::string& text, const SubstitutionTable& table) {
  std::string out;
  for (char c : text) out += table.GetEntry(static_cast<std::uint8_t>(c));
  return out;
}

std::string NaiveImport(const std::string& file, const CellTexts& cells) {
  std::string out;
  for (char c : file) {
    if (c == '\r' || c == '\n') {
      out += c;
    } else {
      out += cells[static_cast<std::uint8_t>(c)];
    }
  }
  return out;
}

std::size_t FirstDifference(const std::string& a, const std::string& b) {
  std::size_t k = 0;
  while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
  return k;
}

SubstitutionTable TableOfShape(FuzzedDataProvider& provider) {
  // Longest entry: one byte each, up to eight, or longer.
  const std::size_t longest[] = {1, 8, 40};
  const std::size_t max_length = longest[provider.ConsumeIntegralInRange<int>(0, 2)];
  const bool exact_length = max_length == 1;
  std::minstd_rand random(provider.ConsumeIntegral<std::uint32_t>());
  SubstitutionTable table;
  for (int b = 0; b < 256; ++b) {
    const std::size_t length = exact_length ? 1 : random() % (max_length + 1);
    std::string entry(length, ' ');
    for (char& c : entry) c = static_cast<char>(1 + random() % 255);
    table.SetEntry(static_cast<std::uint8_t>(b), entry);
  }
  // A few entries straight from the input, of any length.
  const int overrides = provider.ConsumeIntegralInRange<int>(0, 3);
  for (int k = 0; k < overrides; ++k) {
    const auto b = provider.ConsumeIntegral<std::uint8_t>();
    std::string entry = provider.ConsumeRandomLengthString(200);
    std::erase(entry, '\0');
    table.SetEntry(b, entry);
  }
  return table;
}

}  // namespace
}  // namespace runemill::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace runemill;
  FuzzedDataProvider provider(data, size);
  const SubstitutionTable table = fuzz::TableOfShape(provider);
  const int repeats = provider.ConsumeIntegralInRange<int>(1, 8);
  const std::string piece = provider.ConsumeRemainingBytesAsString();
  std::string text;
  for (int k = 0; k < repeats; ++k) text += piece;

  const std::string expected = fuzz::NaiveConversion(text, table);
  const ByteString converted = ConvertText(text, table);
  RUNEMILL_FUZZ_CHECK(
      converted == expected,
      "ConvertText of %zu bytes: %zu bytes out, expected %zu, first difference at %zu", text.size(),
      converted.size(), expected.size(), fuzz::FirstDifference(converted, expected));

  // The output buffer is reused from key stroke to key stroke: a longer text
  // before must leave nothing behind.
  ByteString reused = std::string(expected.size() + 100, '#');
  ConvertTextInto(text + text, table, reused);
  ConvertTextInto(text, table, reused);
  RUNEMILL_FUZZ_CHECK(reused == expected, "ConvertTextInto with a reused output differs at %zu",
                      fuzz::FirstDifference(reused, expected));

  CellTexts cells;
  for (int b = 0; b < kCellCount; ++b) cells[b] = table.GetEntry(static_cast<std::uint8_t>(b));
  const std::string imported = fuzz::NaiveImport(text, cells);
  RUNEMILL_FUZZ_CHECK(DroppedFileTextSize(text, cells) == imported.size(),
                      "DroppedFileTextSize %zu, expected %zu", DroppedFileTextSize(text, cells),
                      imported.size());
  RUNEMILL_FUZZ_CHECK(DroppedFileText(text, cells) == imported, "DroppedFileText differs");
  return 0;
}
