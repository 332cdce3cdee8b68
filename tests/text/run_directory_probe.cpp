// Started by the run directory tests from a copy placed in a directory of
// their choosing. Prints the run directory's bytes in hex, whether entering it
// worked, the current directory then, and stores "probe" beside the run
// directory the way the message store names its file.

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "text/byte_operations.h"
#include "text/files.h"
#include "text/run_directory.h"
#include "text/text_operations.h"

int main() {
  using namespace board;
  const Text directory = RunDirectory();
  for (int i = 0; i < directory.Length(); ++i) {
    std::printf("%02x", directory.ByteAt(i));
  }
  std::printf("\n%d\n", EnterRunDirectory() ? 1 : 0);
  std::error_code error;
  std::printf("%s\n", std::filesystem::current_path(error).c_str());
  // 存储文本.txt
  const Text store =
      ConcatTexts({directory, "\xB4\xE6\xB4\xA2\xCE\xC4\xB1\xBE.txt"});
  return WriteWholeFile(store, {TextToBytes("probe")}) ? 0 : 1;
}
