#pragma once

#include <cstddef>
#include <string_view>

#include "text/allocation.h"

namespace board {

// A counted sequence of bytes that may hold zero bytes anywhere. A
// default-constructed (null) ByteSeq is the empty one.
class ByteSeq {
 public:
  ByteSeq() = default;
  explicit ByteSeq(std::string_view bytes) : bytes_(bytes.data(), bytes.size()) {}
  ByteSeq(const void* data, std::size_t size)
      : bytes_(static_cast<const char*>(data), size) {}

  int Length() const { return static_cast<int>(bytes_.size()); }
  std::size_t Size() const { return bytes_.size(); }
  bool IsEmpty() const { return bytes_.empty(); }
  std::string_view View() const { return {bytes_.data(), bytes_.size()}; }
  const unsigned char* Data() const {
    return reinterpret_cast<const unsigned char*>(bytes_.data());
  }
  unsigned char* MutableData() {
    return reinterpret_cast<unsigned char*>(bytes_.data());
  }

  void Append(std::string_view bytes) { bytes_.append(bytes.data(), bytes.size()); }
  void Append(const ByteSeq& other) { bytes_.append(other.bytes_); }
  void Resize(std::size_t size) { bytes_.resize(size); }
  void Reserve(std::size_t size) { bytes_.reserve(size); }
  void Clear() { bytes_.clear(); }

  friend bool operator==(const ByteSeq& a, const ByteSeq& b) {
    return a.bytes_ == b.bytes_;
  }

 private:
  ByteString bytes_;
};

}  // namespace board
