#include "text/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/text_operations.h"

namespace board {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

ByteSeq Bytes(std::string_view bytes) { return ByteSeq(bytes); }

// A fresh directory per test; paths handed to the operations are Texts made
// from its (ASCII) name.
class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "board-files-XXXXXX");
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  Text PathOf(const char* name) const {
    return ConcatTexts({Text(dir_.c_str()), "/", name});
  }
  std::string OnDisk(const fs::path& file) const {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Plant(const fs::path& file, std::string_view content) const {
    std::ofstream(file, std::ios::binary) << content;
  }
  // Every name in the directory, sorted: a write leaves nothing of its own
  // behind but the empty spare it swaps with the target.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(FilesTest, ReadGivesEmptyForMissingEmptyOrNoPath) {
  EXPECT_TRUE(ReadWholeFile(PathOf("missing")).IsEmpty());
  EXPECT_TRUE(ReadWholeFile(Text()).IsEmpty());
  Plant(dir_ / "empty", "");
  EXPECT_TRUE(ReadWholeFile(PathOf("empty")).IsEmpty());
  EXPECT_TRUE(ReadWholeFile(Text(dir_.c_str())).IsEmpty());  // a directory
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(FilesTest, ReadKeepsZeroBytes) {
  Plant(dir_ / "zeros", "A\0B"sv);
  EXPECT_EQ(ReadWholeFile(PathOf("zeros")), Bytes("A\0B"sv));
}

TEST_F(FilesTest, WriteReplacesTheWholeFile) {
  Plant(dir_ / "store", "0123456789");
  EXPECT_TRUE(WriteWholeFile(PathOf("store"), {Bytes("abc")}));
  EXPECT_EQ(OnDisk(dir_ / "store"), "abc");

  EXPECT_TRUE(
      WriteWholeFile(PathOf("store"), {Bytes("x"), ByteSeq(), Bytes("\0y"sv)}));
  EXPECT_EQ(OnDisk(dir_ / "store"), "x\0y"sv);
  EXPECT_EQ(ReadWholeFile(PathOf("store")), Bytes("x\0y"sv));

  EXPECT_TRUE(WriteWholeFile(PathOf("store"), {ByteSeq()}));
  EXPECT_EQ(fs::file_size(dir_ / "store"), 0u);
  EXPECT_EQ(Names(), (std::vector<std::string>{".store.spare", "store"}));
  EXPECT_EQ(fs::file_size(dir_ / ".store.spare"), 0u);  // no old message
}

TEST_F(FilesTest, SpareThatIsNotOursAloneIsNotWrittenThrough) {
  Plant(dir_ / "other", "other file");
  fs::create_hard_link(dir_ / "other", dir_ / ".linked.spare");
  fs::create_symlink(dir_ / "other", dir_ / ".symlinked.spare");
  EXPECT_TRUE(WriteWholeFile(PathOf("linked"), {Bytes("one")}));
  EXPECT_TRUE(WriteWholeFile(PathOf("symlinked"), {Bytes("two")}));
  EXPECT_EQ(OnDisk(dir_ / "linked"), "one");
  EXPECT_EQ(OnDisk(dir_ / "symlinked"), "two");
  EXPECT_EQ(OnDisk(dir_ / "other"), "other file");
}

TEST_F(FilesTest, WriteCreatesWithNormalPermissions) {
  const mode_t mask = ::umask(022);
  EXPECT_TRUE(WriteWholeFile(PathOf("new"), {Bytes("n")}));
  ::umask(mask);
  EXPECT_EQ(fs::status(dir_ / "new").permissions(),
            fs::perms::owner_read | fs::perms::owner_write |
                fs::perms::group_read | fs::perms::others_read);
}

TEST_F(FilesTest, WriteWithoutPathOrDirectoryFailsAndTouchesNothing) {
  EXPECT_FALSE(WriteWholeFile(Text(), {Bytes("a")}));
  EXPECT_FALSE(WriteWholeFile(PathOf("no/such/dir/file"), {Bytes("a")}));
  EXPECT_TRUE(Names().empty());
}

TEST_F(FilesTest, FailedRenameKeepsTheTargetAndLeavesNoTemporary) {
  fs::create_directory(dir_ / "taken");
  Plant(dir_ / "taken" / "inside", "kept");
  EXPECT_FALSE(WriteWholeFile(PathOf("taken"), {Bytes("a")}));
  EXPECT_EQ(OnDisk(dir_ / "taken" / "inside"), "kept");
  EXPECT_EQ(Names(), std::vector<std::string>{"taken"});
}

// A write that runs out of room halfway (a file size limit in a child
// process, so the test process keeps its own limits) leaves the old file.
TEST_F(FilesTest, FailedWriteKeepsTheOldContent) {
  Plant(dir_ / "store", "old message");
  const Text path = PathOf("store");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4, 4};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = WriteWholeFile(path, {Bytes("new "), Bytes("text")});
    ::_exit(written ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut write was reported as done";
  EXPECT_EQ(OnDisk(dir_ / "store"), "old message");
  EXPECT_EQ(Names(), std::vector<std::string>{"store"});
}

TEST_F(FilesTest, LocksStandInForShareModes) {
  Plant(dir_ / "store", "held");
  const int other = ::open((dir_ / "store").c_str(), O_RDONLY);
  ASSERT_GE(other, 0);

  ASSERT_EQ(::flock(other, LOCK_SH), 0);  // another reader
  EXPECT_EQ(ReadWholeFile(PathOf("store")), Bytes("held"));
  EXPECT_FALSE(WriteWholeFile(PathOf("store"), {Bytes("new")}));
  EXPECT_EQ(OnDisk(dir_ / "store"), "held");

  ASSERT_EQ(::flock(other, LOCK_EX), 0);  // another writer
  EXPECT_TRUE(ReadWholeFile(PathOf("store")).IsEmpty());

  ::close(other);
  EXPECT_TRUE(WriteWholeFile(PathOf("store"), {Bytes("new")}));
  EXPECT_EQ(ReadWholeFile(PathOf("store")), Bytes("new"));
}

// A writer killed at any moment leaves the old or the new message, never a
// part of one.
TEST_F(FilesTest, KilledWriterLeavesAWholeMessage) {
  const std::string first(1 << 16, 'a');
  const std::string second(1 << 16, 'b');
  const Text path = PathOf("store");
  ASSERT_TRUE(WriteWholeFile(path, {Bytes(first)}));
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) {
        WriteWholeFile(path, {Bytes(i % 2 ? first : second)});
      }
    }
    ::usleep(static_cast<useconds_t>(1000 + 700 * round));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string stored = OnDisk(dir_ / "store");
    ASSERT_TRUE(stored == first || stored == second) << "round " << round;
  }
}

TEST_F(FilesTest, LeftoversOfGoneWritersAreSweptOnce) {
  const pid_t gone = ::fork();
  ASSERT_GE(gone, 0);
  if (gone == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  const std::string leftover = ".board-" + std::to_string(gone) + "-7.tmp";
  Plant(dir_ / leftover, "half");
  Plant(dir_ / ".board-1-0.tmp", "init is alive");  // pid 1 never goes
  Plant(dir_ / ".board-x.tmp", "not ours");
  EXPECT_TRUE(WriteWholeFile(PathOf("store"), {Bytes("s")}));
  EXPECT_FALSE(fs::exists(dir_ / leftover));
  EXPECT_TRUE(fs::exists(dir_ / ".board-1-0.tmp"));
  EXPECT_TRUE(fs::exists(dir_ / ".board-x.tmp"));
}

TEST_F(FilesTest, NonAsciiNamesAreUtf8OnDiskAndRoundTrip) {
  // 运行目录 as a directory, then 存储文本.txt joined to it without a
  // separator, the way the store path is built.
  fs::create_directory(dir_ /
                       "\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95");
  const Text path = PathOf(
      "\xD4\xCB\xD0\xD0\xC4\xBF\xC2\xBC/\xD4\xCB\xD0\xD0\xC4\xBF\xC2\xBC"
      "\xB4\xE6\xB4\xA2\xCE\xC4\xB1\xBE.txt");
  const ByteSeq message = Bytes("\xB7\xA2\xB2\xBC");  // 发布
  ASSERT_TRUE(WriteWholeFile(path, {message}));
  EXPECT_EQ(OnDisk(dir_ / "\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95" /
                   "\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95"
                   "\xE5\xAD\x98\xE5\x82\xA8\xE6\x96\x87\xE6\x9C\xAC.txt"),
            "\xB7\xA2\xB2\xBC");
  EXPECT_EQ(ReadWholeFile(path), message);
}

}  // namespace
}  // namespace board
