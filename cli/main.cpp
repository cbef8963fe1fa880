// runemill-convert: the program's tables applied from a terminal, to files of
// any size, and the questions a table raises there: which shipped table fixes
// a text, and what undoes a table.

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "byte_files.h"
#include "chunked_conversion.h"
#include "core/number_reading.h"
#include "core/windows1251.h"
#include "encoding_guess.h"
#include "files/charset_format.h"
#include "table_inversion.h"

namespace runemill {
namespace {

constexpr std::string_view kProgram = "runemill-convert";

enum ExitCode { kSuccess = 0, kFileFailure = 1, kUsageError = 2 };

constexpr std::size_t kPieceSize = std::size_t{1} << 20;
constexpr std::size_t kMaxTableFileSize = std::size_t{64} << 20;
constexpr std::size_t kGuessSampleSize = std::size_t{64} << 10;
constexpr std::size_t kShownGuesses = 3;
constexpr std::size_t kPreviewLength = 60;
constexpr std::string_view kGuessTableSuffix = "-to-cp1251.charset";

constexpr char kFooter[] =
    R"(Tables are .charset files as the window saves them. Loading starts from the
identity table (every byte stands for itself, entry 0 is "{0}") and reads the
lines as the window does: the index is the number in the first three
characters (decimal, $hex or %binary), the entry runs from the fifth character
to the end of the line, "[10]" and "[13]" on lines 10 and 13 stand for LF and
CR, and lines with an index outside 0..255 are skipped. Entries that no line
names keep their identity value.

Converting: the FILEs (standard input when there is none, or for "-") are read
as one stream, in pieces of 1 MiB, so that any size fits in memory. A zero
byte goes through entry 0 like any other byte. With --split, the stream is first
cut into lines of N bytes, each followed by CR LF, the last possibly shorter,
exactly as the window's split command cuts its source; then the cut text,
inserted CR LF included, goes through the table. N is read as the window reads
it (decimal, $hex, %binary) and must be 1 or more. With -o, OUT receives the
whole output at the end or keeps its old content: a temporary file beside it
is renamed over it. OUT, or standard output redirected to a file, may not be
one of the inputs or the table: the same file is told by device and inode, not
by name. An OUT that exists and is not a regular file (/dev/null, a FIFO) is
written in place.

--guess reads at most the first 64 KiB of FILE (or standard input), converts it
through every *-to-cp1251.charset table of the table folder and through no
table at all ("cp1251": the text is already right), and prints the three best
outputs: rank, score, the encodings that give that output, and the output's
first line in UTF-8. The score is the mean natural logarithm of the
probability of each character class after the one before it (a blank before
the first), under letter-pair counts of Russian prose; higher is more
Russian-like. Under 12 bytes of 128 or more the text is too short to tell,
and a line says so before the list. The table folder is --tables DIR, or else
share/runemill/charsets beside the folder of the executable, or else the one
of the installation.

--invert prints the inverse of TABLE as a .charset text: entry b of the
inverse is the byte whose entry is b. It needs entries 1..255 that are single
bytes (entry 0 is never used). A byte that no entry gives becomes "?"; a byte
that several entries give goes back to the lowest of them, and each such byte
is listed on standard error as "byte B is given by entries I, J, ...".

Exit status: 0 success (also for --guess on a short text and for --invert with
shared bytes); 1 a table, an input or the output could not be read or written,
or the output is one of the inputs (the line on standard error names the file
and the reason, and no output file is changed); 2 a usage error: an unknown
option, a missing or invalid argument.)";

void Complain(const std::string& line) { std::cerr << kProgram << ": " << line << "\n"; }

std::optional<SubstitutionTable> LoadTable(const std::string& path, std::string& error) {
  const std::optional<std::string> bytes = ReadSmallFile(path, kMaxTableFileSize, error);
  if (!bytes) return std::nullopt;
  return TableFromCharsetText(*bytes, IdentityTable());
}

struct Options {
  std::string table;
  std::string output;
  bool to_utf8 = false;
  std::string split;
  bool guess = false;
  std::string invert;
  std::string tables_dir;
  std::vector<std::string> files;
};

bool RefuseOutputOverInput(const Output& output, const std::vector<InputFile>& inputs) {
  const auto existing = output.ExistingFile();
  if (!existing) return false;
  for (const InputFile& input : inputs) {
    if (input.device == existing->first && input.inode == existing->second) {
      Complain(output.name() + ": is also the input " + input.name + "; refusing to overwrite it");
      return true;
    }
  }
  return false;
}

int Convert(const Options& options) {
  std::size_t line_length = 0;
  if (!options.split.empty()) {
    const std::int32_t n = Low32Bits(ParseNumber(options.split));
    if (n < 1) {
      Complain("--split: the line length must be 1 or more, not \"" + options.split + "\"");
      return kUsageError;
    }
    line_length = static_cast<std::size_t>(n);
  }
  std::string error;
  std::vector<std::string> paths =
      options.files.empty() ? std::vector<std::string>{"-"} : options.files;
  std::optional<std::vector<InputFile>> inputs = OpenInputs(paths, error);
  if (!inputs) {
    Complain(error);
    return kFileFailure;
  }
  std::vector<InputFile> checked = *inputs;
  std::optional<std::vector<InputFile>> table_file = OpenInputs({options.table}, error);
  if (!table_file) {
    CloseInputs(*inputs);
    Complain(error);
    return kFileFailure;
  }
  checked.push_back(table_file->front());
  CloseInputs(*table_file);

  const std::optional<SubstitutionTable> table = LoadTable(options.table, error);
  std::unique_ptr<Output> output;
  int status = kSuccess;
  if (!table) {
    Complain(error);
    status = kFileFailure;
  } else if (output = Output::Open(options.output, error); !output) {
    Complain(error);
    status = kFileFailure;
  } else if (RefuseOutputOverInput(*output, checked)) {
    status = kFileFailure;
  }
  if (status != kSuccess) {
    CloseInputs(*inputs);
    return status;
  }

  ChunkedConversion conversion(*table, line_length);
  std::string piece;
  auto pass_on = [&](std::string_view converted) {
    if (!options.to_utf8) return output->Write(converted, error);
    return output->Write(Utf8FromWindows1251(converted), error);
  };
  bool ok = true;
  for (const InputFile& input : *inputs) {
    do {
      ok = ReadPiece(input, piece, kPieceSize, error) && pass_on(conversion.Convert(piece));
    } while (ok && !piece.empty());
    if (!ok) break;
  }
  CloseInputs(*inputs);
  ok = ok && pass_on(conversion.Finish()) && output->Finish(error);
  if (!ok) {
    Complain(error);
    return kFileFailure;
  }
  return kSuccess;
}

std::filesystem::path TableFolder(const Options& options) {
  namespace fs = std::filesystem;
  if (!options.tables_dir.empty()) return options.tables_dir;
  std::error_code code;
  const fs::path executable = fs::read_symlink("/proc/self/exe", code);
  if (!code) {
    const fs::path beside = executable.parent_path().parent_path() / "share/runemill/charsets";
    if (fs::is_directory(beside, code)) return beside;
  }
  return RUNEMILL_INSTALLED_CHARSETS_DIR;
}

// The first line that has a letter or a digit, blanks and control bytes made
// spaces, cut to a width a terminal shows.
std::string Preview(std::string_view text) {
  std::string_view line;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (std::any_of(line.begin(), line.end(), [](char c) {
          const auto b = static_cast<std::uint8_t>(c);
          return b >= 0xC0 || (b >= '0' && b <= '9') || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z');
        })) {
      break;
    }
  }
  std::string shown(line.substr(0, kPreviewLength));
  for (char& c : shown) {
    if (static_cast<std::uint8_t>(c) < 32) c = ' ';
  }
  return Utf8FromWindows1251(shown);
}

int Guess(const Options& options) {
  if (options.files.size() > 1) {
    Complain("--guess: one FILE at most");
    return kUsageError;
  }
  std::string error;
  const std::filesystem::path folder = TableFolder(options);
  std::vector<GuessCandidate> candidates = {{"cp1251", IdentityTable()}};
  std::vector<std::filesystem::path> paths;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(folder, code)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > kGuessTableSuffix.size() && name.ends_with(kGuessTableSuffix)) {
      paths.push_back(entry.path());
    }
  }
  if (paths.empty()) {
    Complain(folder.string() + ": no *" + std::string(kGuessTableSuffix) + " tables" +
             (code ? " (" + code.message() + ")" : std::string()));
    return kFileFailure;
  }
  std::sort(paths.begin(), paths.end());
  for (const auto& path : paths) {
    std::optional<SubstitutionTable> table = LoadTable(path.string(), error);
    if (!table) {
      Complain(error);
      return kFileFailure;
    }
    const std::string name = path.filename().string();
    candidates.push_back({name.substr(0, name.size() - kGuessTableSuffix.size()), *table});
  }

  std::optional<std::vector<InputFile>> inputs =
      OpenInputs({options.files.empty() ? "-" : options.files.front()}, error);
  std::string sample;
  const bool read = inputs && ReadPiece(inputs->front(), sample, kGuessSampleSize, error);
  if (inputs) CloseInputs(*inputs);
  if (!read) {
    Complain(error);
    return kFileFailure;
  }

  const int deciding = CountDecidingBytes(sample);
  if (deciding == 0) {
    std::cout << "The text has no byte of 128 or more: every table leaves it as it is.\n";
    return kSuccess;
  }
  if (deciding < kMinDecidingBytes) {
    std::cout << "Too short to tell: " << deciding << " bytes of 128 or more, at least "
              << kMinDecidingBytes << " needed. Scores for what they are worth:\n";
  }
  const std::vector<RankedGuess> ranked = RankGuesses(sample, candidates);
  for (std::size_t i = 0; i < ranked.size() && i < kShownGuesses; ++i) {
    std::string names;
    for (const std::string& name : ranked[i].names) names += (names.empty() ? "" : ",") + name;
    char score[32];
    std::snprintf(score, sizeof score, "%.3f", ranked[i].score);
    std::cout << i + 1 << "  " << score << "  " << names << "  " << Preview(ranked[i].output)
              << "\n";
  }
  return kSuccess;
}

int Invert(const Options& options) {
  std::string error;
  const std::optional<SubstitutionTable> table = LoadTable(options.invert, error);
  if (!table) {
    Complain(error);
    return kFileFailure;
  }
  const TableInversion inversion = InvertTable(*table);
  if (!inversion.not_one_byte.empty()) {
    std::string indexes;
    for (std::uint8_t b : inversion.not_one_byte) {
      indexes += (indexes.empty() ? "" : ", ") + std::to_string(b);
    }
    Complain(options.invert + ": entries " + indexes +
             " are not single bytes, so the table has no inverse");
    return kFileFailure;
  }
  std::unique_ptr<Output> output = Output::Open(options.output, error);
  if (!output) {
    Complain(error);
    return kFileFailure;
  }
  std::optional<std::vector<InputFile>> table_file = OpenInputs({options.invert}, error);
  if (table_file) {
    const bool refused = RefuseOutputOverInput(*output, *table_file);
    CloseInputs(*table_file);
    if (refused) return kFileFailure;
  }
  if (!output->Write(WriteCharsetText(inversion.inverse), error) || !output->Finish(error)) {
    Complain(error);
    return kFileFailure;
  }
  for (const SharedByte& shared : inversion.shared) {
    std::string sources;
    for (std::uint8_t b : shared.sources)
      sources += (sources.empty() ? "" : ", ") + std::to_string(b);
    std::cerr << "byte " << int{shared.byte} << " is given by entries " << sources << "\n";
  }
  return kSuccess;
}

int Run(int argc, char** argv) {
  CLI::App app("Converts text through a Runemill substitution table (.charset).",
               std::string(kProgram));
  Options options;
  app.set_version_flag("--version", std::string(kProgram) + " " RUNEMILL_VERSION);
  auto* table = app.add_option("-t,--table", options.table, "convert through TABLE.charset")
                    ->type_name("TABLE");
  auto* guess = app.add_flag("--guess", options.guess,
                             "rank the shipped tables by how Russian the text looks");
  auto* invert = app.add_option("--invert", options.invert, "print the inverse of TABLE.charset")
                     ->type_name("TABLE");
  table->excludes(guess)->excludes(invert);
  guess->excludes(invert);
  auto* output = app.add_option("-o,--output", options.output,
                                "write OUT, atomically, instead of standard output")
                     ->type_name("OUT");
  output->excludes(guess);
  app.add_flag("--to-utf8", options.to_utf8, "write the result as UTF-8, not Windows-1251")
      ->needs(table);
  app.add_option("--split", options.split, "cut into lines of N bytes first, as the window does")
      ->type_name("N")
      ->needs(table);
  app.add_option("--tables", options.tables_dir, "folder of the tables for --guess")
      ->type_name("DIR")
      ->needs(guess);
  app.add_option("FILE", options.files, "input files; standard input when none, or for \"-\"")
      ->type_name("");
  app.footer(kFooter);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return kSuccess;
  } catch (const CLI::CallForVersion& version) {
    std::cout << version.what() << "\n";
    return kSuccess;
  } catch (const CLI::ParseError& e) {
    Complain(e.what());
    return kUsageError;
  }
  if (!options.table.empty()) return Convert(options);
  if (options.guess) return Guess(options);
  if (!options.invert.empty()) {
    if (!options.files.empty()) {
      Complain("--invert takes no FILE");
      return kUsageError;
    }
    return Invert(options);
  }
  Complain("one of -t TABLE, --guess or --invert TABLE is needed; see --help");
  return kUsageError;
}

}  // namespace
}  // namespace runemill

int main(int argc, char** argv) { return runemill::Run(argc, argv); }
