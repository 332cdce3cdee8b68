// Long log lines are cut for showing, never inside a double-byte character,
// while short lines and every line end pass unchanged.

#include "ui/log_line_limit.h"

#include <QTest>
#include <string>

namespace board {

class LogLineLimitTest : public QObject {
  Q_OBJECT

 private slots:
  void cutsOnlyLongLines_data();
  void cutsOnlyLongLines();
  void cutsAMultiMegabyteQueryLine();
};

void LogLineLimitTest::cutsOnlyLongLines_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("maxBytes");
  QTest::addColumn<QByteArray>("shown");
  const QByteArray mark("\xA1\xAD");  // …
  QTest::newRow("short text untouched")
      << QByteArray("abc\r\n") << 4 << QByteArray("abc\r\n");
  QTest::newRow("exactly the limit")
      << QByteArray("abcd\r\n") << 4 << QByteArray("abcd\r\n");
  QTest::newRow("long line cut, line end kept")
      << QByteArray("abcdef\r\n") << 4 << QByteArray("abcd") + mark + "\r\n";
  QTest::newRow("each line on its own")
      << QByteArray("ab\r\nabcdef\r\nxy") << 4
      << QByteArray("ab\r\nabcd") + mark + "\r\nxy";
  QTest::newRow("double-byte character not split")
      << QByteArray("abc\xC4\xE3zz") << 4 << QByteArray("abc") + mark;
  QTest::newRow("double-byte characters kept whole")
      << QByteArray("\xC4\xE3\xBA\xC3zz") << 4
      << QByteArray("\xC4\xE3\xBA\xC3") + mark;
}

void LogLineLimitTest::cutsOnlyLongLines() {
  QFETCH(QByteArray, text);
  QFETCH(int, maxBytes);
  QFETCH(QByteArray, shown);
  const Text result = LimitLineLengths(Text(text.constData()), maxBytes);
  QCOMPARE(QByteArray(result.CStr()), shown);
}

void LogLineLimitTest::cutsAMultiMegabyteQueryLine() {
  const std::string line =
      "127.0.0.1:5000 \xA3\xBA " + std::string(16 * 1024 * 1024, 'x') + "\r\n";
  const Text shown = LimitLineLengths(Text(line.c_str()));
  QCOMPARE(shown.Length(), kMaxShownLineBytes + 2 + 2);
  QVERIFY(shown.View().substr(0, 20) == std::string_view(line).substr(0, 20));
}

}  // namespace board

QTEST_GUILESS_MAIN(board::LogLineLimitTest)
#include "log_line_limit_test.moc"
