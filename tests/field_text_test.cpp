#include "ui/field_text.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <random>

#include "core/substitution_table.h"
#include "core/text_conversion.h"
#include "ui/event_loop.h"
#include "ui/main_window.h"
#include "ui/window_events.h"

namespace runemill {

using namespace Qt::StringLiterals;

// Byte strings are compared as byte arrays, which Qt Test prints on a mismatch.
static QByteArray Bytes(const ByteString& bytes) { return QByteArray::fromStdString(bytes); }

// What the document holds when it shows exactly these bytes, as its raw text.
static QString ShownAs(const QByteArray& bytes) {
  return PaneTextFromBytes(bytes.toStdString()).replace(u'\n', QChar::ParagraphSeparator);
}

// The bytes a pane reads as, from its document rather than from PaneText.
static QByteArray ReadBack(const QPlainTextEdit& pane) {
  return Bytes(BytesFromPaneText(pane.document()->toRawText()));
}

// A user's edit: the range [from, to) of the pane replaced by text, as typing
// or pasting does it, with undo.
static void UserEdit(QPlainTextEdit& pane, int from, int to, const QString& text) {
  QTextCursor cursor(pane.document());
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  cursor.insertText(text);
}

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
  void ShowingANewTextLeavesExactlyIt_data();
  void ShowingANewTextLeavesExactlyIt();
  void UserEditsAreReadAndThenOverwritten_data();
  void UserEditsAreReadAndThenOverwritten();
  void RandomEditsAndWritesStayExact();
  void BothStrategiesShowTheSame();
  void WindowWritesRangesWithoutEventsAndConvertsExactly();
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

void FieldTextTest::ShowingANewTextLeavesExactlyIt_data() {
  QTest::addColumn<QByteArray>("before");
  QTest::addColumn<QByteArray>("after");
  QTest::newRow("change at the start") << QByteArray("abc\r\ndef") << QByteArray("Xbc\r\ndef");
  QTest::newRow("change in the middle") << QByteArray("abc\r\ndef")
                                        << QByteArray(
                                               "abc\r\nd\xC9"
                                               "f");
  QTest::newRow("change at the end") << QByteArray("abc\r\ndef") << QByteArray("abc\r\ndeF");
  QTest::newRow("growth") << QByteArray("ab\r\ncd") << QByteArray("ab\r\nxxx\r\nyy\r\ncd");
  QTest::newRow("shrink") << QByteArray("ab\r\nxxx\r\nyy\r\ncd") << QByteArray("ab\r\ncd");
  QTest::newRow("from empty") << QByteArray() << QByteArray("a\r\nb");
  QTest::newRow("to empty") << QByteArray("a\r\nb") << QByteArray();
  QTest::newRow("nothing changes") << QByteArray("a\r\nb") << QByteArray("a\r\nb");
  QTest::newRow("CR LF loses its LF") << QByteArray("a\r\nb") << QByteArray("a\rb");
  QTest::newRow("CR LF loses its CR") << QByteArray("a\r\nb") << QByteArray("a\nb");
  QTest::newRow("lone CR gains an LF") << QByteArray("a\rb") << QByteArray("a\r\nb");
  QTest::newRow("lone LF gains a CR") << QByteArray("a\nb") << QByteArray("a\r\nb");
  QTest::newRow("CR at the end gains an LF") << QByteArray("ab\r") << QByteArray("ab\r\n");
  QTest::newRow("LF at the start gains a CR") << QByteArray("\nab") << QByteArray("\r\nab");
  QTest::newRow("pair splits around a new byte") << QByteArray("a\r\nb") << QByteArray("a\rx\nb");
  QTest::newRow("byte between CR and LF goes") << QByteArray("a\rx\nb") << QByteArray("a\r\nb");
  QTest::newRow("pairs shift by one") << QByteArray("\r\n\r\n\r\n") << QByteArray("\n\r\n\r\n\r");
  QTest::newRow("CR CR LF LF") << QByteArray("\r\r\n\n") << QByteArray("\r\n\r\n");
  QTest::newRow("every line changes")
      << QByteArray("ab\r\nab\r\nab") << QByteArray("xb\r\nxb\r\nxb");
  QTest::newRow("no-break space and stand-ins as bytes")
      << QByteArray("a\xA0\r") << QByteArray("a\xA0\xA0\r");
}

void FieldTextTest::ShowingANewTextLeavesExactlyIt() {
  QFETCH(QByteArray, before);
  QFETCH(QByteArray, after);
  QPlainTextEdit pane;
  PaneText text(&pane);
  text.Show(before.toStdString());
  text.Show(after.toStdString());
  QCOMPARE(pane.document()->toRawText(), ShownAs(after));
  QCOMPARE(Bytes(text.Bytes()), after);
}

// The user changes the pane between two writes; what PaneText reads is what
// the document holds, and the next write leaves exactly the new text, however
// the edit looked.
void FieldTextTest::UserEditsAreReadAndThenOverwritten_data() {
  QTest::addColumn<QByteArray>("shown");
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QByteArray>("next");
  QTest::newRow("typing a letter") << QByteArray("abc") << 1 << 1 << u"x"_s << QByteArray("abc");
  QTest::newRow("typing a line break")
      << QByteArray("abc") << 1 << 1 << u"\n"_s << QByteArray("abcd");
  QTest::newRow("deleting a line break")
      << QByteArray("a\r\nb") << 1 << 2 << QString() << QByteArray("a\r\nc");
  QTest::newRow("stand-ins typed side by side")
      << QByteArray("ab") << 1 << 1 << u"\u240D\u240A"_s << QByteArray("ab");
  QTest::newRow("deleting what stood between lone CR and LF")
      << QByteArray("a\rx\nb") << 2 << 3 << QString() << QByteArray("a\r\nb");
  QTest::newRow("a character outside the code page")
      << QByteArray("abc") << 1 << 2 << u"\u4E2D"_s << QByteArray("a?c");
  QTest::newRow("a surrogate pair")
      << QByteArray("a\r\nb") << 3 << 3 << u"\U0001F600"_s << QByteArray("a\r\nb?");
  QTest::newRow("a line separator")
      << QByteArray("ab") << 1 << 1 << u"\u2028"_s << QByteArray("ab");
  QTest::newRow("replacing everything")
      << QByteArray("ab\r\ncd") << 0 << 5 << u"zz"_s << QByteArray("ab\r\ncd");
}

void FieldTextTest::UserEditsAreReadAndThenOverwritten() {
  QFETCH(QByteArray, shown);
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(QString, typed);
  QFETCH(QByteArray, next);
  QPlainTextEdit pane;
  PaneText text(&pane);
  text.Show(shown.toStdString());
  UserEdit(pane, from, to, typed);
  QCOMPARE(Bytes(text.Bytes()), ReadBack(pane));
  text.Show(next.toStdString());
  QCOMPARE(pane.document()->toRawText(), ShownAs(next));
  QCOMPARE(Bytes(text.Bytes()), next);
}

// Texts of few distinct bytes, so that writes share long heads and tails and
// CR and LF meet at every kind of boundary; user edits in between, undone now
// and then.
void FieldTextTest::RandomEditsAndWritesStayExact() {
  std::mt19937 random(257);
  const char alphabet[] = {'a', 'b', '\r', '\n', '\xC9', '\xA0'};
  const QString typed_alphabet = u"ab\n\u240D\u240A\u0419"_s;
  const auto random_bytes = [&](std::size_t size) {
    ByteString bytes(size, 'a');
    for (char& c : bytes) c = alphabet[random() % sizeof alphabet];
    return bytes;
  };
  QPlainTextEdit pane;
  PaneText text(&pane);
  ByteString current = random_bytes(200);
  text.Show(current);
  for (int round = 0; round < 400; ++round) {
    switch (random() % 4) {
      case 0: {  // a write that changes one stretch
        const std::size_t at = random() % (current.size() + 1);
        const std::size_t removed = std::min<std::size_t>(random() % 6, current.size() - at);
        current.replace(at, removed, random_bytes(random() % 6));
        text.Show(current);
        QCOMPARE(pane.document()->toRawText(), ShownAs(Bytes(current)));
        break;
      }
      case 1: {  // a write that changes every other stretch
        for (std::size_t i = random() % 7; i < current.size(); i += 7) {
          current[i] = alphabet[random() % sizeof alphabet];
        }
        text.Show(current);
        QCOMPARE(pane.document()->toRawText(), ShownAs(Bytes(current)));
        break;
      }
      case 2: {  // the user types or deletes
        const int chars = pane.document()->characterCount() - 1;
        const int from = static_cast<int>(random() % (chars + 1));
        const int to = std::min(chars, from + static_cast<int>(random() % 4));
        QString typed;
        for (unsigned k = random() % 4; k > 0; --k)
          typed.append(typed_alphabet[random() % typed_alphabet.size()]);
        UserEdit(pane, from, to, typed);
        QCOMPARE(Bytes(text.Bytes()), ReadBack(pane));
        current = text.Bytes();
        break;
      }
      default:
        pane.document()->undo();
        QCOMPARE(Bytes(text.Bytes()), ReadBack(pane));
        current = text.Bytes();
        break;
    }
    QCOMPARE(Bytes(text.Bytes()), Bytes(current));
  }
}

void FieldTextTest::BothStrategiesShowTheSame() {
  for (const PaneStrategy strategy : {PaneStrategy::kIncremental, PaneStrategy::kWholeText}) {
    QPlainTextEdit pane;
    PaneText text(&pane);
    text.SetStrategy(strategy);
    text.Show("a\r\nb\rc");
    UserEdit(pane, 0, 1, u"\u0419"_s);
    QCOMPARE(Bytes(text.Bytes()), QByteArray("\xC9\r\nb\rc"));
    text.Show("a\r\nb\nc");
    QCOMPARE(pane.document()->toRawText(), ShownAs("a\r\nb\nc"));
    QCOMPARE(Bytes(text.Bytes()), QByteArray("a\r\nb\nc"));
  }
}

// Through the window: the program's writes of a changed range raise no field
// event, and after a user's edit of the result pane the next conversion still
// leaves exactly the converted source there.
void FieldTextTest::WindowWritesRangesWithoutEventsAndConvertsExactly() {
  CreateMainWindow();
  ResetTable(ResetMode::kIdentity);
  auto* source = static_cast<QPlainTextEdit*>(FieldWidget(kSourcePane));
  auto* result = static_cast<QPlainTextEdit*>(FieldWidget(kResultPane));
  RunPendingTurns();
  ProgramTable().SetEntry('a', "\r");
  SetFieldText(kSourcePane, "ab\r\nab\nab");
  ApplyTable();
  SetFieldText(kSourcePane, "ab\r\nXb\nab");
  ApplyTable();
  QVERIFY(!PollEvent().has_value());
  QCOMPARE(ReadBack(*result), QByteArray("\rb\r\nXb\n\rb"));

  UserEdit(*result, 0, 3, u"typed"_s);
  UserEdit(*source, 0, 0, u"a"_s);
  RunPendingTurns();
  const ByteString expected =
      ConvertText(BytesFromPaneText(source->document()->toRawText()), ProgramTable());
  QCOMPARE(Bytes(GetFieldText(kResultPane)), Bytes(expected));
  QCOMPARE(result->document()->toRawText(), ShownAs(Bytes(expected)));
  DestroyMainWindow();
}

}  // namespace runemill

QTEST_MAIN(runemill::FieldTextTest)
#include "field_text_test.moc"
