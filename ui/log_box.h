#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QString>
#include <QTimer>

#include "message/request_server.h"
#include "text/text.h"

namespace board {

// The multi-line log: green on black, growing at its end and scrolling with
// it. Appends are gathered and put into the document on the next turn of the
// event loop, and under a stream of requests at most once per
// kFlushIntervalMs, so thousands of requests a second cost a few layouts
// instead of one each, while every line still shows within a frame. The
// oldest lines go once kMaxLines are kept.
class LogBox : public QPlainTextEdit, public RequestLog {
 public:
  static constexpr int kMaxLines = 100000;
  static constexpr int kFlushIntervalMs = 10;

  explicit LogBox(QWidget* parent);

  // Adds text at the end, adding no line end of its own; "\r\n" in text is
  // one line break. The caret ends after it and is scrolled into view. A text
  // longer than kMaxShownEntryBytes is shown cut (see log_entry_limit.h).
  void AppendText(const Text& text) override;
  void AppendText(const QString& text);

  // Puts gathered text into the document now.
  void Flush();

 private:
  void ScheduleFlush();

  QString pending_;
  QElapsedTimer sinceFlush_;
  bool caretPending_ = false;
  QTimer flushTimer_;
};

}  // namespace board
