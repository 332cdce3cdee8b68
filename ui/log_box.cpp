#include "ui/log_box.h"

#include <QTextCursor>
#include <algorithm>

#include "ui/log_entry_limit.h"
#include "ui/text_conversion.h"

namespace board {

LogBox::LogBox(QWidget* parent) : QPlainTextEdit(parent) {
  // One block more than kMaxLines: the empty block after the last line end
  // is not a line.
  setMaximumBlockCount(kMaxLines + 1);
  setUndoRedoEnabled(false);
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  flushTimer_.setSingleShot(true);
  QObject::connect(&flushTimer_, &QTimer::timeout, this, [this] { Flush(); });
}

void LogBox::AppendText(const Text& text) {
  AppendText(TextToQString(LimitShownLength(text)));
}

void LogBox::AppendText(const QString& text) {
  pending_ += text;
  // Even an empty text moves the caret to the end.
  caretPending_ = true;
  ScheduleFlush();
}

// After a quiet spell the text goes in on the next turn of the loop; while
// requests keep coming, one interval after the last update.
void LogBox::ScheduleFlush() {
  if (flushTimer_.isActive()) return;
  const qint64 sinceLast =
      sinceFlush_.isValid() ? sinceFlush_.elapsed() : kFlushIntervalMs;
  flushTimer_.start(
      static_cast<int>(std::max<qint64>(0, kFlushIntervalMs - sinceLast)));
}

void LogBox::Flush() {
  flushTimer_.stop();
  if (!caretPending_) return;
  caretPending_ = false;
  sinceFlush_.start();
  // Qt makes a line break of "\r" and of "\n" alike; a "\r\n" pair is one.
  pending_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  if (!pending_.isEmpty()) cursor.insertText(pending_);
  pending_.clear();
  setTextCursor(cursor);
  ensureCursorVisible();
}

}  // namespace board
