#pragma once

#include "message/request_server.h"
#include "net/message_server.h"

namespace board {

// Lets the request dispatcher answer through the window's MessageServer.
class ServerAdapter : public RequestServer {
 public:
  explicit ServerAdapter(MessageServer& server) : server_(server) {}

  Text GetClient() override { return server_.GetClient(); }
  ByteSeq GetData() override { return server_.GetData(); }
  bool SendData(const Text& client, const ByteSeq& data) override {
    return server_.SendData(client, data);
  }
  void CloseAfterSend(const Text& client) override {
    server_.CloseAfterSend(client);
  }

 private:
  MessageServer& server_;
};

}  // namespace board
