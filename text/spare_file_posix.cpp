#include "text/spare_file_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include "text/file_io_posix.h"

// Replacing a file by renaming a fresh one over it frees the old inode on
// every write, which on some file systems (ext4 with discard) costs
// milliseconds. Exchanging the names of the target and a spare file instead
// is just as atomic, and the two inodes take turns: a write costs tens of
// microseconds. The spare, ".<name>.spare" beside the target, is emptied after
// each swap so that no old message lingers in it.

namespace board {
namespace {

std::string SpareNameOf(const std::string& target) {
  const std::string directory = DirectoryPrefix(target);
  return directory + "." + target.substr(directory.size()) + ".spare";
}

// The spare, opened and locked exclusively, when it is ours alone: a regular
// file with no other name, not held by a reader or another writer.
FileHandle OpenSpare(const std::string& name) {
  FileHandle spare(::open(
      name.c_str(),
      O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
      0666));
  if (!spare.IsOpen()) return spare;
  if (::flock(spare.Get(), LOCK_EX | LOCK_NB) != 0 ||
      !IsSoleNameOf(spare.Get(), name)) {
    return FileHandle();
  }
  return spare;
}

bool FillFromStart(int fd, std::initializer_list<ByteSeq> parts) {
  if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAllParts(fd, parts)) return false;
  const off_t end = ::lseek(fd, 0, SEEK_CUR);
  return end >= 0 && ::ftruncate(fd, end) == 0;  // cut what a longer one left
}

bool SwapNames(const std::string& spare, const std::string& target) {
  if (::renameat2(AT_FDCWD, spare.c_str(), AT_FDCWD, target.c_str(),
                  RENAME_EXCHANGE) == 0) {
    return true;
  }
  // No target to swap with, or a file system that cannot swap: a plain rename
  // is as atomic, only slower, and leaves no spare behind.
  if (errno != ENOENT && errno != EINVAL && errno != ENOSYS) return false;
  return ::rename(spare.c_str(), target.c_str()) == 0;
}

}  // namespace

SpareOutcome ReplaceThroughSpare(const std::string& target,
                                 std::initializer_list<ByteSeq> parts,
                                 const FileHandle& old) {
  const std::string name = SpareNameOf(target);
  FileHandle spare = OpenSpare(name);
  if (!spare.IsOpen()) return SpareOutcome::kUnavailable;
  // Closed before the swap so that a failed close still changes nothing;
  // other writers keep off meanwhile, as they wait for the lock on old.
  if (!FillFromStart(spare.Get(), parts) || !spare.Close() ||
      !SwapNames(name, target)) {
    ::unlink(name.c_str());
    return SpareOutcome::kFailed;
  }
  if (old.IsOpen() && IsSoleNameOf(old.Get(), name)) {
    ::ftruncate(old.Get(), 0);  // best effort; the target is already right
  }
  return SpareOutcome::kReplaced;
}

}  // namespace board
