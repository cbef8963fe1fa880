#include "field_text.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/windows1251.h"

namespace runemill {
namespace {

QChar CharOfByte(char byte) { return QChar(Windows1251ToUnicode(static_cast<std::uint8_t>(byte))); }

enum class FieldKind { kCell, kPane };

// A character outside the Basic Multilingual Plane is one character to the
// user, so it becomes one '?', not one per surrogate.
ByteString EncodeText(const QString& text, FieldKind kind) {
  const bool pane = kind == FieldKind::kPane;
  ByteString bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      bytes.push_back('?');
      ++i;
    } else if (pane && (unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator)) {
      bytes.append("\r\n");
    } else if (pane && unit == kLoneCarriageReturn) {
      bytes.push_back('\r');
    } else if (pane && unit == kLoneLineFeed) {
      bytes.push_back('\n');
    } else {
      bytes.push_back(static_cast<char>(UnicodeToWindows1251(unit)));
    }
  }
  return bytes;
}

// Compared a block at a time with memcmp, which runs at memory speed, and byte
// by byte only inside the block that differs.
constexpr std::size_t kCompareBlock = 4096;

std::size_t CommonPrefixLength(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  while (i + kCompareBlock <= n && std::memcmp(a.data() + i, b.data() + i, kCompareBlock) == 0) {
    i += kCompareBlock;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

std::size_t CommonSuffixLength(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  const char* a_end = a.data() + a.size();
  const char* b_end = b.data() + b.size();
  std::size_t i = 0;
  while (i + kCompareBlock <= n &&
         std::memcmp(a_end - i - kCompareBlock, b_end - i - kCompareBlock, kCompareBlock) == 0) {
    i += kCompareBlock;
  }
  while (i < n &&
         a_end[-1 - static_cast<std::ptrdiff_t>(i)] == b_end[-1 - static_cast<std::ptrdiff_t>(i)]) {
    ++i;
  }
  return i;
}

// A CR LF pair is one character of the document, every other byte one too.
std::size_t CrLfPairs(std::string_view bytes) {
  std::size_t pairs = 0;
  for (std::size_t i = bytes.find('\n'); i != std::string_view::npos; i = bytes.find('\n', i + 1)) {
    if (i > 0 && bytes[i - 1] == '\r') ++pairs;
  }
  return pairs;
}

bool IsSurrogateOrLineSeparator(char16_t unit) {
  return QChar::isSurrogate(unit) || unit == QChar::LineSeparator;
}

// Whether the unit is what PaneTextFromBytes shows for the byte it stands for.
bool IsCanonical(char16_t unit) {
  return unit == QChar::ParagraphSeparator ||
         Windows1251ToUnicode(UnicodeToWindows1251(unit)) == unit;
}

}  // namespace

QString CellTextFromBytes(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char byte : bytes) text.append(CharOfByte(byte));
  return text;
}

ByteString BytesFromCellText(const QString& text) { return EncodeText(text, FieldKind::kCell); }

QString PaneTextFromBytes(std::string_view bytes) {
  // Texts of many megabytes: one table look-up per byte, written in place.
  static const std::array<char16_t, 256> kShown = [] {
    std::array<char16_t, 256> shown{};
    for (int b = 0; b < 256; ++b) shown[b] = Windows1251ToUnicode(static_cast<std::uint8_t>(b));
    shown['\r'] = kLoneCarriageReturn;
    shown['\n'] = kLoneLineFeed;
    return shown;
  }();
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  char16_t* const begin = out;
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    if (byte == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
      *out++ = u'\n';
      ++i;
    } else {
      *out++ = kShown[byte];
    }
  }
  text.truncate(out - begin);
  return text;
}

ByteString BytesFromPaneText(const QString& raw_text) {
  return EncodeText(raw_text, FieldKind::kPane);
}

QString CellToolTip(int byte) {
  QString tip = QString::number(byte) + u':';
  if (byte != 0) tip.append(CharOfByte(static_cast<char>(byte)));
  return tip;
}

PaneText::PaneText(QPlainTextEdit* pane) : pane_(pane), document_(pane->document()) {
  connection_ = QObject::connect(document_, &QTextDocument::contentsChange,
                                 [this](int position, int /*chars_removed*/, int chars_added) {
                                   TakeChange(position, chars_added);
                                 });
}

PaneText::~PaneText() { QObject::disconnect(connection_); }

void PaneText::SetStrategy(PaneStrategy strategy) {
  strategy_ = strategy;
  // Whole texts keep nothing in step; the first incremental read starts afresh.
  offsets_exact_ = false;
  canonical_ = false;
}

const ByteString& PaneText::Bytes() {
  if (strategy_ == PaneStrategy::kWholeText || !offsets_exact_) ReadWhole();
  return bytes_;
}

// The document reports one range that covers all it changed, in positions of
// the new text; what follows the range is as before, so the bytes it replaces
// end where the unchanged tail begins.
void PaneText::TakeChange(int position, int chars_added) {
  if (writing_ || !offsets_exact_) return;
  if (strategy_ == PaneStrategy::kWholeText) {
    offsets_exact_ = false;
    return;
  }
  const int char_count = document_->characterCount() - 1;
  // A change of the whole document counts its final paragraph break as well.
  const int end = std::min(position + chars_added, char_count);
  if (position < 0 || position > end) {
    offsets_exact_ = false;
    return;
  }
  const auto byte_offset = [this](int p) {
    return static_cast<std::size_t>(p) +
           static_cast<std::size_t>(document_->findBlock(p).blockNumber());
  };
  const std::size_t begin = byte_offset(position);
  const std::size_t tail = byte_offset(char_count) - byte_offset(end);
  if (begin + tail > bytes_.size()) {
    offsets_exact_ = false;
    return;
  }
  QTextCursor cursor(document_);
  cursor.setPosition(position);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  const QString added = cursor.selectedText();
  for (const QChar unit : added) {
    if (IsSurrogateOrLineSeparator(unit.unicode())) {
      offsets_exact_ = false;
      return;
    }
    if (!IsCanonical(unit.unicode())) canonical_ = false;
  }
  // Stand-ins brought side by side read as a CR LF pair but are two characters.
  if (position > 0 && end < char_count &&
      document_->characterAt(position - 1) == QChar(kLoneCarriageReturn) &&
      document_->characterAt(end) == QChar(kLoneLineFeed)) {
    canonical_ = false;
  }
  bytes_.replace(begin, bytes_.size() - tail - begin, BytesFromPaneText(added));
}

void PaneText::ReadWhole() {
  const QString raw = document_->toRawText();
  bytes_ = BytesFromPaneText(raw);
  offsets_exact_ = strategy_ == PaneStrategy::kIncremental &&
                   std::none_of(raw.begin(), raw.end(), [](QChar unit) {
                     return IsSurrogateOrLineSeparator(unit.unicode());
                   });
  // Whether the document is canonical is not worth finding out here: the next
  // write replaces it whole and makes it so.
  canonical_ = false;
}

void PaneText::ShowWhole(std::string_view bytes) {
  writing_ = true;
  if (strategy_ == PaneStrategy::kWholeText) {
    pane_->setPlainText(PaneTextFromBytes(bytes));
  } else {
    // The document's own setPlainText skips the widget's second pass that
    // sets one character format over the whole new text: a tenth less time.
    document_->setPlainText(PaneTextFromBytes(bytes));
  }
  writing_ = false;
  bytes_.assign(bytes);
  offsets_exact_ = strategy_ == PaneStrategy::kIncremental;
  canonical_ = offsets_exact_;
}

// Unchanged bytes at either end stay in the document. A CR at the end of the
// head, or an LF at the start of the tail, is rewritten with the middle: how
// it shows depends on its neighbour across the boundary.
void PaneText::Show(std::string_view bytes) {
  if (strategy_ == PaneStrategy::kWholeText || !offsets_exact_ || !canonical_) {
    ShowWhole(bytes);
    return;
  }
  const std::string_view old = bytes_;
  std::size_t head = CommonPrefixLength(old, bytes);
  if (head == old.size() && head == bytes.size()) return;
  std::size_t tail = CommonSuffixLength(old.substr(head), bytes.substr(head));
  // Nothing to keep: a new text set whole is laid out faster than inserted.
  if (head == 0 && tail == 0) {
    ShowWhole(bytes);
    return;
  }
  if (head > 0 && old[head - 1] == '\r') --head;
  if (tail > 0 && old[old.size() - tail] == '\n') --tail;
  const int char_count = document_->characterCount() - 1;
  const std::string_view old_tail = old.substr(old.size() - tail);
  const auto first = static_cast<int>(head - CrLfPairs(old.substr(0, head)));
  const auto last = char_count - static_cast<int>(tail - CrLfPairs(old_tail));
  const std::string_view middle = bytes.substr(head, bytes.size() - tail - head);

  writing_ = true;
  // As with a whole new text, the program's writes leave nothing to undo, and
  // no copy of what they replace.
  document_->setUndoRedoEnabled(false);
  QTextCursor cursor(document_);
  cursor.setPosition(first);
  cursor.setPosition(last, QTextCursor::KeepAnchor);
  if (middle.empty()) {
    cursor.removeSelectedText();
  } else {
    cursor.insertText(PaneTextFromBytes(middle));
  }
  document_->setUndoRedoEnabled(true);
  writing_ = false;
  bytes_.replace(head, old.size() - tail - head, middle);
}

}  // namespace runemill
