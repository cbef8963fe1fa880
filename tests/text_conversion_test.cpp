#include "core/text_conversion.h"

#include <gtest/gtest.h>

#include <random>

#include "screen_stand_in.h"

namespace runemill {
namespace {

SubstitutionTable IdentityTable() {
  SubstitutionTable table;
  for (int b = 1; b < 256; ++b) table.SetEntry(static_cast<std::uint8_t>(b), ByteString(1, static_cast<char>(b)));
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

// Random tables of one byte each, of 0 to 8 bytes and of 0 to 12 bytes (each
// takes its own road through the conversion), against the plain definition.
TEST(ConvertText, MatchesTheNaiveDefinitionOnRandomInput) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 200; ++round) {
    SubstitutionTable table;
    const int longest = round % 3 == 0 ? 1 : round % 3 == 1 ? 8 : 12;
    for (int b = 0; b < 256; ++b) {
      ByteString entry;
      const int length = longest == 1 ? 1 : static_cast<int>(random() % (longest + 1));
      for (int k = 0; k < length; ++k) entry.push_back(static_cast<char>(1 + random() % 255));
      table.SetEntry(static_cast<std::uint8_t>(b), entry);
    }
    ByteString text(random() % 3000, '\0');
    for (char& c : text) c = static_cast<char>(1 + random() % 255);
    ASSERT_EQ(ConvertText(text, table), NaiveConvert(text, table)) << "round " << round;
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
