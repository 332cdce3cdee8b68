#include "text/temporary_file_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#include "text/file_io_posix.h"

// Temporary files are named .board-<pid>-<n>.tmp. O_EXCL keeps two writers
// from sharing one; the pid lets a later process tell the leftovers of a
// writer that was killed between creating and renaming, and remove them.

namespace board {
namespace {

constexpr std::string_view kPrefix = ".board-";
constexpr std::string_view kSuffix = ".tmp";

// The pid in a temporary file's name, or 0 when the name is not one of ours.
pid_t WriterOf(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return 0;
  name.remove_prefix(kPrefix.size());
  pid_t pid = 0;
  const auto [end, error] =
      std::from_chars(name.data(), name.data() + name.size(), pid);
  return error == std::errc() && end != name.data() && *end == '-' ? pid : 0;
}

bool IsGone(pid_t pid) {
  return pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveLeftovers(const std::string& directory) {
  std::error_code error;
  const std::filesystem::path where = directory.empty() ? "." : directory;
  for (std::filesystem::directory_iterator it(where, error), end;
       !error && it != end; it.increment(error)) {
    if (IsGone(WriterOf(it->path().filename().native()))) {
      ::unlink(it->path().c_str());
    }
  }
}

}  // namespace

// Once per directory, on its first write, so the cost stays off every later
// write.
void RemoveLeftoverTemporariesOnce(const std::string& target) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  const std::string directory = DirectoryPrefix(target);
  const std::lock_guard<std::mutex> lock(mutex);
  if (swept.insert(directory).second) RemoveLeftovers(directory);
}

FileHandle CreateTemporaryBeside(const std::string& target, std::string& name) {
  static std::atomic<unsigned> counter{0};
  const std::string directory = DirectoryPrefix(target);
  const std::string stem =
      directory + std::string(kPrefix) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = stem + std::to_string(counter++) + std::string(kSuffix);
    FileHandle file(
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.IsOpen()) {
      if (::flock(file.Get(), LOCK_EX | LOCK_NB) == 0) return file;
      file.Close();
      ::unlink(name.c_str());
      return FileHandle();
    }
    if (errno != EEXIST) break;
  }
  return FileHandle();
}

}  // namespace board
