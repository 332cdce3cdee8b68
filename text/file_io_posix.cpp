#include "text/file_io_posix.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

namespace board {
namespace {

bool WriteAll(int fd, const ByteSeq& part) {
  std::size_t written = 0;
  while (written < part.Size()) {
    const ssize_t n = ::write(fd, part.Data() + written, part.Size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteAllParts(int fd, std::initializer_list<ByteSeq> parts) {
  for (const ByteSeq& part : parts) {
    if (!WriteAll(fd, part)) return false;
  }
  return true;
}

bool ReadAll(int fd, ByteSeq& into) {
  std::size_t got = 0;
  while (got < into.Size()) {
    const ssize_t n = ::read(fd, into.MutableData() + got, into.Size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the file shrank since its length was taken
    got += static_cast<std::size_t>(n);
  }
  into.Resize(got);
  return true;
}

bool IsSoleNameOf(int fd, const std::string& name) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::lstat(name.c_str(), &named) == 0 &&
         S_ISREG(open.st_mode) && open.st_nlink == 1 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::string DirectoryPrefix(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace board
