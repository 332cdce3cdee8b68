#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <utility>

#include "text/file_handle_posix.h"
#include "text/file_io_posix.h"
#include "text/files.h"
#include "text/path_encoding.h"
#include "text/spare_file_posix.h"
#include "text/temporary_file_posix.h"

// Share modes are approximated with advisory locks: a reader takes a shared
// lock and gives up when a writer holds the file; a writer takes an exclusive
// lock on the file it replaces and gives up when anyone else holds it. Only a
// regular file, or no file, is replaced.
//
// A write never truncates the file in place. The parts go to another file in
// the same directory, which takes the target's name only when everything was
// written and closed: a spare whose name is swapped with the target's, or else
// a fresh file renamed over it. Either step is atomic, so the target always
// holds the old or the new content, whatever happens to the process. There is
// no fsync: the swap or rename is atomic against a crash or kill of the
// process, which is what the store must survive, and a sync per publish would
// cost far more than the publish itself. After a power loss the file system
// decides.

namespace board {
namespace {

// Holds the existing target exclusively for the time of the write. False when
// another opener holds it; a missing or unopenable target is no obstacle. Open
// for writing where allowed, so that it can be emptied once it is replaced.
bool LockExistingTarget(const std::string& native, FileHandle& lock) {
  lock = FileHandle();
  struct stat named {};
  if (::lstat(native.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
    return false;  // a directory, link or device is not replaced
  }
  constexpr int kFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  FileHandle target(::open(native.c_str(), O_WRONLY | kFlags));
  if (!target.IsOpen()) {
    target = FileHandle(::open(native.c_str(), O_RDONLY | kFlags));
  }
  if (!target.IsOpen()) return true;
  if (::flock(target.Get(), LOCK_EX | LOCK_NB) != 0) return false;
  lock = std::move(target);
  return true;
}

// The slower way, for when no spare can be had: a fresh file renamed over
// the target.
bool ReplaceThroughFreshFile(const std::string& native,
                             std::initializer_list<ByteSeq> parts) {
  std::string temporary;
  FileHandle file = CreateTemporaryBeside(native, temporary);
  if (!file.IsOpen()) return false;
  if (!WriteAllParts(file.Get(), parts) || !file.Close() ||
      ::rename(temporary.c_str(), native.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
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
  FileHandle old;
  if (!LockExistingTarget(native, old)) return false;
  RemoveLeftoverTemporariesOnce(native);
  switch (ReplaceThroughSpare(native, parts, old)) {
    case SpareOutcome::kReplaced:
      return true;
    case SpareOutcome::kFailed:
      return false;
    case SpareOutcome::kUnavailable:
      break;
  }
  return ReplaceThroughFreshFile(native, parts);
}

}  // namespace board
