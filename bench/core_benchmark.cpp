// The pure functions on large inputs, each beside memcpy of the same input in
// the same run: a ratio says more than a figure from a machine of unknown speed.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_text.h"
#include "core/number_reading.h"
#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "files/charset_format.h"
#include "files/dropped_file_text.h"

namespace runemill {
namespace {

// 64 MiB, or 1 MiB for a smoke run that only shows that every benchmark runs.
std::size_t g_text_size = std::size_t{64} << 20;

const ByteString& Text64MiB() {
  static const ByteString text = MixedText(g_text_size);
  return text;
}

SubstitutionTable OneByteTable() {
  SubstitutionTable table;
  for (int b = 0; b < 256; ++b) {
    table.SetEntry(static_cast<std::uint8_t>(b), ByteString(1, static_cast<char>(b ^ 0x20)));
  }
  return table;
}

// Like a transliteration: letters become up to four Latin bytes, some bytes vanish.
SubstitutionTable ShortEntriesTable() {
  std::mt19937 random(7);
  SubstitutionTable table;
  for (int b = 0; b < 256; ++b) {
    table.SetEntry(static_cast<std::uint8_t>(b), ByteString(random() % 5, 'x'));
  }
  return table;
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
}

void BM_Memcpy(benchmark::State& state) {
  const ByteString& text = Text64MiB();
  ByteString out(text.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), text.data(), text.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  SetBytes(state, text.size());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Convert(benchmark::State& state, SubstitutionTable (*make_table)()) {
  const SubstitutionTable table = make_table();
  // The first run faults the output's pages in; the key strokes after it reuse them.
  ByteString out;
  ConvertTextInto(Text64MiB(), table, out);
  for (auto _ : state) {
    ConvertTextInto(Text64MiB(), table, out);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state, Text64MiB().size());
}
BENCHMARK_CAPTURE(BM_Convert, OneByteEntries, OneByteTable)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Convert, ShortEntries, ShortEntriesTable)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ImportMapping(benchmark::State& state) {
  CellTexts cells;
  for (int b = 0; b < 256; ++b) cells[b] = ByteString(1, static_cast<char>(b == 0 ? '?' : b));
  cells[0] = "{0}";
  for (auto _ : state) {
    ByteString text = DroppedFileText(Text64MiB(), cells);
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, Text64MiB().size());
}
BENCHMARK(BM_ImportMapping)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseNumber(benchmark::State& state) {
  const std::vector<ByteString> inputs = {"0032", "  -$7FfF", "%101101", "12abc", "065=A"};
  std::size_t bytes = 0;
  for (const ByteString& input : inputs) bytes += input.size();
  for (auto _ : state) {
    for (const ByteString& input : inputs) benchmark::DoNotOptimize(ParseNumber(input));
  }
  SetBytes(state, bytes);
}
BENCHMARK(BM_ParseNumber);

void BM_WriteCharset(benchmark::State& state) {
  const SubstitutionTable table = ShortEntriesTable();
  std::size_t bytes = 0;
  for (auto _ : state) {
    ByteString file = WriteCharsetText(table);
    bytes = file.size();
    benchmark::DoNotOptimize(file.data());
  }
  SetBytes(state, bytes);
}
BENCHMARK(BM_WriteCharset);

void BM_ReadCharsetLines(benchmark::State& state) {
  const ByteString file = WriteCharsetText(ShortEntriesTable());
  for (auto _ : state) {
    std::size_t total = 0;
    ReadCharsetLines(file,
                     [&total](std::uint8_t, std::string_view entry) { total += entry.size(); });
    benchmark::DoNotOptimize(total);
  }
  SetBytes(state, file.size());
}
BENCHMARK(BM_ReadCharsetLines);

// Prints the usual table, then each throughput as a share of memcpy's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto counter = run.counters.find("bytes_per_second");
      if (counter != run.counters.end()) throughput_[run.benchmark_name()] = counter->second.value;
    }
  }
  void PrintRatios() const {
    const auto memcpy_run = throughput_.find("BM_Memcpy/real_time");
    if (memcpy_run == throughput_.end()) return;
    std::printf("\n%-34s %12s %10s\n", "benchmark", "MB/s", "x memcpy");
    for (const auto& [name, bytes_per_second] : throughput_) {
      std::printf("%-34s %12.0f %10.3f\n", name.c_str(), bytes_per_second / 1e6,
                  bytes_per_second / memcpy_run->second);
    }
  }

 private:
  std::map<std::string, double> throughput_;
};

}  // namespace
}  // namespace runemill

int main(int argc, char** argv) {
  // --smoke: a small text and the shortest runs, for the test command.
  std::vector<char*> args(argv, argv + argc);
  char smoke_time[] = "--benchmark_min_time=0.001";
  for (char*& arg : args) {
    if (std::strcmp(arg, "--smoke") == 0) {
      runemill::g_text_size = std::size_t{1} << 20;
      arg = smoke_time;
    }
  }
  int arg_count = static_cast<int>(args.size());
  benchmark::Initialize(&arg_count, args.data());
  runemill::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
