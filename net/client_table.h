#pragma once

#include <vector>

#include "text/text.h"

namespace board {

// One accepted connection: its socket and its address "a.b.c.d:port".
struct ClientEntry {
  int socket = -1;
  Text address;
};

// The accepted connections still registered, in order of acceptance. The
// same address may stand twice; lookups take the first.
class ClientTable {
 public:
  void Add(int socket, Text address);
  // Removes the first entry with this socket; returns false when none.
  bool RemoveSocket(int socket, Text* removedAddress = nullptr);
  const ClientEntry* FindBySocket(int socket) const;
  const ClientEntry* FindByAddress(const Text& address) const;
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::vector<ClientEntry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<ClientEntry> entries_;
};

}  // namespace board
