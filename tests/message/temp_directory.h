#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "text/text.h"

namespace board::testing {

// A fresh directory under /tmp, removed with everything in it at the end of
// the test.
class TempDirectory {
 public:
  TempDirectory() {
    std::string pattern = "/tmp/board-message-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
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
