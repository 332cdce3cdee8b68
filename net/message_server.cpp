#include "net/message_server.h"

#include <utility>

#include "net/server_core.h"
#include "net/socket_posix.h"

namespace board {

// The component layer: the port property, the bound handlers and the event
// in progress, on top of the socket layer.
class MessageServer::Impl final : public ServerEvents {
 public:
  Impl() : core_(*this) {
    RaiseOpenFileLimit();
    core_.StartListening(static_cast<std::uint16_t>(port_));
  }
  ~Impl() { *alive_ = false; }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  void SetPort(int port) {
    if (port < 1) port = 1;
    if (port == port_) return;
    port_ = port;
    // Only the low 16 bits name a TCP port.
    core_.StartListening(static_cast<std::uint16_t>(port & 0xFFFF));
  }
  int GetPort() const { return port_; }

  ServerCore& Core() { return core_; }
  const ServerCore& Core() const { return core_; }
  const ByteSeq& CurrentData() const { return currentData_; }
  const Text& CurrentClient() const { return currentClient_; }

  void Bind(int event, std::function<void()> handler) {
    if (event < 0 || event >= kEventCount) return;
    handlers_[event] = std::move(handler);
  }

  bool DataArrived(ByteSeq data, const Text& client) override {
    return Raise(DataArrival, client, std::move(data));
  }
  bool ClientEntered(const Text& client) override {
    return Raise(ClientEnter, client, ByteSeq());
  }
  bool ClientLeft(const Text& client) override {
    return Raise(ClientLeave, client, ByteSeq());
  }

 private:
  static constexpr int kEventCount = 3;

  bool Raise(int event, const Text& client, ByteSeq data) {
    if (!handlers_[event]) return true;
    // The handler may destroy the server, itself included, so it runs from
    // a copy and the server is only touched again once it is known to live.
    const std::shared_ptr<bool> alive = alive_;
    const std::function<void()> handler = handlers_[event];
    currentClient_ = client;
    currentData_ = std::move(data);
    handler();
    if (!*alive) return false;
    currentData_ = ByteSeq();
    currentClient_ = Text();
    return true;
  }

  ServerCore core_;
  int port_ = kDefaultPort;
  std::array<std::function<void()>, kEventCount> handlers_;
  ByteSeq currentData_;
  Text currentClient_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

MessageServer::MessageServer() : impl_(std::make_unique<Impl>()) {}

MessageServer::~MessageServer() = default;

void MessageServer::SetPort(int port) { impl_->SetPort(port); }

int MessageServer::GetPort() const { return impl_->GetPort(); }

bool MessageServer::IsListening() const { return impl_->Core().IsListening(); }

ByteSeq MessageServer::GetData() const { return impl_->CurrentData(); }

Text MessageServer::GetClient() const { return impl_->CurrentClient(); }

bool MessageServer::SendData(const Text& client, const ByteSeq& data,
                             int waitSeconds) {
  return impl_->Core().Send(client, data.View(), waitSeconds);
}

bool MessageServer::SendData(const Text& client, const Text& data,
                             int waitSeconds) {
  return impl_->Core().Send(client, data.View(), waitSeconds);
}

void MessageServer::CloseAfterSend(const Text& client) {
  impl_->Core().CloseAfterSend(client);
}

void MessageServer::Bind(int event, std::function<void()> handler) {
  impl_->Bind(event, std::move(handler));
}

const ClientTable& MessageServer::Clients() const {
  return impl_->Core().Clients();
}

int MessageServer::ReadinessDescriptor() const {
  return impl_->Core().ReadinessDescriptor();
}

void MessageServer::HandleReadiness() {
  // Nothing may follow: a handler may have destroyed this server.
  impl_->Core().HandleReadiness();
}

}  // namespace board
