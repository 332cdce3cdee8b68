#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/text.h"

namespace board {

// One accepted connection: its socket and its address "a.b.c.d:port".
struct ClientEntry {
  int socket = -1;
  Text address;
};

// The accepted connections still registered. The same address may stand
// twice; lookups take the one accepted first. Every operation takes constant
// time, so thousands of idle connections cost nothing per request; the price
// is that Entries() is in no particular order.
class ClientTable {
 public:
  void Add(int socket, Text address);
  // Removes the entry with this socket; returns false when none.
  bool RemoveSocket(int socket, Text* removedAddress = nullptr);
  const ClientEntry* FindBySocket(int socket) const;
  const ClientEntry* FindByAddress(const Text& address) const;
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::vector<ClientEntry>& Entries() const { return entries_; }
  void Clear();

 private:
  struct TextHash {
    std::size_t operator()(const Text& text) const {
      return std::hash<std::string_view>{}(text.View());
    }
  };
  struct Slot {
    std::size_t position = 0;  // in entries_
    std::uint64_t order = 0;   // of acceptance
  };

  std::vector<ClientEntry> entries_;
  std::unordered_map<int, Slot> bySocket_;
  std::unordered_multimap<Text, int, TextHash> byAddress_;
  std::uint64_t nextOrder_ = 0;
};

}  // namespace board
