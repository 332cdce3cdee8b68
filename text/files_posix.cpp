#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <utility>

#include "text/file_handle_posix.h"
#include "text/files.h"
#include "text/path_encoding.h"
#include "text/temporary_file_posix.h"

// Share modes are approximated with advisory locks: a reader takes a shared
// lock and gives up when a writer holds the file; a writer takes an exclusive
// lock on the file it replaces and gives up when anyone else holds it.
//
// A write never truncates the file in place. The parts go to a fresh file in
// the same directory, which is renamed over the target only when everything
// was written and closed, so the target always holds either the old or the
// new content, whatever happens to the process in between. There is no
// fsync: the rename is atomic against a crash or kill of the process, which is
// what the store must survive, and a sync per publish would cost far more than
// the publish itself. After a power loss the file system decides.

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

// Holds the existing target exclusively for the time of the write. False when
// another opener holds it; a missing or unopenable target is no obstacle.
bool LockExistingTarget(const std::string& native, FileHandle& lock) {
  lock = FileHandle();
  FileHandle target(
      ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!target.IsOpen()) return true;
  if (::flock(target.Get(), LOCK_EX | LOCK_NB) != 0) return false;
  lock = std::move(target);
  return true;
}

bool WritePartsAndClose(FileHandle& file,
                        std::initializer_list<ByteSeq> parts) {
  for (const ByteSeq& part : parts) {
    if (!WriteAll(file.Get(), part)) return false;
  }
  return file.Close();
}

}  // namespace

ByteSeq ReadWholeFile(const Text& path) {
  if (path.IsEmpty()) return ByteSeq();
  const std::string native = PathToNative(path);
  FileHandle file(
      ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.IsOpen()) return ByteSeq();
  if (::flock(file.Get(), LOCK_SH | LOCK_NB) != 0) return ByteSeq();
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size <= 0 || info.st_size > INT_MAX) {
    return ByteSeq();
  }
  ByteSeq content;
  content.Resize(static_cast<std::size_t>(info.st_size));
  if (!ReadAll(file.Get(), content)) return ByteSeq();
  return content;
}

bool WriteWholeFile(const Text& path, std::initializer_list<ByteSeq> parts) {
  if (path.IsEmpty()) return false;
  const std::string native = PathToNative(path);
  FileHandle targetLock;
  if (!LockExistingTarget(native, targetLock)) return false;
  std::string temporary;
  FileHandle file = CreateTemporaryBeside(native, temporary);
  if (!file.IsOpen()) return false;
  if (!WritePartsAndClose(file, parts) ||
      ::rename(temporary.c_str(), native.c_str()) != 0) {
    file.Close();
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace board
