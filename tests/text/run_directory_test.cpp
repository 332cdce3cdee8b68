#include "text/run_directory.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace board {
namespace {

namespace fs = std::filesystem;

TEST(DirectoryOfTest, CutsAtTheLastSeparatorThatIsACharacter) {
  EXPECT_EQ(DirectoryOf("/opt/board/app"), Text("/opt/board"));
  EXPECT_EQ(DirectoryOf("/app"), Text());
  EXPECT_EQ(DirectoryOf("app"), Text());
  EXPECT_EQ(DirectoryOf(Text()), Text());
  EXPECT_EQ(DirectoryOf("a//b"), Text("a/"));
  // B0 2F is one character: its second byte is no separator.
  EXPECT_EQ(DirectoryOf("/x\xB0/app"), Text());
  EXPECT_EQ(DirectoryOf("/d/x\xB0/app"), Text("/d"));
  EXPECT_EQ(DirectoryOf("/d\xB0\xB1/app"), Text("/d\xB0\xB1"));
  EXPECT_EQ(DirectoryOf("/d/\xB0"), Text("/d"));  // a lead byte at the end
}

TEST(RunDirectoryTest, IsTheDirectoryOfThisExecutable) {
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(std::string(RunDirectory().View()), exe.parent_path().string());
  EXPECT_EQ(RunDirectory(), RunDirectory());
}

// Runs a copy of the probe from a directory with the given on-disk name.
class RunDirectoryProbeTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path() / "board-run-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  // The probe's output lines; exit status in status_.
  std::string RunProbeIn(const std::string& directoryName) {
    const fs::path dir = root_ / directoryName;
    fs::create_directory(dir);
    fs::copy_file(BOARD_RUN_DIRECTORY_PROBE, dir / "probe");
    fs::permissions(dir / "probe", fs::perms::owner_all);
    const std::string command = "'" + (dir / "probe").string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    std::string output;
    std::array<char, 256> chunk{};
    for (std::size_t n;
         (n = std::fread(chunk.data(), 1, chunk.size(), pipe));) {
      output.append(chunk.data(), n);
    }
    status_ = ::pclose(pipe);
    return output;
  }
  std::string Stored(const std::string& onDiskName) const {
    std::ifstream in(root_ / onDiskName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::string Hex(std::string_view bytes) {
    std::string hex;
    for (unsigned char byte : bytes) {
      constexpr std::string_view kDigits = "0123456789abcdef";
      hex += kDigits[byte >> 4];
      hex += kDigits[byte & 0xF];
    }
    return hex;
  }

  fs::path root_;
  int status_ = -1;
};

TEST_F(RunDirectoryProbeTest, NonAsciiDirectoryNamesTheStoreBesideIt) {
  // 运行目录, and the store 运行目录存储文本.txt beside it.
  const std::string output =
      RunProbeIn("\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95");
  const std::string expected =
      root_.string() + "/\xD4\xCB\xD0\xD0\xC4\xBF\xC2\xBC";
  EXPECT_EQ(output, Hex(expected) + "\n1\n" + root_.string() +
                        "/\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95\n");
  EXPECT_EQ(status_, 0);
  EXPECT_EQ(Stored("\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95"
                   "\xE5\xAD\x98\xE5\x82\xA8\xE6\x96\x87\xE6\x9C\xAC.txt"),
            "probe");
}

TEST_F(RunDirectoryProbeTest, DirectoryNameThatIsNotUtf8StillWorks) {
  const std::string output = RunProbeIn("bad\xFF\xC3");
  EXPECT_NE(output.find("\n1\n" + root_.string() + "/bad\xFF\xC3\n"),
            std::string::npos)
      << output;
  EXPECT_EQ(status_, 0);
  EXPECT_EQ(Stored("bad\xFF\xC3\xE5\xAD\x98\xE5\x82\xA8\xE6\x96\x87\xE6\x9C\xAC"
                   ".txt"),
            "probe");
}

}  // namespace
}  // namespace board
