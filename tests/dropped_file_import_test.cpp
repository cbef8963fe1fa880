#include "files/dropped_file_import.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

#include "core/substitution_table.h"
#include "file_test_helpers.h"
#include "files/dropped_file_text.h"
#include "screen_stand_in.h"

namespace runemill {
namespace {

using file_test::WriteBytes;
using namespace std::string_literals;

std::string BytesFromTo(int first, int last) {
  std::string bytes;
  for (int b = first; b <= last; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

class DroppedFileImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    StartOver();
  }
  // The identity table and a source pane that a drop has not touched yet.
  void StartOver() {
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
    screen().fields[kSourcePane] = "old source";
    screen().fields[kResultPane] = "stale result";
    screen().set_count = {};
  }

  stand_in::Screen& screen() { return stand_in::TheScreen(); }
  std::string Folder() const { return QFile::encodeName(dir_.path()).toStdString(); }
  std::string Path(const std::string& name) const { return Folder() + "/" + name; }
  const ByteString& source() { return screen().fields[kSourcePane]; }
  const ByteString& result() { return screen().fields[kResultPane]; }

  // No pane and no cell written, no conversion, no message.
  void ExpectNothingAtAll(const std::string& context) {
    EXPECT_EQ(source(), "old source") << context;
    EXPECT_EQ(result(), "stale result") << context;
    EXPECT_EQ(screen().set_count, decltype(screen().set_count){}) << context;
    EXPECT_TRUE(screen().messages.empty()) << context;
    EXPECT_TRUE(screen().dialogs.empty()) << context;
  }

  QTemporaryDir dir_;
};

TEST_F(DroppedFileImportTest, OnlyTheFirstFileOfTheListComesIn) {
  WriteBytes(Path("first"), "first\r\nfile");
  WriteBytes(Path("second"), "second");
  for (const std::string& list :
       {Path("first") + "\n" + Path("second"), Path("first") + "\n", Path("first")}) {
    StartOver();
    ImportDroppedFile(list);
    EXPECT_EQ(source(), "first\r\nfile") << list;
    EXPECT_EQ(result(), "first\r\nfile") << list;
    EXPECT_EQ(screen().set_count[kResultPane], 1) << list;
  }
}

TEST_F(DroppedFileImportTest, AnythingButAWholeRegularFileIsIgnored) {
  WriteBytes(Path("file"), "content");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("folder"));
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
  file_test::MakeSparseFile(Path("above_limit"), kMaxDroppedFileSize + 1);
  // A 32-bit size would read this as a one-byte file.
  file_test::MakeSparseFile(Path("four_gib_and_one"), (std::int64_t{1} << 32) + 1);
  const struct {
    const char* name;
    std::string list;
  } cases[] = {
      {"an empty list", ""},
      {"an empty first path", "\n" + Path("file")},
      {"a folder", Path("folder") + "\n" + Path("file")},
      {"a missing file", Path("missing")},
      {"a FIFO", Path("fifo")},
      {"a device without end", "/dev/zero"},
      {"a file above the limit", Path("above_limit")},
      {"a file of 4 GiB and one byte", Path("four_gib_and_one")},
      // sysfs promises a page and delivers a few bytes: a read that ends early
      // must not bring in the rest as zero bytes.
      {"a file that ends before its size", "/sys/devices/system/cpu/online"},
  };
  for (const auto& c : cases) {
    ::alarm(10);  // an import that waits for a FIFO's writer ends the test
    ImportDroppedFile(c.list);
    ::alarm(0);
    ExpectNothingAtAll(c.name);
  }
}

TEST_F(DroppedFileImportTest, AFileTheUserMayNotReadIsIgnored) {
  ASSERT_EQ(::chmod(Folder().c_str(), 0755), 0);
  WriteBytes(Path("private"), "secret");
  ASSERT_EQ(::chmod(Path("private").c_str(), 0), 0);
  file_test::ExpectAsOrdinaryUser([this] {
    ImportDroppedFile(Path("private"));
    ExpectNothingAtAll("unreadable");
  });
}

TEST_F(DroppedFileImportTest, AnEmptyFileKeepsTheSourceButConverts) {
  WriteBytes(Path("empty"), "");
  ProgramTable().SetEntry('o', "0");
  ImportDroppedFile(Path("empty"));
  EXPECT_EQ(source(), "old source");
  EXPECT_EQ(screen().set_count[kSourcePane], 0);
  EXPECT_EQ(result(), "0ld s0urce");
  EXPECT_EQ(screen().set_count[kResultPane], 1);
}

TEST_F(DroppedFileImportTest, EveryByteValueComesInThroughItsCell) {
  const struct {
    ResetMode preset;
    std::string source;
    std::string result;
  } cases[] = {
      {ResetMode::kIdentity, "{0}" + BytesFromTo(1, 255), "{0}" + BytesFromTo(1, 255)},
      // Lines stay lines in the source; the conversion then blanks them too.
      {ResetMode::kBlankControlCodes,
       "{0}" + std::string(9, ' ') + "\n" + std::string(2, ' ') + "\r" + std::string(19, ' ') +
           BytesFromTo(33, 255),
       "{0}" + std::string(32, ' ') + BytesFromTo(33, 255)},
  };
  WriteBytes(Path("all_bytes"), BytesFromTo(0, 255));
  for (const auto& c : cases) {
    StartOver();
    ResetTable(c.preset);
    ImportDroppedFile(Path("all_bytes"));
    EXPECT_EQ(source(), c.source) << static_cast<int>(c.preset);
    EXPECT_EQ(result(), c.result) << static_cast<int>(c.preset);
  }
}

// The user's own text in a cell counts, even in cell 0, whose text never
// reaches the table; CR and LF come in as themselves whatever their cells say.
TEST_F(DroppedFileImportTest, TheCellTextCountsNotTheEntry) {
  const struct {
    int cell;
    ByteString typed;
    std::string file;
    ByteString source;
  } cases[] = {
      {65, "x", "ABA", "xBx"},       {0, "x", "A\0A"s, "AxA"},
      {0, "", "\0\0A"s, "A"},        {66, "long text", "B\r\n", "long text\r\n"},
      {10, "typed", "a\nb", "a\nb"}, {13, "", "a\r\nb", "a\r\nb"},
  };
  for (const auto& c : cases) {
    StartOver();
    const ByteString entry = ProgramTable().GetEntry(static_cast<std::uint8_t>(c.cell));
    screen().fields[c.cell] = c.typed;
    WriteBytes(Path("dropped"), c.file);
    ImportDroppedFile(Path("dropped"));
    EXPECT_EQ(source(), c.source) << "cell " << c.cell;
    EXPECT_EQ(ProgramTable().GetEntry(static_cast<std::uint8_t>(c.cell)), entry) << c.cell;
    EXPECT_EQ(screen().fields[c.cell], c.typed) << "cell " << c.cell;
  }
}

TEST_F(DroppedFileImportTest, FilesAndTextsUpToTheLimitsComeInAndLargerOnesAreRefused) {
  file_test::MakeSparseFile(Path("at_limit"), kMaxDroppedFileSize);
  file_test::MakeSparseFile(Path("one_mib"), 1 << 20);
  const std::int64_t pieces_per_byte = kMaxDroppedTextSize / (1 << 20);

  screen().fields[0] = "x";
  ImportDroppedFile(Path("at_limit"));
  EXPECT_EQ(source().size(), static_cast<std::size_t>(kMaxDroppedFileSize));
  EXPECT_EQ(source().find_first_not_of('x'), std::string::npos);
  EXPECT_EQ(screen().set_count[kResultPane], 1);

  // The file is small, but its zero bytes would grow just past the text limit.
  StartOver();
  screen().fields[0] = std::string(static_cast<std::size_t>(pieces_per_byte) + 1, 'x');
  ImportDroppedFile(Path("one_mib"));
  ExpectNothingAtAll("a text above the limit");
}

TEST(DroppedFileText, OnePiecePerByteInFileOrder) {
  CellTexts cells;
  for (int b = 0; b < kCellCount; ++b) cells[b] = "<" + std::to_string(b) + ">";
  cells['d'] = "";
  const std::string file =
      "a\0\r\n\n\r\xFF"
      "d\x01"s;
  const ByteString expected = "<97><0>\r\n\n\r<255><1>";
  EXPECT_EQ(DroppedFileText(file, cells), expected);
  EXPECT_EQ(DroppedFileTextSize(file, cells), expected.size());
  EXPECT_EQ(DroppedFileText("", cells), "");
}

}  // namespace
}  // namespace runemill
