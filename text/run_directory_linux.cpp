#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "text/path_encoding.h"
#include "text/run_directory.h"

namespace board {
namespace {

Text FindRunDirectory() {
  std::error_code error;
  const std::filesystem::path executable =
      std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return Text();
  return DirectoryOf(PathFromNative(executable.native()));
}

}  // namespace

Text RunDirectory() {
  // Fixed on first use; start-up asks before anything else can change it.
  static const Text directory = FindRunDirectory();
  return directory;
}

bool EnterRunDirectory() {
  const Text directory = RunDirectory();
  if (directory.IsEmpty()) return false;
  return ::chdir(PathToNative(directory).c_str()) == 0;
}

}  // namespace board
