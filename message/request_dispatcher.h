#pragma once

#include "message/message_store.h"
#include "message/request_server.h"
#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// Turns one arrival of request bytes into one action on the stored message,
// at most one log line and exactly one response.
class RequestDispatcher {
 public:
  RequestDispatcher(RequestServer& server, RequestLog& log,
                    MessageStore& store);

  void OnServerDataArrival();

 private:
  ByteSeq Answer(const Text& client, const Text& request);
  ByteSeq Publish(const Text& client, const Text& line);
  ByteSeq Clear(const Text& client);
  ByteSeq Query(const Text& client);
  void Respond(const Text& client, const ByteSeq& body);

  RequestServer& server_;
  RequestLog& log_;
  MessageStore& store_;
};

}  // namespace board
