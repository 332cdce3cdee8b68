#pragma once

#include <string_view>

#include "text/allocation.h"

namespace board {

// Bytes in code page 936 that never hold a zero byte: the text ends where a
// zero byte would be. A default-constructed (null) Text is the empty Text.
class Text {
 public:
  Text() = default;
  // From a zero-terminated literal or buffer; a null pointer gives the empty
  // Text. Implicit so that literals can be passed wherever a Text is taken.
  Text(const char* zeroTerminated);  // NOLINT(google-explicit-constructor)
  // The bytes before the first zero byte of bytes (all of them if none).
  explicit Text(std::string_view bytes);

  int Length() const { return static_cast<int>(bytes_.size()); }
  bool IsEmpty() const { return bytes_.empty(); }
  std::string_view View() const { return {bytes_.data(), bytes_.size()}; }
  // Always zero-terminated.
  const char* CStr() const { return bytes_.c_str(); }

  // The byte at 0-based offset as an unsigned value; the terminating zero
  // (0) at offset Length() and beyond.
  unsigned char ByteAt(int offset) const {
    return offset >= 0 && offset < Length()
               ? static_cast<unsigned char>(bytes_[offset])
               : 0;
  }

  // Appends the bytes before the first zero byte of bytes.
  void Append(std::string_view bytes);
  void Append(const Text& other) { bytes_.append(other.bytes_); }
  void Reserve(int bytes);

  friend bool operator==(const Text& a, const Text& b) {
    return a.bytes_ == b.bytes_;
  }

 private:
  ByteString bytes_;
};

}  // namespace board
