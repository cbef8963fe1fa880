#pragma once

// The fields hold Unicode text; the program thinks in Windows-1251 bytes.
// These conversions decide how every byte 1..255 looks in a field and make
// sure that it reads back as the same byte.

#include <QMetaObject>
#include <QString>
#include <cstddef>
#include <string_view>

#include "core/screen.h"

class QPlainTextEdit;
class QTextDocument;

namespace runemill {

// A line edit keeps CR and LF as ordinary characters, so a cell shows every
// byte as its own character.
QString CellTextFromBytes(std::string_view bytes);
ByteString BytesFromCellText(const QString& text);

// A text document turns both CR and LF into paragraph breaks, so only the pair
// CR LF may become one; a lone CR or LF is shown by its control picture
// instead and reads back as the byte it stands for.
inline constexpr char16_t kLoneCarriageReturn = u'\u240D';
inline constexpr char16_t kLoneLineFeed = u'\u240A';
QString PaneTextFromBytes(std::string_view bytes);
// Takes the document's raw text: toPlainText() would turn the no-break space
// (byte 0xA0) into a plain one.
ByteString BytesFromPaneText(const QString& raw_text);

// "<byte>:<character>"; cell 0 has no character.
QString CellToolTip(int byte);

// How a pane's text is read and written. kWholeText reads the whole document
// and replaces it on every write, as the toolkit offers; it is kept so that the
// benchmark can show what kIncremental saves.
enum class PaneStrategy { kIncremental, kWholeText };

// The bytes of a pane, kept in step with every change of its document, so that
// reading a pane of many megabytes costs one copy; and a write replaces only
// the range in which the new text differs, so that the toolkit lays out again
// only what changed, where a whole new text of 10 MB takes it most of a second.
class PaneText {
 public:
  explicit PaneText(QPlainTextEdit* pane);
  ~PaneText();
  PaneText(const PaneText&) = delete;
  PaneText& operator=(const PaneText&) = delete;

  void SetStrategy(PaneStrategy strategy);
  const ByteString& Bytes();
  // Leaves the pane showing exactly PaneTextFromBytes(bytes).
  void Show(std::string_view bytes);

 private:
  void TakeChange(int position, int chars_added);
  void ReadWhole();
  void ShowWhole(std::string_view bytes);

  QPlainTextEdit* pane_;
  QTextDocument* document_;
  QMetaObject::Connection connection_;
  PaneStrategy strategy_ = PaneStrategy::kIncremental;
  ByteString bytes_;
  // Every character but the paragraph break stands for one byte, so byte
  // offsets follow from character positions and block numbers.
  bool offsets_exact_ = true;
  // The document is exactly PaneTextFromBytes(bytes_): then a range of bytes
  // that stays the same also looks the same, and bytes count characters.
  bool canonical_ = true;
  bool writing_ = false;
};

}  // namespace runemill
