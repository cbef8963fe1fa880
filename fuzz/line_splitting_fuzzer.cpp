// CutIntoLines: every byte in exactly one line, in order; every line N bytes
// but the last, which has 1 to N; each line followed by CR LF; lengths up to
// the largest that the split command passes and beyond.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "core/line_splitting.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  std::size_t line_length = 0;
  switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      line_length = provider.ConsumeIntegralInRange<std::size_t>(1, 70);
      break;
    case 1:
      line_length =
          provider.ConsumeIntegralInRange<std::size_t>(1, std::numeric_limits<std::int32_t>::max());
      break;
    case 2:  // near the limits, where a position plus N would overflow
      line_length = std::numeric_limits<std::int32_t>::max() -
                    provider.ConsumeIntegralInRange<std::size_t>(0, 3);
      break;
    default:
      line_length = std::numeric_limits<std::size_t>::max() -
                    provider.ConsumeIntegralInRange<std::size_t>(0, 3);
      break;
  }
  const std::string text = provider.ConsumeRemainingBytesAsString();
  const std::string out = runemill::CutIntoLines(text, line_length);

  // Walk the output: a piece, then the inserted CR LF, again and again.
  std::string rejoined;
  std::size_t pos = 0;
  std::size_t lines = 0;
  while (pos < out.size()) {
    const std::size_t remaining = text.size() - rejoined.size();
    RUNEMILL_FUZZ_CHECK(remaining > 0, "line %zu starts after the whole text is used", lines);
    const std::size_t piece = remaining < line_length ? remaining : line_length;
    RUNEMILL_FUZZ_CHECK(out.size() - pos >= piece + 2, "line %zu is cut short", lines);
    rejoined.append(out, pos, piece);
    RUNEMILL_FUZZ_CHECK(out.compare(pos + piece, 2, "\r\n") == 0,
                        "line %zu (N = %zu) is not followed by CR LF", lines, line_length);
    pos += piece + 2;
    ++lines;
  }
  RUNEMILL_FUZZ_CHECK(rejoined == text, "the lines without their CR LF are not the text");
  const std::size_t expected_lines = text.size() / line_length + (text.size() % line_length != 0);
  RUNEMILL_FUZZ_CHECK(lines == expected_lines, "%zu lines, expected %zu", lines, expected_lines);
  RUNEMILL_FUZZ_CHECK(out.size() == text.size() + 2 * lines, "output of %zu bytes for %zu lines",
                      out.size(), lines);
  return 0;
}
