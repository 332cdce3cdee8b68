#pragma once

#include "message/message_store.h"
#include "message/request_server.h"

namespace board {

// Turns one arrival of request bytes into one action on the stored message,
// at most one log line and exactly one response.
class RequestDispatcher {
 public:
  RequestDispatcher(RequestServer& server, RequestLog& log,
                    MessageStore& store);

  void OnServerDataArrival();

 private:
  RequestServer& server_;
  RequestLog& log_;
  MessageStore& store_;
};

}  // namespace board
