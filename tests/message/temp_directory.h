#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "text/text.h"

namespace board::testing {

// A fresh directory of its own in the temporary directory, removed with
// everything in it at the end of the test.
class TempDirectory {
 public:
  TempDirectory() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate =
          base / ("board-message-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate.string();
      }
    }
  }
  ~TempDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::string& Path() const { return path_; }
  // The directory with a trailing slash: the store joins its file name
  // without a separator, so this puts the store file inside the directory.
  Text Inside() const { return Text((path_ + "/").c_str()); }

 private:
  std::string path_;
};

}  // namespace board::testing
