// The real window on the offscreen platform: key strokes through QTest, a
// dropped file and the start-up, each timed until every turn it caused has run,
// and each beside the same measurement with whole texts read and written.
//
//   window_benchmark            the full run
//   window_benchmark --smoke    small texts, few strokes: shows that it runs
//   window_benchmark --memory   peak memory of a 10 MiB source (used by the full run)
//   window_benchmark --filter=drop   only the measurements whose name holds "drop"

#include <sys/resource.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_text.h"
#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "ui/event_loop.h"
#include "ui/field_text.h"
#include "ui/main_window.h"

namespace runemill {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMiB = std::size_t{1} << 20;

struct Sizes {
  std::size_t small_source;
  std::size_t large_source;
  int strokes;
  int repeats;  // of the start-up and the drop
};
constexpr Sizes kFullRun{kMiB, 10 * kMiB, 21, 5};
constexpr Sizes kSmokeRun{64 * 1024, 256 * 1024, 3, 1};

struct Figures {
  double median;
  double low;
  double high;
};

Figures Summarize(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const std::size_t n = ms.size();
  const double median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  return {median, ms.front(), ms.back()};
}

double MillisecondsOf(const std::function<void()>& run) {
  const Clock::time_point start = Clock::now();
  run();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QPlainTextEdit* Pane(ControlId id) { return static_cast<QPlainTextEdit*>(FieldWidget(id)); }

// Every event is delivered and every turn it caused has run.
void Settle() {
  QCoreApplication::processEvents();
  RunPendingTurns();
}

void OpenWindow() {
  CreateMainWindow();
  ResetTable(ResetMode::kIdentity);
  if (!QTest::qWaitForWindowExposed(MainWindowWidget())) std::fputs("window not exposed\n", stderr);
  Settle();
}

// Read past the program's own bookkeeping, from the documents themselves.
bool PanesAgree() {
  const ByteString source = BytesFromPaneText(Pane(kSourcePane)->document()->toRawText());
  const ByteString result = BytesFromPaneText(Pane(kResultPane)->document()->toRawText());
  return result == ConvertText(source, ProgramTable()) &&
         Pane(kResultPane)->document()->toRawText() ==
             PaneTextFromBytes(result).replace(u'\n', QChar::ParagraphSeparator);
}

int g_failures = 0;
// --filter=<text>: only the measurements whose name holds the text.
std::string g_filter;

bool Selected(const std::string& name) { return name.find(g_filter) != std::string::npos; }

void Check(bool agree, const char* what) {
  if (agree) return;
  ++g_failures;
  std::fprintf(stderr, "MISMATCH: the result pane is not the conversion after %s\n", what);
}

// Strokes typed into the middle of the source pane.
std::vector<double> SourceStrokes(int strokes) {
  QPlainTextEdit* source = Pane(kSourcePane);
  source->setFocus(Qt::OtherFocusReason);
  QTextCursor cursor = source->textCursor();
  cursor.setPosition(source->document()->characterCount() / 2);
  source->setTextCursor(cursor);
  Settle();
  std::vector<double> ms;
  for (int k = 0; k < strokes; ++k) {
    ms.push_back(MillisecondsOf([source] {
      QTest::keyClick(source, Qt::Key_X);
      Settle();
    }));
  }
  return ms;
}

// Cell 97 (the letter a) turns from "a" to "ax" and back, so that every line
// of the result changes with each stroke.
std::vector<double> CellStrokes(int strokes) {
  auto* cell = static_cast<QLineEdit*>(FieldWidget(97));
  cell->setFocus(Qt::OtherFocusReason);
  cell->end(false);
  Settle();
  std::vector<double> ms;
  for (int k = 0; k < strokes; ++k) {
    const Qt::Key key = k % 2 == 0 ? Qt::Key_X : Qt::Key_Backspace;
    ms.push_back(MillisecondsOf([cell, key] {
      QTest::keyClick(cell, key);
      Settle();
    }));
  }
  return ms;
}

void FillSource(const ByteString& text) {
  SetFieldText(kSourcePane, text);
  ApplyTable();
  Settle();
}

void DropFile(const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QWidget* target = Pane(kSourcePane)->viewport();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(6, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  Settle();
}

struct Row {
  std::string name;
  Figures incremental;
  Figures whole_text;
  bool has_whole_text;
  double target_ms;
};

void PrintRows(const std::vector<Row>& rows, bool smoke) {
  std::printf("\n%-52s %22s %22s %10s\n", "window (ms: median [min-max])", "changed range",
              "whole text", "target");
  for (const Row& row : rows) {
    char incremental[64];
    char whole[64] = "-";
    std::snprintf(incremental, sizeof incremental, "%.1f [%.1f-%.1f]", row.incremental.median,
                  row.incremental.low, row.incremental.high);
    if (row.has_whole_text) {
      std::snprintf(whole, sizeof whole, "%.1f [%.1f-%.1f]", row.whole_text.median,
                    row.whole_text.low, row.whole_text.high);
    }
    std::printf("%-52s %22s %22s %7.0f %s\n", row.name.c_str(), incremental, whole, row.target_ms,
                smoke                                     ? "(smoke)"
                : row.incremental.median <= row.target_ms ? "met"
                                                          : "MISSED");
  }
}

void MeasureStrokes(const Sizes& sizes, std::vector<Row>& rows) {
  struct Case {
    const char* name;
    std::size_t size;
    bool cell;
    double target_ms;
  };
  const Case cases[] = {
      {"key stroke, source pane, small source", sizes.small_source, false, 16},
      {"key stroke, source pane, large source", sizes.large_source, false, 100},
      {"key stroke, cell 97, small source", sizes.small_source, true, 150},
  };
  for (const Case& c : cases) {
    Row row{c.name, {}, {}, true, c.target_ms};
    char label[96];
    std::snprintf(label, sizeof label, "%s (%.2f MiB)", c.name, static_cast<double>(c.size) / kMiB);
    row.name = label;
    if (!Selected(row.name)) continue;
    for (PaneStrategy strategy : {PaneStrategy::kIncremental, PaneStrategy::kWholeText}) {
      OpenWindow();
      SetPaneStrategy(strategy);
      FillSource(MixedText(c.size));
      const Figures figures =
          Summarize(c.cell ? CellStrokes(sizes.strokes) : SourceStrokes(sizes.strokes));
      Check(PanesAgree(), c.name);
      (strategy == PaneStrategy::kIncremental ? row.incremental : row.whole_text) = figures;
      DestroyMainWindow();
    }
    rows.push_back(row);
  }
}

void MeasureDrop(const Sizes& sizes, std::vector<Row>& rows) {
  if (!Selected("drop of a file")) return;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("dropped.txt"));
  QFile file(path);
  const ByteString text = MixedText(sizes.large_source);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size())) {
    std::fputs("cannot write the file to drop\n", stderr);
    ++g_failures;
    return;
  }
  file.close();
  char label[96];
  std::snprintf(label, sizeof label, "drop of a file until both panes are full (%.2f MiB)",
                static_cast<double>(sizes.large_source) / kMiB);
  Row row{label, {}, {}, true, 1500};
  if (!Selected(row.name)) return;
  for (PaneStrategy strategy : {PaneStrategy::kIncremental, PaneStrategy::kWholeText}) {
    std::vector<double> ms;
    for (int k = 0; k < sizes.repeats; ++k) {
      OpenWindow();
      SetPaneStrategy(strategy);
      ms.push_back(MillisecondsOf([&path] { DropFile(path); }));
      Check(PanesAgree() && Pane(kResultPane)->document()->characterCount() > 1, "a drop");
      DestroyMainWindow();
    }
    (strategy == PaneStrategy::kIncremental ? row.incremental : row.whole_text) = Summarize(ms);
  }
  rows.push_back(row);
}

void MeasureStartUp(const Sizes& sizes, std::vector<Row>& rows) {
  if (!Selected("start-up")) return;
  std::vector<double> ms;
  for (int k = 0; k < sizes.repeats; ++k) {
    ms.push_back(MillisecondsOf(OpenWindow));
    DestroyMainWindow();
  }
  rows.push_back({"start-up until the window is shown", Summarize(ms), {}, false, 300});
}

// In a process of its own, so that nothing measured before counts: a 10 MiB
// source, strokes in it and in cell 97.
int ReportPeakMemory() {
  OpenWindow();
  FillSource(MixedText(kFullRun.large_source));
  SourceStrokes(3);
  CellStrokes(2);
  Check(PanesAgree(), "the memory run");
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%ld\n", usage.ru_maxrss);
  DestroyMainWindow();
  return g_failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace runemill

int main(int argc, char** argv) {
  using namespace runemill;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  bool smoke = false;
  bool memory = false;
  for (int i = 1; i < argc; ++i) {
    smoke = smoke || std::strcmp(argv[i], "--smoke") == 0;
    memory = memory || std::strcmp(argv[i], "--memory") == 0;
    if (std::strncmp(argv[i], "--filter=", 9) == 0) g_filter = argv[i] + 9;
  }
  int toolkit_argc = 1;
  QApplication application(toolkit_argc, argv);
  if (memory) return ReportPeakMemory();

  const Sizes& sizes = smoke ? kSmokeRun : kFullRun;
  std::vector<Row> rows;
  MeasureStartUp(sizes, rows);
  MeasureStrokes(sizes, rows);
  MeasureDrop(sizes, rows);
  PrintRows(rows, smoke);

  if (!smoke && Selected("peak memory")) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory")});
    child.waitForFinished(-1);
    const double mib = child.readAllStandardOutput().trimmed().toDouble() / 1024;
    std::printf("%-52s %22.0f %22s %7d %s\n", "peak memory, 10 MiB source (MiB)", mib, "-", 400,
                mib > 0 && mib <= 400 ? "met" : "MISSED");
    if (child.exitCode() != 0) ++g_failures;
  }
  return g_failures == 0 ? 0 : 1;
}
