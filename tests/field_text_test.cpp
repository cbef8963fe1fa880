#include "ui/field_text.h"

#include <QTest>

namespace runemill {

using namespace Qt::StringLiterals;

// Byte strings are compared as byte arrays, which Qt Test prints on a mismatch.
static QByteArray Bytes(const ByteString& bytes) { return QByteArray::fromStdString(bytes); }

class FieldTextTest : public QObject {
  Q_OBJECT

 private slots:
  void PaneShowsOnlyCrLfAsALineBreak_data();
  void PaneShowsOnlyCrLfAsALineBreak();
  void PaneTextReadsBack_data();
  void PaneTextReadsBack();
  void CellKeepsLineBreakBytesApart();
  void CellTextReadsBack_data();
  void CellTextReadsBack();
};

void FieldTextTest::PaneShowsOnlyCrLfAsALineBreak_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("shown");
  QTest::newRow("CR LF") << QByteArray("a\r\nb") << u"a\nb"_s;
  QTest::newRow("lone CR") << QByteArray("a\rb") << u"a\u240Db"_s;
  QTest::newRow("lone LF") << QByteArray("a\nb") << u"a\u240Ab"_s;
  QTest::newRow("LF CR is no pair") << QByteArray("\n\r") << u"\u240A\u240D"_s;
  QTest::newRow("CR CR LF LF") << QByteArray("\r\r\n\n") << u"\u240D\n\u240A"_s;
  QTest::newRow("Cyrillic") << QByteArray("\xC0\xFF\xB8") << u"Аяё"_s;
  QTest::newRow("unassigned 0x98") << QByteArray("\x98") << u"\u0098"_s;
}

void FieldTextTest::PaneShowsOnlyCrLfAsALineBreak() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, shown);
  QCOMPARE(PaneTextFromBytes(bytes.toStdString()), shown);
}

void FieldTextTest::PaneTextReadsBack_data() {
  QTest::addColumn<QString>("raw_text");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("paragraph break") << u"a\u2029b"_s << QByteArray("a\r\nb");
  QTest::newRow("line separator") << u"a\u2028b"_s << QByteArray("a\r\nb");
  QTest::newRow("stand-ins") << u"\u240D\u240A"_s << QByteArray("\r\n");
  QTest::newRow("no-break space") << u"\u00A0"_s << QByteArray("\xA0");
  QTest::newRow("euro sign") << u"€"_s << QByteArray("\x88");
  QTest::newRow("not in the code page") << u"中ä"_s << QByteArray("??");
  QTest::newRow("surrogate pair is one character") << u"x😀y"_s << QByteArray("x?y");
}

void FieldTextTest::PaneTextReadsBack() {
  QFETCH(QString, raw_text);
  QFETCH(QByteArray, bytes);
  QCOMPARE(Bytes(BytesFromPaneText(raw_text)), bytes);
}

void FieldTextTest::CellKeepsLineBreakBytesApart() {
  QCOMPARE(CellTextFromBytes("a\r\nb\rc\nd"), u"a\r\nb\rc\nd"_s);
  QCOMPARE(Bytes(BytesFromCellText(u"\r\n\r"_s)), QByteArray("\r\n\r"));
  // The pane's stand-ins mean nothing in a cell.
  QCOMPARE(Bytes(BytesFromCellText(u"\u240D\u2029"_s)), QByteArray("??"));
}

void FieldTextTest::CellTextReadsBack_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("Cyrillic") << u"Йё"_s << QByteArray("\xC9\xB8");
  QTest::newRow("unassigned 0x98") << u"\u0098"_s << QByteArray("\x98");
  QTest::newRow("surrogate pair is one character") << u"😀"_s << QByteArray("?");
  QTest::newRow("zero") << QString(QChar(0)) << QByteArray("?");
}

void FieldTextTest::CellTextReadsBack() {
  QFETCH(QString, text);
  QFETCH(QByteArray, bytes);
  QCOMPARE(Bytes(BytesFromCellText(text)), bytes);
}

}  // namespace runemill

QTEST_APPLESS_MAIN(runemill::FieldTextTest)
#include "field_text_test.moc"
