#include "charsets/charset_library.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "core/text_conversion.h"
#include "files/charset_format.h"

namespace runemill {
namespace {

std::string ShippedFile(const std::string& name) {
  std::ifstream in(std::string(RUNEMILL_CHARSETS_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Loads a shipped file as the program's open command does, line by line, and
// counts how often each index was read.
struct LoadedTable {
  SubstitutionTable table;
  std::array<int, kCellCount> times_read{};
};

LoadedTable Load(const std::string& name) {
  LoadedTable loaded;
  ReadCharsetLines(ShippedFile(name), [&loaded](std::uint8_t index, std::string_view entry) {
    loaded.table.SetEntry(index, entry);
    ++loaded.times_read[index];
  });
  return loaded;
}

std::string Encoded(std::string_view utf8, const char* encoding) {
  const std::optional<std::string> text = Iconv(utf8, "UTF-8", encoding);
  return text.value_or("<not representable>");
}

const char* IconvName(std::string_view stem) {
  if (stem == kWindows1251.stem) return kWindows1251.iconv_name;
  for (const Encoding& encoding : kMistakenEncodings) {
    if (encoding.stem == stem) return encoding.iconv_name;
  }
  return nullptr;
}

TEST(CharsetLibrary, TheFolderHoldsExactlyTheLibrary) {
  std::set<std::string> built;
  for (const LibraryTable& entry : BuildCharsetLibrary()) built.insert(entry.file_name);
  std::set<std::string> shipped;
  for (const auto& file : std::filesystem::directory_iterator(RUNEMILL_CHARSETS_DIR)) {
    if (file.path().extension() == ".charset") shipped.insert(file.path().filename());
  }
  EXPECT_EQ(shipped, built);
  EXPECT_EQ(built.size(), 2 * kMistakenEncodings.size() + 2);
}

// Every index read once, so a load leaves nothing of the table before it.
TEST(CharsetLibrary, EveryFileSetsEveryEntryOnce) {
  for (const LibraryTable& entry : BuildCharsetLibrary()) {
    SCOPED_TRACE(entry.file_name);
    const LoadedTable loaded = Load(entry.file_name);
    for (int i = 0; i < kCellCount; ++i) {
      EXPECT_EQ(loaded.times_read[i], 1) << "index " << i;
    }
    EXPECT_EQ(loaded.table.GetEntry(0), "{0}");
    for (int b : {9, 10, 13, 32, 127}) {
      EXPECT_EQ(loaded.table.GetEntry(static_cast<std::uint8_t>(b)), std::string(1, char(b)))
          << "control byte " << b << " must stay";
    }
  }
}

constexpr std::string_view kSamples[] = {
    "Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n"
    "В ЧАЩАХ ЮГА ЖИЛ БЫ ЦИТРУС? ДА, НО ФАЛЬШИВЫЙ ЭКЗЕМПЛЯР! 0123456789\tЁЖ\n",
    "Жебракують філософи при ґанку церкви в Гадячі, ще й шатро їхнє п'яне знаємо.\r\n"
    "ЖЕБРАКУЮТЬ ФІЛОСОФИ ПРИ ҐАНКУ, ЩЕ Й ШАТРО ЇХНЄ.\n",
    "Цена: 5 руб., № 12; ёлка - да! $%&*@[]{}~^_|\\\"'`\n",
};

// The same text, encoded by iconv on both sides of the table: the table must
// turn one into the other. A sample that an encoding cannot hold is left out
// for it, but the Russian one fits every encoding.
TEST(CharsetLibrary, RecodingTablesAgreeWithIconvOnSampleText) {
  for (const Encoding& mistaken : kMistakenEncodings) {
    for (const bool to_windows1251 : {true, false}) {
      const Encoding& from = to_windows1251 ? mistaken : kWindows1251;
      const Encoding& to = to_windows1251 ? kWindows1251 : mistaken;
      const std::string name = RecodingFileName(from, to);
      SCOPED_TRACE(name);
      const LoadedTable loaded = Load(name);
      int checked = 0;
      for (const std::string_view sample : kSamples) {
        const std::optional<std::string> in = Iconv(sample, "UTF-8", from.iconv_name);
        const std::optional<std::string> expected = Iconv(sample, "UTF-8", to.iconv_name);
        if (!in || !expected) continue;
        EXPECT_EQ(ConvertText(*in, loaded.table), *expected) << sample;
        ++checked;
      }
      EXPECT_GE(checked, 1);
    }
  }
}

TEST(CharsetLibrary, UkrainianTextSurvivesWhereTheEncodingHasItsLetters) {
  for (const std::string_view stem : {"koi8-u", "mac-cyrillic"}) {
    const Encoding from = {stem, IconvName(stem)};
    const std::string sample(kSamples[1]);
    EXPECT_EQ(ConvertText(Encoded(sample, from.iconv_name),
                          Load(RecodingFileName(from, kWindows1251)).table),
              Encoded(sample, "CP1251"))
        << stem;
  }
}

// A character that one side lacks becomes "?"; the other bytes of the text
// still go through.
TEST(CharsetLibrary, AByteWithoutCounterpartBecomesAQuestionMark) {
  const struct {
    std::string_view from;
    std::string_view to;
    std::string_view utf8;
    std::string_view expected_utf8;
  } cases[] = {
      {"koi8-r", "cp1251", "а─б", "а?б"},        // box drawing
      {"cp866", "cp1251", "x░y", "x?y"},         // shade block
      {"mac-cyrillic", "cp1251", "1≠2", "1?2"},  // not equal
      {"cp1251", "koi8-r", "«ё»", "?ё?"},        // guillemets
      {"cp1251", "koi8-r", "ґі", "??"},          // Ukrainian letters
      {"cp1251", "iso-8859-5", "‰Ґ", "??"},      // per mille, Ghe with upturn
      {"cp1251", "cp866", "Ђђ", "??"},           // Serbian Dje
  };
  for (const auto& c : cases) {
    const Encoding from = {c.from, IconvName(c.from)};
    const Encoding to = {c.to, IconvName(c.to)};
    EXPECT_EQ(ConvertText(Encoded(c.utf8, from.iconv_name), Load(RecodingFileName(from, to)).table),
              Encoded(c.expected_utf8, to.iconv_name))
        << RecodingFileName(from, to) << ": " << c.utf8;
  }
  // glibc leaves 0x98 unassigned in Windows-1251.
  EXPECT_EQ(Load(RecodingFileName(kWindows1251, kMistakenEncodings[0])).table.GetEntry(0x98), "?");
}

TEST(CharsetLibrary, TransliterationFollowsGost779SystemB) {
  const struct {
    Language language;
    std::string_view cyrillic;
    std::string_view latin;
  } cases[] = {
      {Language::kRussian, "Щука", "Shhuka"},
      {Language::kRussian, "съезд", "s``ezd"},
      {Language::kRussian, "Эхо", "E`xo"},
      {Language::kRussian, "Ёжик", "Yozhik"},
      {Language::kRussian, "мышь", "my`sh`"},
      {Language::kRussian, "Юрий", "Yurij"},
      {Language::kRussian, "улица", "ulicza"},
      {Language::kRussian, "Харьков, 1941 г.", "Xar`kov, 1941 g."},
      {Language::kUkrainian, "Київ", "Ky`yiv"},
      {Language::kUkrainian, "Ґанок", "G`anok"},
      {Language::kUkrainian, "Євген", "Yevgen"},
      {Language::kUkrainian, "п’ять", "p'yat`"},
      {Language::kUkrainian, "Гетьман", "Get`man"},
      {Language::kUkrainian, "щі", "shhi"},
  };
  for (const auto& c : cases) {
    const SubstitutionTable& table = Load(TransliterationFileName(c.language)).table;
    EXPECT_EQ(ConvertText(Encoded(c.cyrillic, "CP1251"), table), c.latin)
        << TransliterationFileName(c.language) << ": " << c.cyrillic;
  }
}

// Letters of the other language stay Cyrillic rather than being guessed.
TEST(CharsetLibrary, EachTransliterationKeepsItsLanguage) {
  const struct {
    Language language;
    std::string_view letters;
  } cases[] = {
      {Language::kRussian, "ґєії"},
      {Language::kUkrainian, "ёъыэ"},
  };
  for (const auto& c : cases) {
    const std::string letters = Encoded(c.letters, "CP1251");
    EXPECT_EQ(ConvertText(letters, Load(TransliterationFileName(c.language)).table), letters)
        << c.letters;
  }
}

}  // namespace
}  // namespace runemill
