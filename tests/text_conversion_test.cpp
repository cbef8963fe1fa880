#include "core/text_conversion.h"

#include <gtest/gtest.h>

#include <random>

#include "screen_stand_in.h"

namespace runemill {
namespace {

SubstitutionTable IdentityTable() {
  SubstitutionTable table;
  for (int b = 1; b < 256; ++b)
    table.SetEntry(static_cast<std::uint8_t>(b), ByteString(1, static_cast<char>(b)));
  table.SetEntry(0, "{0}");
  return table;
}

ByteString NaiveConvert(std::string_view text, const SubstitutionTable& table) {
  ByteString out;
  for (char c : text) out += table.GetEntry(static_cast<unsigned char>(c));
  return out;
}

TEST(ConvertText, Cases) {
  const struct {
    const char* name;
    int entry;
    ByteString value;
    ByteString text;
    ByteString expected;
  } cases[] = {
      {"empty text", 'a', "a", "", ""},
      {"identity", 'a', "a", "Hello,\r\n\xCC\xE8\xF0!", "Hello,\r\n\xCC\xE8\xF0!"},
      {"emptied entry deletes", 'a', "", "banana", "bnn"},
      {"doubled entry", 'A', "AA", "ABA", "AABAA"},
      {"bare LF where CR is emptied", '\r', "", "x\r\ny\r\n", "x\ny\n"},
      {"high bytes are unsigned", 0xFF, "<ff>", "\xFF\x80\xFF", "<ff>\x80<ff>"},
      {"line breaks inside an entry", ';', "\r\n", "a;b", "a\r\nb"},
  };
  for (const auto& c : cases) {
    SubstitutionTable table = IdentityTable();
    table.SetEntry(static_cast<std::uint8_t>(c.entry), c.value);
    EXPECT_EQ(ConvertText(c.text, table), c.expected) << c.name;
  }
}

// Random tables against the plain definition, on both instruction sets. Each
// kind of table takes its own road through the conversion: one byte each; at
// most one, two, four or eight bytes (some empty); longer than eight. Texts
// run from empty to past a few hundred 64-byte blocks, so that the block loops
// and the exact tails after them are both exercised.
TEST(ConvertText, MatchesTheNaiveDefinitionOnRandomInput) {
  const struct {
    int shortest;
    int longest;
  } kinds[] = {{1, 1}, {0, 1}, {0, 2}, {0, 4}, {3, 4}, {0, 8}, {0, 12}, {0, 0}};
  std::mt19937 random(20261211);
  for (const InstructionSet instructions : {InstructionSet::kBest, InstructionSet::kPortable}) {
    for (int round = 0; round < 240; ++round) {
      const auto& kind = kinds[round % std::size(kinds)];
      SubstitutionTable table;
      for (int b = 0; b < 256; ++b) {
        ByteString entry(kind.shortest + random() % (kind.longest - kind.shortest + 1), '\0');
        for (char& c : entry) c = static_cast<char>(1 + random() % 255);
        table.SetEntry(static_cast<std::uint8_t>(b), entry);
      }
      const std::size_t size = round % 16 == 0 ? 40000 + random() % 1000 : random() % 3000;
      ByteString text(size, '\0');
      for (char& c : text) c = static_cast<char>(1 + random() % 255);
      const ByteString expected = NaiveConvert(text, table);
      // Storage that runs on past the result, marked, shows a store past the end.
      constexpr std::size_t kMarked = 600;
      ByteString out(expected.size() + kMarked, '#');
      ConvertTextInto(text, table, out, instructions);
      const std::string_view beyond(out.data() + out.size() + 1, kMarked - 1);
      const char* road = instructions == InstructionSet::kBest ? " best" : " portable";
      ASSERT_EQ(out, expected) << "round " << round << road;
      ASSERT_EQ(beyond.find_first_not_of('#'), std::string_view::npos) << "round " << round << road;
    }
  }
}

TEST(ApplyTable, RewritesTheWholeResultPaneFromTheSourcePane) {
  stand_in::Reset();
  ResetTable(ResetMode::kIdentity);
  ProgramTable().SetEntry('a', "");
  stand_in::TheScreen().fields[kSourcePane] = "banana";
  stand_in::TheScreen().fields[kResultPane] = "typed by the user";
  ApplyTable();
  EXPECT_EQ(stand_in::TheScreen().fields[kResultPane], "bnn");
  EXPECT_EQ(stand_in::TheScreen().fields[kSourcePane], "banana");

  stand_in::TheScreen().fields[kSourcePane] = "";
  ApplyTable();
  EXPECT_EQ(stand_in::TheScreen().fields[kResultPane], "");
}

}  // namespace
}  // namespace runemill
