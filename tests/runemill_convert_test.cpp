// runemill-convert run as a user runs it: arguments, standard streams, files
// and exit status.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/line_splitting.h"
#include "core/text_conversion.h"
#include "core/windows1251.h"
#include "file_test_helpers.h"
#include "files/charset_format.h"

namespace runemill {
namespace {

namespace fs = std::filesystem;
using file_test::ReadBytes;
using file_test::WriteBytes;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
  long peak_kib = 0;  // the child's peak resident memory
};

// Feeds the child's standard input from next_input until it gives an empty
// piece, hands its standard output to take_output, and collects standard
// error. stdout_fd, when set, is the child's standard output instead.
Outcome RunConvert(const std::vector<std::string>& args,
                   const std::function<std::string_view()>& next_input,
                   const std::function<void(std::string_view)>& take_output, int stdout_fd = -1) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  EXPECT_EQ(::pipe2(in_pipe, O_CLOEXEC), 0);
  EXPECT_EQ(::pipe2(out_pipe, O_CLOEXEC), 0);
  EXPECT_EQ(::pipe2(err_pipe, O_CLOEXEC), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in_pipe[0], 0);
    ::dup2(stdout_fd >= 0 ? stdout_fd : out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    std::vector<char*> argv = {const_cast<char*>(RUNEMILL_CONVERT)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(RUNEMILL_CONVERT, argv.data());
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  ::signal(SIGPIPE, SIG_IGN);
  Outcome run;
  std::string_view pending = next_input();
  int in_fd = in_pipe[1];
  // A blocking write could wait for a child that itself waits for its output
  // to be read.
  ::fcntl(in_fd, F_SETFL, O_NONBLOCK);
  if (pending.empty()) {
    ::close(in_fd);
    in_fd = -1;
  }
  int open_outputs = 2;
  std::vector<char> buffer(1 << 16);
  while (open_outputs > 0 || in_fd >= 0) {
    pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
    ::poll(fds, 3, -1);
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::read(fds[k].fd, buffer.data(), buffer.size());
      if (n <= 0) {
        ::close(fds[k].fd);
        (k == 0 ? out_pipe[0] : err_pipe[0]) = -1;
        --open_outputs;
      } else if (k == 0) {
        take_output(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
      } else {
        run.err.append(buffer.data(), static_cast<std::size_t>(n));
      }
    }
    if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = ::write(in_fd, pending.data(), pending.size());
      if (n > 0) pending.remove_prefix(static_cast<std::size_t>(n));
      if (n > 0 && pending.empty()) pending = next_input();
      if ((n < 0 && errno != EAGAIN) || pending.empty()) {
        ::close(in_fd);
        in_fd = -1;
      }
    }
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.peak_kib = usage.ru_maxrss;
  return run;
}

Outcome RunConvert(const std::vector<std::string>& args, const std::string& input = "",
                   int stdout_fd = -1) {
  bool given = false;
  std::string out;
  Outcome run = RunConvert(
      args,
      [&]() -> std::string_view {
        if (given) return {};
        given = true;
        return input;
      },
      [&out](std::string_view bytes) { out.append(bytes); }, stdout_fd);
  run.out = std::move(out);
  return run;
}

class RunemillConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("runemill_convert_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Lines as the window reads them: an escape, a deletion, a hexadecimal
    // index, an index out of range, and no line for most bytes.
    WriteBytes(Path("t.charset"), "065=XY\r\n066=\r\n010=[10]\n013= [13] \n$FF=z\n300=q\n");
    table_ = IdentityTable();
    table_.SetEntry('A', "XY");
    table_.SetEntry('B', "");
    table_.SetEntry(255, "z");
    input_ = "ABBA\r\nabc \xC0\xFF\xE9\r\n";
    WriteBytes(Path("in1"), input_);
    WriteBytes(Path("in2"), "second A\n");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
  SubstitutionTable table_;
  std::string input_;
};

TEST_F(RunemillConvert, ConvertsAsConvertTextDoes) {
  const std::string t = Path("t.charset");
  const std::string in1 = Path("in1"), in2 = Path("in2");
  const std::string both = input_ + "second A\n";
  const struct {
    std::vector<std::string> args;
    std::string stdin_bytes;
    std::string expected;
  } cases[] = {
      {{"-t", t, in1}, "", ConvertText(input_, table_)},
      {{"--table", t}, input_, ConvertText(input_, table_)},
      {{"-t", t, "-"}, input_, ConvertText(input_, table_)},
      {{"-t", t, in1, in2}, "", ConvertText(both, table_)},
      {{"-t", t, "--split", "3", in1, in2}, "", ConvertText(CutIntoLines(both, 3), table_)},
      {{"-t", t, "--split", "$10", in1}, "", ConvertText(CutIntoLines(input_, 16), table_)},
      {{"-t", t, "--split", "1000", in1}, "", ConvertText(CutIntoLines(input_, 1000), table_)},
      {{"-t", t, "--to-utf8", in1}, "", Utf8FromWindows1251(ConvertText(input_, table_))},
      {{"-t", t, Path("empty")}, "", ""},
      {{"-t", Path("empty"), in1}, "", input_},  // no line: the identity table
  };
  WriteBytes(Path("empty"), "");
  for (const auto& c : cases) {
    const Outcome run = RunConvert(c.args, c.stdin_bytes);
    EXPECT_EQ(run.exit_code, 0) << c.args[1] << " " << run.err;
    EXPECT_EQ(run.out, c.expected) << c.args.size() << " " << c.args.back();
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(RunemillConvert, FailuresSayWhichFileAndWhyInOneLine) {
  const std::string t = Path("t.charset");
  const struct {
    std::vector<std::string> args;
    int exit_code;
    std::string in_message;
  } cases[] = {
      {{"-t", Path("missing.charset"), Path("in1")},
       1,
       Path("missing.charset") + ": No such file or directory"},
      {{"-t", dir_.string(), Path("in1")}, 1, dir_.string() + ": Is a directory"},
      {{"-t", t, Path("in1"), Path("missing")}, 1, Path("missing") + ": No such file or directory"},
      {{"-t", t, dir_.string()}, 1, dir_.string() + ": Is a directory"},
      {{"-t", t, "-o", "/dev/full", Path("in1")}, 1, "/dev/full: No space left on device"},
      {{"-t", t, "-o", Path("no/such/folder/out"), Path("in1")}, 1, Path("no/such/folder/out")},
      {{"-t", t, "-o", dir_.string(), Path("in1")}, 1, dir_.string() + ": Is a directory"},
      {{"--invert", Path("missing.charset")}, 1, Path("missing.charset") + ": No such file"},
      {{"--guess", "--tables", Path("none")}, 1, Path("none")},
      {{"-t", t, "--frobnicate", Path("in1")}, 2, "--frobnicate"},
      {{"-t", t, "--split", "0", Path("in1")}, 2, "--split"},
      {{"-t", t, "--split", "-4", Path("in1")}, 2, "--split"},
      {{"-t", t, "--split", "abc", Path("in1")}, 2, "--split"},
      {{"-t"}, 2, "-t"},
      {{Path("in1")}, 2, "-t TABLE, --guess or --invert TABLE"},
      {{"-t", t, "--guess"}, 2, "--guess"},
      {{"--invert", t, Path("in1")}, 2, "--invert"},
  };
  for (const auto& c : cases) {
    const Outcome run = RunConvert(c.args, input_);
    EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
    EXPECT_EQ(run.out, "") << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.err.starts_with("runemill-convert: ")) << run.err;
    EXPECT_NE(run.err.find(c.in_message), std::string::npos) << run.err;
  }
}

TEST_F(RunemillConvert, HelpAndVersion) {
  const Outcome help = RunConvert({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  for (const char* part : {"--table", "--split", "--guess", "--invert", "--to-utf8", "-o",
                           "Exit status", "identity table"}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
  const Outcome version = RunConvert({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "runemill-convert 1.1\n");
}

TEST_F(RunemillConvert, OutputFileIsReplacedWholeOrNotAtAll) {
  const std::string out = Path("out");
  WriteBytes(out, "old");
  // A read error after the first input has been converted and written.
  Outcome run = RunConvert({"-t", Path("t.charset"), "-o", out, Path("in1"), "/proc/self/mem"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("/proc/self/mem: "), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(out), "old");
  run = RunConvert({"-t", Path("t.charset"), "-o", out, Path("in1"), Path("missing")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ReadBytes(out), "old");
  EXPECT_EQ(file_test::NamesIn(dir_.string()),
            (std::vector<std::string>{"in1", "in2", "out", "t.charset"}));

  run = RunConvert({"-t", Path("t.charset"), "-o", out, Path("in1")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadBytes(out), ConvertText(input_, table_));
  run = RunConvert({"-t", Path("t.charset"), "-o", Path("new")}, input_);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(ReadBytes(Path("new")), ConvertText(input_, table_));
}

TEST_F(RunemillConvert, NeverWritesOverAnInput) {
  fs::create_hard_link(Path("in1"), Path("hard"));
  fs::create_symlink(Path("in1"), Path("soft"));
  for (const std::string& target : {Path("in1"), Path("hard"), Path("soft"), Path("t.charset")}) {
    const Outcome run =
        RunConvert({"-t", Path("t.charset"), "-o", target, Path("in2"), Path("in1")});
    EXPECT_EQ(run.exit_code, 1) << target;
    EXPECT_NE(run.err.find("refusing"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(Path("in1")), input_);
  }
  // Standard output sent to an input, as "> in1" would after the shell emptied
  // it; opened for appending here so that the content shows what was written.
  const int fd = ::open(Path("in1").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  Outcome run = RunConvert({"-t", Path("t.charset"), Path("in1")}, "", fd);
  EXPECT_EQ(run.exit_code, 1);
  run = RunConvert({"-t", Path("t.charset")}, "", fd);  // stdin is a pipe: allowed
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ::close(fd);
  EXPECT_EQ(ReadBytes(Path("in1")), input_);
  const Outcome invert = RunConvert({"--invert", Path("t.charset"), "-o", Path("t.charset")});
  EXPECT_EQ(invert.exit_code, 1);
}

// One gibibyte through standard input, with a line cut that must carry across
// the pieces, in memory far smaller than the stream.
TEST_F(RunemillConvert, StreamsInBoundedMemory) {
  std::string pattern(1 << 20, '\0');
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    pattern[i] = static_cast<char>(1 + (i * 7919) % 255);
  }
  constexpr int kRepeats = 1024;
  const struct {
    std::vector<std::string> args;
    std::string (*expected_of)(const std::string&, const SubstitutionTable&);
  } cases[] = {
      {{"-t", Path("t.charset")},
       [](const std::string& p, const SubstitutionTable& t) { return ConvertText(p, t); }},
      // 1 MiB pieces of lines of 1024 bytes stay aligned, so each piece
      // comes out the same.
      {{"-t", Path("t.charset"), "--split", "1024"},
       [](const std::string& p, const SubstitutionTable& t) {
         return ConvertText(CutIntoLines(p, 1024), t);
       }},
  };
  for (const auto& c : cases) {
    const std::string expected = c.expected_of(pattern, table_);
    int sent = 0;
    std::size_t received = 0;
    std::size_t mismatches = 0;
    const auto start = std::chrono::steady_clock::now();
    const Outcome run = RunConvert(
        c.args,
        [&]() -> std::string_view {
          return sent++ < kRepeats ? std::string_view(pattern) : std::string_view();
        },
        [&](std::string_view bytes) {
          for (std::size_t k = 0; k < bytes.size(); k += 4093) {
            mismatches += bytes[k] != expected[(received + k) % expected.size()];
          }
          received += bytes.size();
        });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(received, expected.size() * kRepeats);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_LT(run.peak_kib, 32 * 1024) << "peak resident memory in KiB";
    std::printf("%s: 1 GiB in %.2f s, peak resident memory %ld KiB\n", c.args.back().c_str(),
                seconds, run.peak_kib);
  }
}

TEST_F(RunemillConvert, InvertPrintsTheInverseAndListsSharedBytes) {
  SubstitutionTable swap = IdentityTable();
  swap.SetEntry('a', "b");
  swap.SetEntry('b', "a");
  WriteBytes(Path("swap.charset"), WriteCharsetText(swap));
  Outcome run = RunConvert({"--invert", Path("swap.charset")});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, WriteCharsetText(swap));
  EXPECT_EQ(run.err, "");

  SubstitutionTable shared = IdentityTable();
  shared.SetEntry('b', "a");
  shared.SetEntry(200, "a");
  WriteBytes(Path("shared.charset"), WriteCharsetText(shared));
  run = RunConvert({"--invert", Path("shared.charset"), "-o", Path("inverse.charset")});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "byte 97 is given by entries 97, 98, 200\n");
  SubstitutionTable inverse = IdentityTable();
  inverse.SetEntry('b', "?");
  inverse.SetEntry(200, "?");
  EXPECT_EQ(ReadBytes(Path("inverse.charset")), WriteCharsetText(inverse));

  run = RunConvert({"--invert", Path("t.charset")});  // "XY" and an empty entry
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("entries 65, 66 are not single bytes"), std::string::npos) << run.err;
}

TEST_F(RunemillConvert, GuessNamesTheEncodingOrSaysTheTextIsTooShort) {
  const std::string tables = RUNEMILL_CHARSETS_DIR;
  SubstitutionTable to_koi8 =
      TableFromCharsetText(ReadBytes(tables + "/cp1251-to-koi8-r.charset"), IdentityTable());
  const std::string russian = Windows1251FromUtf8(
      "Съешь же ещё этих мягких французских булок, да выпей чаю. Широкая электрификация южных "
      "губерний даст мощный толчок подъёму сельского хозяйства.\n");
  Outcome run = RunConvert({"--guess", "--tables", tables}, ConvertText(russian, to_koi8));
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("1  ")) << run.out;
  const std::string first_line = run.out.substr(0, run.out.find('\n'));
  EXPECT_NE(first_line.find("koi8-r"), std::string::npos) << run.out;
  EXPECT_NE(first_line.find(Utf8FromWindows1251(russian.substr(0, 30))), std::string::npos)
      << run.out;

  run = RunConvert({"--guess", "--tables", tables}, ConvertText(russian.substr(0, 6), to_koi8));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.out.starts_with("Too short to tell")) << run.out;
  run = RunConvert({"--guess", "--tables", tables}, "plain ASCII text\n");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("no byte of 128 or more"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace runemill
