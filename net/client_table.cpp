#include "net/client_table.h"

#include <algorithm>

namespace board {

void ClientTable::Add(int socket, Text address) {
  entries_.push_back(ClientEntry{socket, std::move(address)});
}

bool ClientTable::RemoveSocket(int socket, Text* removedAddress) {
  const auto found = std::find_if(
      entries_.begin(), entries_.end(),
      [socket](const ClientEntry& entry) { return entry.socket == socket; });
  if (found == entries_.end()) return false;
  if (removedAddress != nullptr) *removedAddress = std::move(found->address);
  entries_.erase(found);
  return true;
}

const ClientEntry* ClientTable::FindBySocket(int socket) const {
  for (const ClientEntry& entry : entries_) {
    if (entry.socket == socket) return &entry;
  }
  return nullptr;
}

const ClientEntry* ClientTable::FindByAddress(const Text& address) const {
  for (const ClientEntry& entry : entries_) {
    if (entry.address == address) return &entry;
  }
  return nullptr;
}

}  // namespace board
