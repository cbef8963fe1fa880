// Failing disks under the charset file commands and the dropped-file import:
// writes that stop on a full disk, syncs, closes and renames that fail, reads
// that fail part-way, files that vanish or change between the drop and the
// read, and a 3 GiB file dropped. None may lose or change the user's table,
// text or file.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "core/substitution_table.h"
#include "failing_io.h"
#include "file_test_helpers.h"
#include "files/charset_file.h"
#include "files/dropped_file_import.h"
#include "screen_stand_in.h"
#include "ui/event_loop.h"

namespace runemill {
namespace {

using file_test::NamesIn;
using file_test::ReadBytes;
using file_test::WriteBytes;
using Entries = std::array<ByteString, kCellCount>;

const std::string kErrorTitle = "\xCE\xF8\xE8\xE1\xEA\xE0";  // Ошибка
const std::string kCreateError =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF \xF4\xE0\xE9\xEB\xE0\n";
const std::string kReadError = "\xCE\xF8\xE8\xE1\xEA\xE0 \xF7\xF2\xE5\xED\xE8\xFF\n";

Entries TableEntries() {
  Entries entries;
  for (int b = 0; b < kCellCount; ++b) {
    entries[b] = ProgramTable().GetEntry(static_cast<std::uint8_t>(b));
  }
  return entries;
}

// A table whose charset file is neither the old file nor the identity one.
void FillTable() {
  for (int b = 1; b < kCellCount; ++b) {
    const ByteString entry = "<" + std::to_string(b) + ">";
    ProgramTable().SetEntry(static_cast<std::uint8_t>(b), entry);
    stand_in::TheScreen().fields[b] = entry;
  }
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = QFile::encodeName(dir_.path()).toStdString();
    stand_in::Reset();
    ResetTable(ResetMode::kIdentity);
    screen().fields[kSourcePane] = "old source";
    screen().fields[kResultPane] = "stale result";
    screen().set_count = {};
  }
  void TearDown() override { failing_io::Disarm(); }

  stand_in::Screen& screen() { return stand_in::TheScreen(); }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  void SaveUnder(const failing_io::Fault& fault, const std::string& path) {
    screen().messages.clear();
    screen().save_answers.push_back(path);
    failing_io::Arm(folder_, fault);
    RunCommand(Command::kSaveCharset);
    failing_io::Disarm();
  }
  void LoadUnder(const failing_io::Fault& fault, const std::string& path) {
    screen().messages.clear();
    screen().open_answers.push_back(path);
    failing_io::Arm(folder_, fault);
    RunCommand(Command::kLoadCharset);
    failing_io::Disarm();
  }
  void DropUnder(const failing_io::Fault& fault, const std::string& path) {
    failing_io::Arm(folder_, fault);
    RunTurn(DropEvent(path));
    failing_io::Disarm();
  }

  // The user's table, cells and panes as they were, and no message.
  void ExpectNothingChanged(const Entries& table, const std::string& context) {
    EXPECT_EQ(TableEntries(), table) << context;
    EXPECT_EQ(screen().set_count, decltype(screen().set_count){}) << context;
    EXPECT_EQ(screen().fields[kSourcePane], "old source") << context;
    EXPECT_EQ(screen().fields[kResultPane], "stale result") << context;
  }

  QTemporaryDir dir_;
  std::string folder_;
};

struct FaultCase {
  const char* name;
  failing_io::Fault fault;
};

failing_io::Fault WriteStopsAfter(std::int64_t bytes, int error = ENOSPC) {
  failing_io::Fault fault;
  fault.write_budget = bytes;
  fault.write_error = error;
  return fault;
}

TEST_F(FaultInjectionTest, ASaveThatFailsKeepsThePreviousFileAndSaysSo) {
  failing_io::Fault fsync_fails;
  fsync_fails.fsync_error = EIO;
  // Where the server takes a write and loses it later, the error comes with
  // the next sync, or with the close when nothing syncs.
  failing_io::Fault write_lost_later;
  write_lost_later.fsync_error = EIO;
  write_lost_later.close_error = EIO;
  failing_io::Fault rename_fails;
  rename_fails.rename_error = EIO;
  const FaultCase cases[] = {
      {"disk full at once", WriteStopsAfter(0)},
      {"disk full after one byte", WriteStopsAfter(1)},
      {"disk full half-way", WriteStopsAfter(900)},
      {"disk full before the last byte", WriteStopsAfter(1799)},
      {"quota exceeded half-way", WriteStopsAfter(1000, EDQUOT)},
      {"write error half-way", WriteStopsAfter(1000, EIO)},
      {"sync to disk fails", fsync_fails},
      {"a write lost after it was taken", write_lost_later},
      {"rename over the old file fails", rename_fails},
  };
  const std::string target = Path("kept.charset");
  const std::string old_content = "065=old\r\n066=content\r\n";
  for (const FaultCase& c : cases) {
    WriteBytes(target, old_content);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    FillTable();
    const Entries table = TableEntries();
    screen().set_count = {};
    SaveUnder(c.fault, target);
    EXPECT_TRUE(ReadBytes(target) == old_content) << c.name << ": the old file was replaced";
    EXPECT_EQ(file_test::Mode(target), 0640u) << c.name;
    EXPECT_EQ(NamesIn(folder_), std::vector<std::string>{"kept.charset"}) << c.name;
    ASSERT_EQ(screen().messages.size(), 1u) << c.name;
    EXPECT_EQ(screen().messages[0].title, kErrorTitle) << c.name;
    EXPECT_EQ(screen().messages[0].text, kCreateError + target) << c.name;
    ExpectNothingChanged(table, c.name);
  }
}

// A file size limit stops the write with SIGXFSZ ignored, as a full disk
// does; in a child process, so that the limit cannot outlive the case.
TEST_F(FaultInjectionTest, ASaveBeyondTheFileSizeLimitKeepsThePreviousFile) {
  const std::string target = Path("limited.charset");
  WriteBytes(target, "old");
  EXPECT_EXIT(
      {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        screen().save_answers.push_back(target);
        RunCommand(Command::kSaveCharset);
        const bool said_so =
            screen().messages.size() == 1 && screen().messages[0].text == kCreateError + target;
        std::_Exit(said_so ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(NamesIn(folder_), std::vector<std::string>{"limited.charset"});
}

// Reads and writes may move fewer bytes than asked, or be interrupted; that is
// no error, and the whole file must still go through.
TEST_F(FaultInjectionTest, ShortAndInterruptedReadsAndWritesLoseNothing) {
  failing_io::Fault short_calls;
  short_calls.chunk = 7;
  failing_io::Fault interrupted;
  interrupted.interrupt = true;
  failing_io::Fault both = short_calls;
  both.interrupt = true;
  for (const FaultCase& c : {FaultCase{"short", short_calls}, FaultCase{"interrupted", interrupted},
                             FaultCase{"short and interrupted", both}}) {
    FillTable();
    const Entries table = TableEntries();
    SaveUnder(c.fault, Path("round"));
    EXPECT_TRUE(screen().messages.empty()) << c.name;
    ResetTable(ResetMode::kIdentity);
    LoadUnder(c.fault, Path("round.charset"));
    EXPECT_TRUE(screen().messages.empty()) << c.name;
    EXPECT_EQ(TableEntries(), table) << c.name;

    WriteBytes(Path("dropped"), "ab\r\ncd");
    screen().fields[kSourcePane] = "old source";
    ResetTable(ResetMode::kIdentity);
    DropUnder(c.fault, Path("dropped"));
    EXPECT_EQ(screen().fields[kSourcePane], "ab\r\ncd") << c.name;
    EXPECT_EQ(screen().fields[kResultPane], "ab\r\ncd") << c.name;
  }
}

TEST_F(FaultInjectionTest, ALoadThatCannotReadTheWholeFileChangesNothing) {
  FillTable();
  screen().save_answers.push_back(Path("full"));
  RunCommand(Command::kSaveCharset);
  const auto size = static_cast<std::int64_t>(ReadBytes(Path("full.charset")).size());
  ResetTable(ResetMode::kIdentity);
  const Entries table = TableEntries();
  for (const std::int64_t budget : {std::int64_t{0}, std::int64_t{1}, size / 2, size - 1}) {
    failing_io::Fault fault;
    fault.read_budget = budget;
    fault.chunk = 512;
    screen().set_count = {};
    LoadUnder(fault, Path("full.charset"));
    ASSERT_EQ(screen().messages.size(), 1u) << budget;
    EXPECT_EQ(screen().messages[0].text, kReadError + Path("full.charset")) << budget;
    ExpectNothingChanged(table, "read fails after " + std::to_string(budget) + " bytes");
  }
}

TEST_F(FaultInjectionTest, ADropThatCannotBeReadWholeChangesNothing) {
  WriteBytes(Path("dropped"), std::string(5000, 'x'));
  for (const std::int64_t budget : {0, 1, 4096, 4999}) {
    failing_io::Fault fault;
    fault.read_budget = budget;
    fault.chunk = 4096;
    DropUnder(fault, Path("dropped"));
    ExpectNothingChanged(TableEntries(), "read fails after " + std::to_string(budget) + " bytes");
    EXPECT_TRUE(screen().messages.empty());
  }
}

std::string g_swap_path;

// Between the open and the read: the file is cut short, grown, or its name
// given to another file.
void CutToThree(int) { ASSERT_EQ(::truncate(g_swap_path.c_str(), 3), 0); }
void Grow(int) {
  const std::string more(100, 'z');
  FILE* file = std::fopen(g_swap_path.c_str(), "ab");
  std::fwrite(more.data(), 1, more.size(), file);
  std::fclose(file);
}
void Replace(int) {
  const std::string other = g_swap_path + ".new";
  WriteBytes(other, "other file");
  ASSERT_EQ(::rename(other.c_str(), g_swap_path.c_str()), 0);
}

TEST_F(FaultInjectionTest, AFileChangedBetweenTheDropAndTheReadComesInWholeOrNotAtAll) {
  g_swap_path = Path("dropped");
  const struct {
    const char* name;
    void (*change)(int);
    const char* source;  // null: nothing changes
  } cases[] = {
      // The size was taken at the open: a file that ends before it is refused.
      {"cut short", CutToThree, nullptr},
      // What was there at the open comes in, and no more.
      {"grown", Grow, "0123456789"},
      // The open file is the old one, whatever its name now points to.
      {"replaced", Replace, "0123456789"},
  };
  for (const auto& c : cases) {
    WriteBytes(g_swap_path, "0123456789");
    screen().fields[kSourcePane] = "old source";
    screen().fields[kResultPane] = "stale result";
    screen().set_count = {};
    failing_io::Fault fault;
    fault.before_first_read = c.change;
    DropUnder(fault, g_swap_path);
    if (c.source == nullptr) {
      ExpectNothingChanged(TableEntries(), c.name);
    } else {
      EXPECT_EQ(screen().fields[kSourcePane], c.source) << c.name;
      EXPECT_EQ(screen().fields[kResultPane], c.source) << c.name;
    }
  }

  // Queued as a drop, gone or replaced when its turn comes.
  WriteBytes(g_swap_path, "dropped");
  const WindowEvent drop = DropEvent(g_swap_path);
  ASSERT_EQ(::unlink(g_swap_path.c_str()), 0);
  screen().fields[kSourcePane] = "old source";
  screen().fields[kResultPane] = "stale result";
  screen().set_count = {};
  RunTurn(drop);
  ExpectNothingChanged(TableEntries(), "removed before its turn");
  WriteBytes(g_swap_path, "new\r\ncontent");
  RunTurn(drop);
  EXPECT_EQ(screen().fields[kSourcePane], "new\r\ncontent");
}

// Refused from its size alone: not a byte read, and no memory taken for it.
TEST_F(FaultInjectionTest, AThreeGibibyteFileDroppedIsRefusedWithoutReadingIt) {
  const std::string huge = Path("three_gib");
  file_test::MakeSparseFile(huge, std::int64_t{3} << 30);
  EXPECT_EXIT(
      {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        failing_io::Arm(folder_, failing_io::Fault());
        RunTurn(DropEvent(huge));
        const std::int64_t read = failing_io::BytesRead();
        failing_io::Disarm();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const long grown_kib = after.ru_maxrss - before.ru_maxrss;
        const bool unchanged = screen().fields[kSourcePane] == "old source" &&
                               screen().fields[kResultPane] == "stale result";
        std::fprintf(stderr, "read %lld bytes, peak memory grew by %ld KiB\n",
                     static_cast<long long>(read), grown_kib);
        std::_Exit(read == 0 && unchanged && grown_kib < 16 * 1024 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "read 0 bytes");
}

}  // namespace
}  // namespace runemill
