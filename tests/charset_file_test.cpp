#include "files/charset_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <csignal>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/layout_presets.h"
#include "core/substitution_table.h"
#include "file_test_helpers.h"
#include "screen_stand_in.h"

namespace runemill {
namespace {

using file_test::Fixture;
using file_test::NamesIn;
using file_test::ReadBytes;
using file_test::WriteBytes;
using Entries = std::array<ByteString, kCellCount>;

// What the user reads, as the Windows-1251 bytes that reach the dialogs.
const std::string kSaveTitle =
    "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC \xF4\xE0\xE9\xEB \xEA\xE0\xEA";  // Сохранить файл как
const std::string kOpenTitle = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB";  // Открыть файл
const std::string kErrorTitle = "\xCE\xF8\xE8\xE1\xEA\xE0";                      // Ошибка
const std::string kCreateError =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF \xF4\xE0\xE9\xEB\xE0\n";
const std::string kReadError = "\xCE\xF8\xE8\xE1\xEA\xE0 \xF7\xF2\xE5\xED\xE8\xFF\n";
const std::string kTypePattern = "Charset (*.charset)|*.charset";

Entries TableEntries() {
  Entries entries;
  for (int b = 0; b < kCellCount; ++b) {
    entries[b] = ProgramTable().GetEntry(static_cast<std::uint8_t>(b));
  }
  return entries;
}

class CharsetFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    working_directory_ = QDir::currentPath();
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
    screen().fields[kSourcePane] = "source";
    screen().fields[kResultPane] = "stale result";
    screen().set_count = {};
  }
  void TearDown() override { QDir::setCurrent(working_directory_); }

  stand_in::Screen& screen() { return stand_in::TheScreen(); }
  std::string Folder() const { return QFile::encodeName(dir_.path()).toStdString(); }
  std::string Path(const std::string& name) const { return Folder() + "/" + name; }

  void Save(const std::string& answer) {
    screen().save_answers.push_back(answer);
    SaveCharsetFile();
  }
  void Load(const std::string& answer) {
    screen().open_answers.push_back(answer);
    LoadCharsetFile();
  }
  void SetEntryAndCell(int b, const ByteString& text) {
    ProgramTable().SetEntry(static_cast<std::uint8_t>(b), text);
    screen().fields[b] = text;
  }
  // Nothing reached the table, a cell or a pane, and the user saw nothing.
  void ExpectNothingChanged(const Entries& before, const std::string& context) {
    EXPECT_EQ(TableEntries(), before) << context;
    EXPECT_EQ(screen().set_count, decltype(screen().set_count){}) << context;
    EXPECT_EQ(screen().fields[kResultPane], "stale result") << context;
  }

  QTemporaryDir dir_;
  QString working_directory_;
};

TEST_F(CharsetFileTest, SavedFileIsTheFixtureOfEachPreset) {
  const struct {
    const char* fixture;
    std::function<void()> preset;
  } cases[] = {
      {"identity.charset", [] { ResetTable(ResetMode::kIdentity); }},
      {"blank_control_codes.charset", [] { ResetTable(ResetMode::kBlankControlCodes); }},
      {"blank_control_codes_but_breaks.charset",
       [] { ResetTable(ResetMode::kBlankControlCodesButBreaks); }},
      {"layout_capitals.charset", [] { ApplyLayoutPreset(LayoutCase::kCapitals); }},
      {"layout_small_letters.charset", [] { ApplyLayoutPreset(LayoutCase::kSmallLetters); }},
  };
  for (const auto& c : cases) {
    ResetTable(ResetMode::kIdentity);
    c.preset();
    // The file is written from the table, not from what the cells show.
    for (ByteString& cell : screen().fields) cell = "typed";
    const std::string name = c.fixture;
    Save(Path(name.substr(0, name.size() - 8)));
    EXPECT_EQ(ReadBytes(Path(name)), Fixture(name)) << name;
  }
  EXPECT_TRUE(screen().messages.empty());
}

TEST_F(CharsetFileTest, FileSizeIsSixBytesALinePlusTheEntriesAsWritten) {
  SetEntryAndCell(0, "");
  SetEntryAndCell(10, "\n");
  SetEntryAndCell(13, "\r\n");
  SetEntryAndCell(65, std::string(5000, 'A'));
  SetEntryAndCell(66, "\r");
  SetEntryAndCell(200, "\xC0\xC1");
  Save(Path("sized.charset"));
  // Entries 1..255 of the identity table hold one byte each, except those
  // changed above: 0 is empty, and 10 and 66 are escaped as four bytes.
  const std::size_t entries = (255 - 5) + 0 + 4 + 2 + 5000 + 4 + 2;
  EXPECT_EQ(ReadBytes(Path("sized.charset")).size(), 256 * 6 + entries);
}

TEST_F(CharsetFileTest, SaveAddsTheExtensionUnlessTheNameHasIt) {
  const struct {
    std::string typed;
    std::string created;
  } cases[] = {
      {"a.txt", "a.txt.charset"},
      {"b", "b.charset"},
      {"c.CHARSET", "c.CHARSET"},
      {"d.Charset", "d.Charset"},
  };
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    Save(Path(c.typed));
    expected.push_back(c.created);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(NamesIn(Folder()), expected);
}

TEST_F(CharsetFileTest, DialogsOpenInTheCurrentFolderFetchedOnEveryCall) {
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  SaveCharsetFile();
  ASSERT_TRUE(QDir::setCurrent("/"));
  LoadCharsetFile();
  ASSERT_EQ(screen().dialogs.size(), 2u);
  const stand_in::DialogCall& save = screen().dialogs[0];
  const stand_in::DialogCall& open = screen().dialogs[1];
  EXPECT_EQ(save.operation, "AskSavePath");
  EXPECT_EQ(save.title, kSaveTitle);
  EXPECT_EQ(save.second, Folder() + "/");
  EXPECT_EQ(save.third, kTypePattern);
  EXPECT_EQ(save.pattern_index, 0);
  EXPECT_EQ(open.operation, "AskOpenPath");
  EXPECT_EQ(open.title, kOpenTitle);
  EXPECT_EQ(open.second, "/");
  EXPECT_EQ(open.third, kTypePattern);
  EXPECT_EQ(open.pattern_index, 0);
}

TEST_F(CharsetFileTest, CancelledDialogsDoNothing) {
  const Entries before = TableEntries();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  SaveCharsetFile();
  LoadCharsetFile();
  EXPECT_EQ(screen().dialogs.size(), 2u);
  EXPECT_TRUE(NamesIn(Folder()).empty());
  EXPECT_TRUE(screen().messages.empty());
  ExpectNothingChanged(before, "cancelled");
}

TEST_F(CharsetFileTest, SavingOverAFileReplacesItWholeAndKeepsItsPermissions) {
  const std::string target = Path("old.charset");
  WriteBytes(target, std::string(10000, 'x'));
  ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(target.c_str(), file_test::kOrdinaryUser, file_test::kOrdinaryUser), 0);
  }

  Save(target);
  EXPECT_EQ(ReadBytes(target), Fixture("identity.charset"));
  EXPECT_EQ(file_test::Mode(target), 0604u);
  if (root) {
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, file_test::kOrdinaryUser);
    EXPECT_EQ(status.st_gid, file_test::kOrdinaryUser);
  }
  EXPECT_EQ(NamesIn(Folder()), std::vector<std::string>{"old.charset"});
  EXPECT_TRUE(screen().messages.empty());
}

TEST_F(CharsetFileTest, ANewFileGetsTheUsualPermissions) {
  const mode_t mask = ::umask(022);
  Save(Path("new"));
  ::umask(mask);
  EXPECT_EQ(file_test::Mode(Path("new.charset")), 0644u);
}

TEST_F(CharsetFileTest, SavingThroughALinkWritesTheFileItPointsTo) {
  WriteBytes(Path("real.charset"), "old");
  ASSERT_EQ(::symlink("real.charset", Path("link.charset").c_str()), 0);
  Save(Path("link.charset"));
  EXPECT_EQ(ReadBytes(Path("real.charset")), Fixture("identity.charset"));
  struct stat status {};
  ASSERT_EQ(::lstat(Path("link.charset").c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
}

TEST_F(CharsetFileTest, SaveThatCannotCreateTheFileSaysSo) {
  WriteBytes(Path("plain"), "a file, not a folder");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.charset"));
  const struct {
    std::string typed;
    std::string shown;
  } cases[] = {
      {Path("plain/t"), Path("plain/t.charset")},
      {Path("missing/t.charset"), Path("missing/t.charset")},
      {Path("folder.charset"), Path("folder.charset")},
  };
  for (const auto& c : cases) {
    screen().messages.clear();
    Save(c.typed);
    ASSERT_EQ(screen().messages.size(), 1u) << c.typed;
    EXPECT_EQ(screen().messages[0].title, kErrorTitle);
    EXPECT_EQ(screen().messages[0].text, kCreateError + c.shown);
  }
  EXPECT_EQ(NamesIn(Folder()), (std::vector<std::string>{"folder.charset", "plain"}));
  EXPECT_EQ(ReadBytes(Path("plain")), "a file, not a folder");
}

// A file size limit makes every write past it fail, as a full disk would.
TEST_F(CharsetFileTest, AWriteThatFailsHalfWayKeepsTheOldFile) {
  const std::string target = Path("kept.charset");
  const std::string old_content = "065=old\r\n066=content\r\n";
  WriteBytes(target, old_content);

  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous_limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous_limit), 0);
  rlimit limit = previous_limit;
  limit.rlim_cur = 1000;  // the table needs 1800 bytes
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  Save(target);
  ::setrlimit(RLIMIT_FSIZE, &previous_limit);
  std::signal(SIGXFSZ, previous_handler);

  EXPECT_EQ(ReadBytes(target), old_content);
  EXPECT_EQ(NamesIn(Folder()), std::vector<std::string>{"kept.charset"});
  ASSERT_EQ(screen().messages.size(), 1u);
  EXPECT_EQ(screen().messages[0].title, kErrorTitle);
  EXPECT_EQ(screen().messages[0].text, kCreateError + target);
}

TEST_F(CharsetFileTest, WhatTheUserMayNotWriteIsLeftAlone) {
  // The user may create files in the folder, but may not write to the
  // read-only file, nor create anything in the read-only subfolder, although
  // the file in there is open to all.
  ASSERT_EQ(::chmod(Folder().c_str(), 0777), 0);
  WriteBytes(Path("read_only.charset"), "kept");
  ASSERT_EQ(::chmod(Path("read_only.charset").c_str(), 0444), 0);
  ASSERT_TRUE(QDir(dir_.path()).mkdir("locked"));
  WriteBytes(Path("locked/open.charset"), "kept too");
  ASSERT_EQ(::chmod(Path("locked/open.charset").c_str(), 0666), 0);
  ASSERT_EQ(::chmod(Path("locked").c_str(), 0555), 0);

  file_test::ExpectAsOrdinaryUser([this] {
    for (const std::string& target : {Path("read_only.charset"), Path("locked/open.charset")}) {
      screen().messages.clear();
      Save(target);
      ASSERT_EQ(screen().messages.size(), 1u) << target;
      EXPECT_EQ(screen().messages[0].text, kCreateError + target);
    }
  });
  EXPECT_EQ(ReadBytes(Path("read_only.charset")), "kept");
  EXPECT_EQ(ReadBytes(Path("locked/open.charset")), "kept too");
  EXPECT_EQ(NamesIn(Folder()), (std::vector<std::string>{"locked", "read_only.charset"}));
  EXPECT_EQ(NamesIn(Path("locked")), std::vector<std::string>{"open.charset"});
  ::chmod(Path("locked").c_str(), 0755);  // so that an ordinary user's test run can clean up
}

TEST_F(CharsetFileTest, LoadShowsEachLineInItsCellAndDoesNotConvert) {
  WriteBytes(Path("some.charset"), "065=x\r\n066=y\n065=z\r-01=q\r\n300=w\r\n010=[10]");
  SetEntryAndCell(10, "changed");
  Entries expected = TableEntries();
  expected[65] = "z";
  expected[66] = "y";
  expected[10] = "\n";
  Load(Path("some.charset"));
  EXPECT_EQ(TableEntries(), expected);
  for (int b = 0; b < kCellCount; ++b) EXPECT_EQ(screen().fields[b], expected[b]) << b;
  for (int b : {0, 1, 64, 67, 255}) EXPECT_EQ(screen().set_count[b], 0) << b;
  EXPECT_EQ(screen().fields[kResultPane], "stale result");
  EXPECT_EQ(screen().set_count[kResultPane], 0);
  EXPECT_EQ(screen().fields[kSourcePane], "source");
  EXPECT_TRUE(screen().messages.empty());
}

TEST_F(CharsetFileTest, LoadingAnEmptyFileChangesNothing) {
  WriteBytes(Path("empty.charset"), "");
  const Entries before = TableEntries();
  Load(Path("empty.charset"));
  EXPECT_TRUE(screen().messages.empty());
  ExpectNothingChanged(before, "empty file");
}

// Every entry without CR and LF, and a lone LF in entry 10 and a lone CR in
// entry 13, comes back as it was.
TEST_F(CharsetFileTest, SaveThenLoadRestoresEveryEntryTheFormatCanHold) {
  std::mt19937 random(2026);
  for (int b = 0; b < kCellCount; ++b) {
    ByteString entry(random() % 7, ' ');
    for (char& c : entry) {
      do {
        c = static_cast<char>(1 + random() % 255);
      } while (c == '\r' || c == '\n');
    }
    SetEntryAndCell(b, entry);
  }
  const std::pair<int, ByteString> chosen[] = {
      {10, "\n"},       {13, "\r"},         {65, "[10]"},
      {66, " [13] "},   {67, "="},          {68, ""},
      {69, "   "},      {70, "\t\x01\xFF"}, {71, std::string(3000, 'q')},
      {0, "000=spoof"},
  };
  for (const auto& [b, entry] : chosen) SetEntryAndCell(b, entry);
  const Entries saved = TableEntries();

  Save(Path("all"));
  ResetTable(ResetMode::kIdentity);
  Load(Path("all.charset"));
  EXPECT_EQ(TableEntries(), saved);
  for (int b = 0; b < kCellCount; ++b) EXPECT_EQ(screen().fields[b], saved[b]) << b;
}

TEST_F(CharsetFileTest, EntriesTheFormatCannotHoldComeBackChanged) {
  const struct {
    int index;
    ByteString saved;
    std::vector<std::pair<int, ByteString>> loaded;
  } cases[] = {
      {65, "a\nb", {{65, "a"}, {0, ""}}},
      {66, "\n", {{66, "[10]"}}},
      {200, "\r", {{200, "[13]"}}},
      {10, " [10] ", {{10, "\n"}}},
      {13, "[13]", {{13, "\r"}}},
      // The smuggled line comes after the file's own line 001, so it wins.
      {67, "x\r\n001=y", {{67, "x"}, {1, "y"}}},
  };
  for (const auto& c : cases) {
    ResetTable(ResetMode::kIdentity);
    Entries expected = TableEntries();
    for (const auto& [b, entry] : c.loaded) expected[b] = entry;
    SetEntryAndCell(c.index, c.saved);
    Save(Path("changed"));
    ResetTable(ResetMode::kIdentity);
    Load(Path("changed.charset"));
    EXPECT_EQ(TableEntries(), expected) << "entry " << c.index;
  }
}

TEST_F(CharsetFileTest, LoadThatCannotReadTheWholeFileSaysSoAndChangesNothing) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("folder"));
  WriteBytes(Path("x.charset"), "065=x\r\n");
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
  file_test::MakeSparseFile(Path("huge.charset"), kMaxCharsetFileSize + 1);
  const std::string cyrillic_folder =
      Folder() + "/\xD1\x82\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0";
  const struct {
    const char* name;
    std::string typed;
    std::string shown;
  } cases[] = {
      {"a folder", Path("folder"), Path("folder")},
      {"a missing file", Path("missing.charset"), Path("missing.charset")},
      {"a name without the extension", Path("x"), Path("x")},
      {"a FIFO", Path("fifo"), Path("fifo")},
      {"a file above the limit", Path("huge.charset"), Path("huge.charset")},
      // таблица/😀: the code page has the letters, not the emoji.
      {"a path outside the code page", cyrillic_folder + "/\xF0\x9F\x98\x80",
       Folder() + "/\xF2\xE0\xE1\xEB\xE8\xF6\xE0/?"},
      // sysfs promises a page and delivers a few bytes: a read that ends early.
      {"a file that ends before its size", "/sys/devices/system/cpu/online",
       "/sys/devices/system/cpu/online"},
  };
  const Entries before = TableEntries();
  for (const auto& c : cases) {
    screen().messages.clear();
    ::alarm(10);  // a load that waits for a FIFO's writer ends the test
    Load(c.typed);
    ::alarm(0);
    ASSERT_EQ(screen().messages.size(), 1u) << c.name;
    EXPECT_EQ(screen().messages[0].title, kErrorTitle) << c.name;
    EXPECT_EQ(screen().messages[0].text, kReadError + c.shown) << c.name;
    ExpectNothingChanged(before, c.name);
  }
}

TEST_F(CharsetFileTest, LoadOfAFileTheUserMayNotReadSaysSoAndChangesNothing) {
  ASSERT_EQ(::chmod(Folder().c_str(), 0755), 0);
  WriteBytes(Path("private.charset"), "065=x\r\n");
  ASSERT_EQ(::chmod(Path("private.charset").c_str(), 0), 0);
  const Entries before = TableEntries();
  file_test::ExpectAsOrdinaryUser([&] {
    Load(Path("private.charset"));
    ASSERT_EQ(screen().messages.size(), 1u);
    EXPECT_EQ(screen().messages[0].text, kReadError + Path("private.charset"));
    ExpectNothingChanged(before, "unreadable");
  });
}

}  // namespace
}  // namespace runemill
