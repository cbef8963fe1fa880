#pragma once

// The fields hold Unicode text; the program thinks in Windows-1251 bytes.
// These conversions decide how every byte 1..255 looks in a field and make
// sure that it reads back as the same byte.

#include <QString>
#include <string_view>

#include "core/screen.h"

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

}  // namespace runemill
