// What the log shows of one long entry is cut, never inside a double-byte
// character, and keeps the entry's line end; short entries pass unchanged.

#include "ui/log_entry_limit.h"

#include <QTest>
#include <string>

namespace board {

class LogEntryLimitTest : public QObject {
  Q_OBJECT

 private slots:
  void cutsOnlyLongEntries_data();
  void cutsOnlyLongEntries();
  void boundsAHugeQueryOfManyLines();
};

void LogEntryLimitTest::cutsOnlyLongEntries_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("maxBytes");
  QTest::addColumn<QByteArray>("shown");
  const QByteArray mark("\xA1\xAD");  // …
  QTest::newRow("short entry untouched")
      << QByteArray("abc\r\n") << 8 << QByteArray("abc\r\n");
  QTest::newRow("exactly the limit")
      << QByteArray("abcd") << 4 << QByteArray("abcd");
  QTest::newRow("cut, line end kept")
      << QByteArray("abcdef\r\n") << 4 << QByteArray("abcd") + mark + "\r\n";
  QTest::newRow("cut, no line end to keep")
      << QByteArray("abcdef") << 4 << QByteArray("abcd") + mark;
  QTest::newRow("double-byte character not split")
      << QByteArray("abc\xC4\xE3zz") << 4 << QByteArray("abc") + mark;
  QTest::newRow("double-byte characters kept whole")
      << QByteArray("\xC4\xE3\xBA\xC3zz") << 4
      << QByteArray("\xC4\xE3\xBA\xC3") + mark;
}

void LogEntryLimitTest::cutsOnlyLongEntries() {
  QFETCH(QByteArray, text);
  QFETCH(int, maxBytes);
  QFETCH(QByteArray, shown);
  const Text result = LimitShownLength(Text(text.constData()), maxBytes);
  QCOMPARE(QByteArray(result.CStr()), shown);
}

// A stored message of many short lines must not become many log lines.
void LogEntryLimitTest::boundsAHugeQueryOfManyLines() {
  std::string line = "127.0.0.1:5000 \xA3\xBA ";
  while (line.size() < 16 * 1024 * 1024) line += "line\r\n";
  line += "\r\n";
  const Text shown = LimitShownLength(Text(line.c_str()));
  QCOMPARE(shown.Length(), kMaxShownEntryBytes + 2 + 2);
  QVERIFY(shown.View().substr(0, 20) == std::string_view(line).substr(0, 20));
  QVERIFY(shown.View().ends_with("\xA1\xAD\r\n"));
}

}  // namespace board

QTEST_GUILESS_MAIN(board::LogEntryLimitTest)
#include "log_entry_limit_test.moc"
