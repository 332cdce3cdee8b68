#pragma once

// Internal to text/: ownership of one POSIX file descriptor.

#include <unistd.h>

#include <utility>

namespace board {

class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : fd_(fd) {}
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  // Closes now and tells whether the close succeeded.
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace board
