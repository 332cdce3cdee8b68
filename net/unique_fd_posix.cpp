#include <unistd.h>

#include "net/unique_fd.h"

namespace board {

void UniqueFd::Reset(int fd) {
  const int old = std::exchange(fd_, fd);
  // Linux releases the descriptor even when close reports EINTR, so a retry
  // could close a descriptor that another part of the program just opened.
  if (old >= 0) ::close(old);
}

}  // namespace board
