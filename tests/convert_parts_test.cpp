#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/chunked_conversion.h"
#include "cli/encoding_guess.h"
#include "cli/table_inversion.h"
#include "core/line_splitting.h"
#include "core/text_conversion.h"
#include "file_test_helpers.h"
#include "files/charset_format.h"
#include "tools/guess_samples.h"

namespace runemill {
namespace {

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() % 256);
  return bytes;
}

// Entries of every length: deleted bytes, expanded bytes, line breaks.
SubstitutionTable MixedTable() {
  SubstitutionTable table = IdentityTable();
  table.SetEntry('a', "");
  table.SetEntry('b', "bbbbbbbbbbbb");
  table.SetEntry('\r', "<CR>");
  table.SetEntry('\n', "");
  table.SetEntry(0xE0, "ya");
  return table;
}

TEST(ChunkedConversion, PiecesGiveWhatTheWholeGives) {
  const std::string input = RandomBytes(10007, 7) + "aab\r\n";
  const SubstitutionTable table = MixedTable();
  const struct {
    std::size_t piece;
    std::size_t line_length;
  } cases[] = {{1, 0},     {4096, 0},   {20000, 0}, {1, 1},     {7, 3},
               {3, 7},     {7, 7},      {64, 32},   {33, 32},   {31, 32},
               {1000, 80}, {20000, 80}, {5, 10012}, {5, 10013}, {100, std::size_t{0x7FFFFFFF}}};
  for (const auto& c : cases) {
    ChunkedConversion conversion(table, c.line_length);
    std::string out;
    for (std::size_t pos = 0; pos < input.size(); pos += c.piece) {
      out.append(conversion.Convert(std::string_view(input).substr(pos, c.piece)));
    }
    out.append(conversion.Finish());
    const std::string whole = c.line_length == 0 ? input : CutIntoLines(input, c.line_length);
    EXPECT_EQ(out, ConvertText(whole, table)) << "piece " << c.piece << ", line " << c.line_length;
  }
}

TEST(ChunkedConversion, EmptyStreamGivesNothing) {
  const SubstitutionTable table = MixedTable();
  ChunkedConversion conversion(table, 3);
  EXPECT_EQ(conversion.Convert(""), "");
  EXPECT_EQ(conversion.Finish(), "");
}

TEST(TableFromCharsetText, LinesOverStartLaterLinesWin) {
  SubstitutionTable start = IdentityTable();
  start.SetEntry('B', "kept");
  const SubstitutionTable table =
      TableFromCharsetText("065=first\r\n065=second\n300=x\r-01=y\n010= [10] \n", start);
  EXPECT_EQ(table.GetEntry('A'), "second");
  EXPECT_EQ(table.GetEntry('B'), "kept");
  EXPECT_EQ(table.GetEntry('\n'), "\n");
  EXPECT_EQ(table.GetEntry('x'), "x");
  EXPECT_EQ(table.GetEntry(44), ",");
}

TEST(InvertTable, PermutationComesBack) {
  SubstitutionTable table = IdentityTable();
  // The Russian letters rotated by one: every byte still given exactly once.
  for (int b = 0xC0; b <= 0xFF; ++b) {
    table.SetEntry(static_cast<std::uint8_t>(b),
                   std::string(1, static_cast<char>(b == 0xFF ? 0xC0 : b + 1)));
  }
  const TableInversion inversion = InvertTable(table);
  EXPECT_TRUE(inversion.shared.empty());
  EXPECT_TRUE(inversion.not_one_byte.empty());
  EXPECT_EQ(inversion.inverse.GetEntry(0), "{0}");
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(ConvertText(ConvertText(all, table), inversion.inverse), all);
  EXPECT_EQ(inversion.inverse.GetEntry(0xC0), "\xFF");
}

TEST(InvertTable, SharedBytesGoToTheLowestAndUnusedBytesToQuestionMark) {
  SubstitutionTable table = IdentityTable();
  table.SetEntry('B', "A");
  table.SetEntry(200, "A");
  table.SetEntry('?', "C");
  const TableInversion inversion = InvertTable(table);
  ASSERT_EQ(inversion.shared.size(), 2u);
  EXPECT_EQ(inversion.shared[0].byte, 'A');
  EXPECT_EQ(inversion.shared[0].sources, (std::vector<std::uint8_t>{'A', 'B', 200}));
  EXPECT_EQ(inversion.shared[1].byte, 'C');
  EXPECT_EQ(inversion.shared[1].sources, (std::vector<std::uint8_t>{'?', 'C'}));
  EXPECT_EQ(inversion.inverse.GetEntry('A'), "A");
  EXPECT_EQ(inversion.inverse.GetEntry('C'), "?");
  EXPECT_EQ(inversion.inverse.GetEntry('B'), "?");
  EXPECT_EQ(inversion.inverse.GetEntry(200), "?");
}

TEST(InvertTable, EntriesThatAreNotOneByteAreListed) {
  SubstitutionTable table = IdentityTable();
  table.SetEntry('a', "");
  table.SetEntry('b', "bb");
  table.SetEntry(0, "");  // entry 0 is never used and does not count
  EXPECT_EQ(InvertTable(table).not_one_byte, (std::vector<std::uint8_t>{'a', 'b'}));
}

std::vector<GuessCandidate> ShippedCandidates() {
  std::vector<GuessCandidate> candidates = {{"cp1251", IdentityTable()}};
  for (const SampleEncoding& encoding : SampleEncodings()) {
    if (encoding.name == "cp1251") continue;
    const std::string text = file_test::ReadBytes(std::string(RUNEMILL_CHARSETS_DIR) + "/" +
                                                  encoding.name + "-to-cp1251.charset");
    candidates.push_back({encoding.name, TableFromCharsetText(text, IdentityTable())});
  }
  return candidates;
}

// Share of samples whose best-ranked output is the right decoding.
double GuessAccuracy(std::size_t size, std::size_t count, std::size_t encoding) {
  const std::vector<GuessCandidate> candidates = ShippedCandidates();
  const std::vector<GuessSample> samples = MakeGuessSamples(size, count);
  EXPECT_EQ(samples.size(), count) << "is fortunes-ru installed?";
  std::size_t right = 0;
  for (const GuessSample& sample : samples) {
    right += RankGuesses(sample.encoded[encoding], candidates).front().output == sample.cp1251;
  }
  return samples.empty() ? 0 : static_cast<double>(right) / static_cast<double>(samples.size());
}

TEST(Guess, RanksTheRightTableFirst) {
  const struct {
    std::size_t size;
    std::size_t count;
    double at_least;
  } cases[] = {{1000, 50, 1.0}, {200, 100, 0.99}, {50, 200, 0.97}};
  for (const auto& c : cases) {
    for (std::size_t e = 0; e < SampleEncodings().size(); ++e) {
      EXPECT_GE(GuessAccuracy(c.size, c.count, e), c.at_least)
          << SampleEncodings()[e].name << ", " << c.size << " bytes";
    }
  }
}

TEST(Guess, MistakenDecodingsScoreBelowRussian) {
  const std::vector<GuessSample> samples = MakeGuessSamples(1000, 1);
  ASSERT_EQ(samples.size(), 1u);
  const double russian = PairScore(samples[0].cp1251, RussianPairCounts());
  // The KOI8-R bytes shown as Windows-1251, and text made of question marks.
  EXPECT_LT(PairScore(samples[0].encoded[0], RussianPairCounts()), russian - 1);
  EXPECT_LT(PairScore(std::string(1000, '?'), RussianPairCounts()), russian - 1);
}

}  // namespace
}  // namespace runemill
