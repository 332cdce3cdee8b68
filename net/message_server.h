#pragma once

#include <array>
#include <functional>
#include <memory>

#include "net/client_table.h"
#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// The TCP server: listens on one port on every local IPv4 address, accepts
// any number of clients and raises its events synchronously on the thread
// that calls HandleReadiness. It knows nothing of what the bytes mean.
class MessageServer {
 public:
  enum Event { DataArrival = 0, ClientEnter = 1, ClientLeave = 2 };
  static constexpr int kDefaultPort = 19730;

  // Starts listening on kDefaultPort; a port that cannot be used leaves the
  // server silently not listening.
  MessageServer();
  // Closes every client connection (raising no event), then the listener.
  ~MessageServer();
  MessageServer(const MessageServer&) = delete;
  MessageServer& operator=(const MessageServer&) = delete;

  void SetPort(int port);
  int GetPort() const;
  bool IsListening() const;

  // The bytes and client of the event in progress; empty outside one.
  ByteSeq GetData() const;
  Text GetClient() const;

  // Sends to the first client whose address equals client; a negative
  // waitSeconds means no wait. What the kernel does not take at once is kept
  // and sent when the socket becomes writable.
  bool SendData(const Text& client, const ByteSeq& data, int waitSeconds = -1);
  bool SendData(const Text& client, const Text& data, int waitSeconds = -1);
  // Once everything queued for client is sent, ends the connection.
  void CloseAfterSend(const Text& client);

  // Binds the handler of an event number; an empty function unbinds it.
  void Bind(int event, std::function<void()> handler);

  const ClientTable& Clients() const;

  // The one descriptor an event loop watches; when it is readable, call
  // HandleReadiness, which handles what is ready and never blocks.
  int ReadinessDescriptor() const;
  void HandleReadiness();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace board
