#include "field_text.h"

#include <cstdint>

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

}  // namespace

QString CellTextFromBytes(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char byte : bytes) text.append(CharOfByte(byte));
  return text;
}

ByteString BytesFromCellText(const QString& text) { return EncodeText(text, FieldKind::kCell); }

QString PaneTextFromBytes(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char byte = bytes[i];
    if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      text.append(u'\n');
      ++i;
    } else if (byte == '\r') {
      text.append(kLoneCarriageReturn);
    } else if (byte == '\n') {
      text.append(kLoneLineFeed);
    } else {
      text.append(CharOfByte(byte));
    }
  }
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

}  // namespace runemill
