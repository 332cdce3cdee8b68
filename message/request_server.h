#pragma once

#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// What the dispatcher asks of the server whose data arrival it handles.
class RequestServer {
 public:
  virtual ~RequestServer() = default;
  // The client and the bytes of the arrival in progress.
  virtual Text GetClient() = 0;
  virtual ByteSeq GetData() = 0;
  virtual bool SendData(const Text& client, const ByteSeq& data) = 0;
  // Ends the connection once everything sent to it has gone out.
  virtual void CloseAfterSend(const Text& client) = 0;
};

// Where the dispatcher writes its log lines; each text carries its own line
// end.
class RequestLog {
 public:
  virtual ~RequestLog() = default;
  virtual void AppendText(const Text& text) = 0;
};

}  // namespace board
