#include "net/client_table.h"

#include <utility>

namespace board {

void ClientTable::Add(int socket, Text address) {
  // A socket number is unique among open descriptors; a stale entry under
  // the same number would be a leak, so it gives way.
  RemoveSocket(socket);
  bySocket_[socket] = Slot{entries_.size(), nextOrder_++};
  byAddress_.emplace(address, socket);
  entries_.push_back(ClientEntry{socket, std::move(address)});
}

bool ClientTable::RemoveSocket(int socket, Text* removedAddress) {
  const auto slot = bySocket_.find(socket);
  if (slot == bySocket_.end()) return false;
  const std::size_t position = slot->second.position;
  bySocket_.erase(slot);

  auto [first, last] = byAddress_.equal_range(entries_[position].address);
  for (auto it = first; it != last; ++it) {
    if (it->second == socket) {
      byAddress_.erase(it);
      break;
    }
  }
  if (removedAddress != nullptr) {
    *removedAddress = std::move(entries_[position].address);
  }
  // The last entry fills the gap, so removal moves one entry, not all after it.
  if (position + 1 != entries_.size()) {
    entries_[position] = std::move(entries_.back());
    bySocket_[entries_[position].socket].position = position;
  }
  entries_.pop_back();
  return true;
}

const ClientEntry* ClientTable::FindBySocket(int socket) const {
  const auto slot = bySocket_.find(socket);
  return slot == bySocket_.end() ? nullptr : &entries_[slot->second.position];
}

const ClientEntry* ClientTable::FindByAddress(const Text& address) const {
  auto [first, last] = byAddress_.equal_range(address);
  const Slot* earliest = nullptr;
  for (auto it = first; it != last; ++it) {
    const Slot& slot = bySocket_.at(it->second);
    if (earliest == nullptr || slot.order < earliest->order) earliest = &slot;
  }
  return earliest == nullptr ? nullptr : &entries_[earliest->position];
}

void ClientTable::Clear() {
  entries_.clear();
  bySocket_.clear();
  byAddress_.clear();
}

}  // namespace board
