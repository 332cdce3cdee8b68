// Arbitrary bytes as one arrival of request data: whatever arrives, the
// dispatcher sends exactly one well-formed response and then closes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "message/request_dispatcher.h"

namespace board {
namespace {

constexpr std::string_view kStatusLine = "HTTP/1.1 200 OK\r\n";
constexpr std::string_view kLengthHeader = "Content-Length: ";
constexpr std::string_view kHeadEnd = "\r\n\r\n";

// The response must say as many body bytes as follow its head, less the
// final CR LF that the length does not count.
void CheckResponse(std::string_view response) {
  FUZZ_CHECK(response.substr(0, kStatusLine.size()) == kStatusLine);
  const std::size_t length = response.find(kLengthHeader);
  FUZZ_CHECK(length != std::string_view::npos);
  const std::size_t headEnd = response.find(kHeadEnd, length);
  FUZZ_CHECK(headEnd != std::string_view::npos);
  const std::string digits(response.substr(
      length + kLengthHeader.size(), headEnd - length - kLengthHeader.size()));
  const std::size_t declared = std::stoul(digits);
  FUZZ_CHECK(response.size() == headEnd + kHeadEnd.size() + declared + 2);
  FUZZ_CHECK(response.substr(response.size() - 2) == "\r\n");
}

class Server : public RequestServer {
 public:
  ByteSeq data;
  int sends = 0;
  int closes = 0;

  Text GetClient() override { return "127.0.0.1:40000"; }
  ByteSeq GetData() override { return data; }
  bool SendData(const Text& client, const ByteSeq& response) override {
    FUZZ_CHECK(client.View() == "127.0.0.1:40000");
    FUZZ_CHECK(closes == 0);
    CheckResponse(response.View());
    ++sends;
    return true;
  }
  void CloseAfterSend(const Text& /*client*/) override { ++closes; }
};

class Log : public RequestLog {
 public:
  void AppendText(const Text& text) override {
    FUZZ_CHECK(text.View().substr(0, 15) == "127.0.0.1:40000");
    FUZZ_CHECK(text.View().substr(text.View().size() - 2) == "\r\n");
  }
};

std::string MakeStoreDirectory() {
  std::random_device random;
  for (;;) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() /
        ("board-fuzz-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) return candidate.string();
  }
}

// Made once for the whole run; the store file lives in a directory of its
// own that goes when the run ends.
struct Setting {
  std::string directory = MakeStoreDirectory();
  MessageStore store{Text((directory + "/").c_str())};
  Server server;
  Log log;
  RequestDispatcher dispatcher{server, log, store};

  ~Setting() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
};

Setting& TheSetting() {
  static Setting setting;
  return setting;
}

}  // namespace
}  // namespace board

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  board::Setting& setting = board::TheSetting();
  setting.server.data = board::ByteSeq(data, size);
  setting.server.sends = 0;
  setting.server.closes = 0;
  setting.dispatcher.OnServerDataArrival();
  FUZZ_CHECK(setting.server.sends == 1);
  FUZZ_CHECK(setting.server.closes == 1);
  return 0;
}
