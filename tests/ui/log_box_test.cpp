// The log box: appends land at the end whatever the user did with the caret,
// carry their own line ends, become visible within one turn of the event
// loop, and the box keeps only the newest lines.

#include "ui/log_box.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace board {

class LogBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void appendsGoToTheEndWhereverTheCaretIs();
  void crLfIsOneLineBreak_data();
  void crLfIsOneLineBreak();
  void emptyAppendMovesCaretToTheEnd();
  void appendsShowWithinOneFrame();
  void followsTheNewestLine();
  void keepsOnlyTheNewestLines();
  void takesCodePage936Text();
  void enterBreaksTheLine();

 private:
  // Long enough for an update held back by a stream of appends.
  void TurnLoop() { QTest::qWait(2 * LogBox::kFlushIntervalMs); }

  std::unique_ptr<LogBox> box_;
};

void LogBoxTest::init() {
  box_ = std::make_unique<LogBox>(nullptr);
  box_->resize(350, 211);
  box_->show();
}

void LogBoxTest::cleanup() { box_.reset(); }

void LogBoxTest::appendsGoToTheEndWhereverTheCaretIs() {
  box_->AppendText(QStringLiteral("first\r\nsecond\r\n"));
  TurnLoop();
  QTextCursor selection = box_->textCursor();
  selection.setPosition(2);
  selection.setPosition(8, QTextCursor::KeepAnchor);
  box_->setTextCursor(selection);

  box_->AppendText(QStringLiteral("third"));
  box_->AppendText(QStringLiteral("fourth\r\n"));
  TurnLoop();
  QCOMPARE(box_->toPlainText(), QStringLiteral("first\nsecond\nthirdfourth\n"));
  QVERIFY(!box_->textCursor().hasSelection());
  QCOMPARE(box_->textCursor().position(),
           static_cast<int>(box_->toPlainText().size()));
}

void LogBoxTest::crLfIsOneLineBreak_data() {
  QTest::addColumn<QString>("appended");
  QTest::addColumn<QStringList>("lines");
  QTest::newRow("one line") << QStringLiteral("a\r\n") << QStringList{"a", ""};
  QTest::newRow("two lines")
      << QStringLiteral("a\r\nb\r\n") << QStringList{"a", "b", ""};
  QTest::newRow("no line end") << QStringLiteral("a") << QStringList{"a"};
  QTest::newRow("blank line between")
      << QStringLiteral("a\r\n\r\nb") << QStringList{"a", "", "b"};
}

void LogBoxTest::crLfIsOneLineBreak() {
  QFETCH(QString, appended);
  QFETCH(QStringList, lines);
  box_->AppendText(appended);
  box_->Flush();
  QStringList shown;
  for (QTextBlock block = box_->document()->begin(); block.isValid();
       block = block.next()) {
    shown << block.text();
  }
  QCOMPARE(shown, lines);
}

void LogBoxTest::emptyAppendMovesCaretToTheEnd() {
  box_->AppendText(QStringLiteral("abc\r\ndef"));
  box_->Flush();
  QTextCursor start = box_->textCursor();
  start.setPosition(1);
  box_->setTextCursor(start);
  box_->AppendText(QString());
  box_->Flush();
  QCOMPARE(box_->toPlainText(), QStringLiteral("abc\ndef"));
  QCOMPARE(box_->textCursor().position(), 7);
}

void LogBoxTest::appendsShowWithinOneFrame() {
  for (int i = 0; i < 1000; ++i) {
    box_->AppendText(QStringLiteral("127.0.0.1:5000 : line %1\r\n").arg(i));
  }
  TurnLoop();
  QCOMPARE(box_->document()->blockCount(), 1001);
  QCOMPARE(box_->document()->findBlockByNumber(999).text(),
           QStringLiteral("127.0.0.1:5000 : line 999"));
}

void LogBoxTest::followsTheNewestLine() {
  for (int i = 0; i < 200; ++i) box_->AppendText(QStringLiteral("x\r\n"));
  TurnLoop();
  QScrollBar* bar = box_->verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), bar->maximum());
}

void LogBoxTest::keepsOnlyTheNewestLines() {
  const int total = LogBox::kMaxLines + 25;
  QString lines;
  for (int i = 0; i < total; ++i) lines += QStringLiteral("%1\r\n").arg(i);
  box_->AppendText(lines);
  box_->AppendText(QStringLiteral("last\r\n"));
  TurnLoop();
  QTextDocument* document = box_->document();
  QCOMPARE(document->blockCount(), LogBox::kMaxLines + 1);
  // The oldest went; the newest kMaxLines lines are all there, in order.
  QCOMPARE(document->begin().text(),
           QString::number(total + 1 - LogBox::kMaxLines));
  QCOMPARE(document->findBlockByNumber(LogBox::kMaxLines - 1).text(),
           QStringLiteral("last"));
  QCOMPARE(document->lastBlock().text(), QString());
}

void LogBoxTest::takesCodePage936Text() {
  // "127.0.0.1:80 ： 发布成功 \r\n" in code page 936.
  box_->AppendText(
      Text("127.0.0.1:80 \xA3\xBA \xB7\xA2\xB2\xBC\xB3\xC9\xB9\xA6 \r\n"));
  box_->Flush();
  QCOMPARE(box_->toPlainText(), QStringLiteral("127.0.0.1:80 ： 发布成功 \n"));
}

void LogBoxTest::enterBreaksTheLine() {
  box_->setFocus();
  box_->AppendText(QStringLiteral("ab"));
  box_->Flush();
  QTest::keyClick(box_.get(), Qt::Key_Return);
  QTest::keyClicks(box_.get(), QStringLiteral("c"));
  QCOMPARE(box_->toPlainText(), QStringLiteral("ab\nc"));
}

}  // namespace board

QTEST_MAIN(board::LogBoxTest)
#include "log_box_test.moc"
