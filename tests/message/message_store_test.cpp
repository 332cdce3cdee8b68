#include "message/message_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "temp_directory.h"
#include "text/path_encoding.h"
#include "text/run_directory.h"

namespace board {
namespace {

using namespace std::string_literals;

constexpr char kFileName[] =
    "\xB4\xE6\xB4\xA2\xCE\xC4\xB1\xBE.txt";  // 存储文本.txt

class MessageStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path NativeStoreFile() const {
    return PathToNative(store_.StorePath());
  }
  std::uintmax_t StoreFileSize() const {
    return std::filesystem::file_size(NativeStoreFile());
  }

  testing::TempDirectory directory_;
  MessageStore store_{directory_.Inside()};
};

TEST_F(MessageStoreTest, PathJoinsTheFileNameWithoutSeparator) {
  EXPECT_EQ(MessageStore("/opt/board").StorePath().View(),
            "/opt/board"s + kFileName);
  EXPECT_EQ(MessageStore().StorePath().View(),
            std::string(RunDirectory().View()) + kFileName);
  EXPECT_EQ(store_.StorePath().View(), directory_.Path() + "/" + kFileName);
}

TEST_F(MessageStoreTest, NothingIsStoredBeforeTheFirstPublish) {
  EXPECT_TRUE(store_.ReadMessage().IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(NativeStoreFile()));
}

TEST_F(MessageStoreTest, PublishedBytesAreReadBackExactly) {
  ASSERT_TRUE(store_.PublishMessage(ByteSeq("\xC4\xE3\xBA\xC3"s)));
  EXPECT_EQ(store_.ReadMessage().View(), "\xC4\xE3\xBA\xC3"s);
  EXPECT_EQ(StoreFileSize(), 4u);

  // A shorter message replaces a longer one entirely.
  ASSERT_TRUE(store_.PublishMessage(ByteSeq("abc"s)));
  EXPECT_EQ(store_.ReadMessage().View(), "abc"s);
  EXPECT_EQ(StoreFileSize(), 3u);
}

TEST_F(MessageStoreTest, ClearAndEmptyPublishLeaveAnEmptyFile) {
  ASSERT_TRUE(store_.PublishMessage(ByteSeq("abc"s)));
  ASSERT_TRUE(store_.ClearMessage());
  EXPECT_TRUE(store_.ReadMessage().IsEmpty());
  EXPECT_EQ(StoreFileSize(), 0u);

  ASSERT_TRUE(store_.PublishMessage(ByteSeq("abc"s)));
  ASSERT_TRUE(store_.PublishMessage(ByteSeq()));
  EXPECT_TRUE(store_.ReadMessage().IsEmpty());
  EXPECT_EQ(StoreFileSize(), 0u);
}

TEST_F(MessageStoreTest, ReadsAFileWrittenByAnotherProgram) {
  const std::string bytes = "A\0B\xFF\x80\x81\r\n"s;
  {
    std::ofstream file(NativeStoreFile(), std::ios::binary);
    file << bytes;
  }
  EXPECT_EQ(store_.ReadMessage().View(), bytes);
}

TEST_F(MessageStoreTest, AWriteThatCannotBeMadeReportsFailure) {
  MessageStore missing(Text((directory_.Path() + "/no-such-dir/").c_str()));
  EXPECT_FALSE(missing.PublishMessage(ByteSeq("abc"s)));
  EXPECT_FALSE(missing.ClearMessage());
  EXPECT_TRUE(missing.ReadMessage().IsEmpty());
}

}  // namespace
}  // namespace board
