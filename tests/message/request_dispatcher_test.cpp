#include "message/request_dispatcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "temp_directory.h"
#include "text/path_encoding.h"

namespace board {
namespace {

using namespace std::string_literals;

constexpr char kClient[] = "127.0.0.1:50123";
const std::string kPublished = "\xB7\xA2\xB2\xBC\xB3\xC9\xB9\xA6";  // 发布成功
const std::string kCleared = "\xC9\xBE\xB3\xFD\xB3\xC9\xB9\xA6";  // 删除成功
const std::string kPublishFailed =
    "\xB7\xA2\xB2\xBC\xCA\xA7\xB0\xDC";  // 发布失败
const std::string kClearFailed =
    "\xC9\xBE\xB3\xFD\xCA\xA7\xB0\xDC";   // 删除失败
const std::string kColon = " \xA3\xBA ";  // " ： "

// Records what the dispatcher does with the connection, in order.
class FakeServer : public RequestServer {
 public:
  std::string data;
  std::vector<std::string> events;

  Text GetClient() override { return kClient; }
  ByteSeq GetData() override { return ByteSeq(data); }
  bool SendData(const Text& client, const ByteSeq& response) override {
    events.push_back("send " + std::string(client.View()) + " " +
                     std::string(response.View()));
    return true;
  }
  void CloseAfterSend(const Text& client) override {
    events.push_back("close " + std::string(client.View()));
  }
};

class FakeLog : public RequestLog {
 public:
  std::vector<std::string> lines;
  void AppendText(const Text& text) override {
    lines.emplace_back(text.View());
  }
};

std::string Response(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nConnection: close\r\n"
         "Content-Type: text/plain; charset=GBK\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body + "\r\n";
}

class DispatcherTest : public ::testing::Test {
 protected:
  // Runs one arrival and gives the one response sent, after checking that it
  // was sent to the client and then the connection closed.
  std::string Arrive(const std::string& data) {
    server_.data = data;
    server_.events.clear();
    dispatcher_.OnServerDataArrival();
    EXPECT_EQ(server_.events.size(), 2u);
    if (server_.events.size() != 2) return {};
    EXPECT_EQ(server_.events[1], "close "s + kClient);
    const std::string sendPrefix = "send "s + kClient + " ";
    EXPECT_EQ(server_.events[0].substr(0, sendPrefix.size()), sendPrefix);
    return server_.events[0].substr(sendPrefix.size());
  }

  std::optional<std::string> Stored() const {
    if (!std::filesystem::exists(PathToNative(store_.StorePath()))) {
      return std::nullopt;
    }
    return std::string(store_.ReadMessage().View());
  }

  testing::TempDirectory directory_;
  MessageStore store_{directory_.Inside()};
  FakeServer server_;
  FakeLog log_;
  RequestDispatcher dispatcher_{server_, log_, store_};
};

TEST_F(DispatcherTest, WorkedExamplePublishesThenQueries) {
  const std::string published =
      Arrive("GET /fabu=%E4%BD%A0%E5%A5%BD HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(published,
            "HTTP/1.1 200 OK\r\nConnection: close\r\n"
            "Content-Type: text/plain; charset=GBK\r\nContent-Length: 8\r\n"
            "\r\n\xB7\xA2\xB2\xBC\xB3\xC9\xB9\xA6\r\n");
  EXPECT_EQ(Stored(), "\xC4\xE3\xBA\xC3");

  EXPECT_EQ(Arrive("GET /chaxun HTTP/1.1\r\n\r\n"),
            "HTTP/1.1 200 OK\r\nConnection: close\r\n"
            "Content-Type: text/plain; charset=GBK\r\nContent-Length: 4\r\n"
            "\r\n\xC4\xE3\xBA\xC3\r\n");
  EXPECT_EQ(log_.lines, (std::vector<std::string>{
                            kClient + kColon + kPublished + " \r\n",
                            kClient + kColon + "\xC4\xE3\xBA\xC3" + "\r\n"}));
}

struct RequestCase {
  const char* name;
  std::optional<std::string> storedBefore;  // no file when absent
  std::string request;
  std::string body;
  std::optional<std::string> logLine;  // after the client's address
  std::optional<std::string> storedAfter;
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class DispatcherTableTest : public DispatcherTest,
                            public ::testing::WithParamInterface<RequestCase> {
};

TEST_P(DispatcherTableTest, AnswersLogsAndStores) {
  const RequestCase& c = GetParam();
  if (c.storedBefore) {
    ASSERT_TRUE(store_.PublishMessage(ByteSeq(*c.storedBefore)));
  }
  EXPECT_EQ(Arrive(c.request), Response(c.body));
  if (c.logLine) {
    EXPECT_EQ(log_.lines, std::vector<std::string>{kClient + *c.logLine});
  } else {
    EXPECT_TRUE(log_.lines.empty());
  }
  EXPECT_EQ(Stored(), c.storedAfter);
}

const std::string kOld = "old";
const std::string kPublishLog = kColon + kPublished + " \r\n";
const std::string kClearLog = kColon + kCleared + " \r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, DispatcherTableTest,
    ::testing::Values(
        // Rejections: nothing stored, nothing logged.
        RequestCase{"Empty", kOld, "", "error 404", {}, kOld},
        RequestCase{"ZeroFirst",
                    kOld,
                    "\0GET /shanchu HTTP/1.1"s,
                    "error 404",
                    {},
                    kOld},
        RequestCase{"EmptyHead",
                    kOld,
                    "\r\n\r\nGET /shanchu HTTP/1.1",
                    "error 404",
                    {},
                    kOld},
        RequestCase{"Post",
                    kOld,
                    "POST /fabu=x HTTP/1.1\r\n\r\n",
                    "error 404",
                    {},
                    kOld},
        RequestCase{"TwoBytes", kOld, "GE", "error 404", {}, kOld},
        RequestCase{"SecondPartOfARequest",
                    kOld,
                    "Host: x\r\n\r\n",
                    "error 404",
                    {},
                    kOld},
        // The method in any letter case; only its first three bytes count.
        RequestCase{"LowerCaseGet", kOld, "get /shanchu HTTP/1.1\r\n\r\n",
                    kCleared, kClearLog, ""},
        RequestCase{"Getx", kOld, "GETX /chaxun HTTP/1.1\r\n\r\n", kOld,
                    kColon + kOld + "\r\n", kOld},
        // Keywords are case-sensitive; none found means an empty answer.
        RequestCase{
            "UpperKeyword", kOld, "GET /FABU=x HTTP/1.1\r\n\r\n", "", {}, kOld},
        RequestCase{"NoKeyword", kOld, "GET / HTTP/1.1\r\n\r\n", "", {}, kOld},
        // Keyword order: fabu, then shanchu, then chaxun.
        RequestCase{"ClearBeforeQuery", kOld,
                    "GET /chaxun/shanchu HTTP/1.1\r\n\r\n", kCleared, kClearLog,
                    ""},
        RequestCase{"PublishBeforeOthers", kOld,
                    "GET /shanchu?chaxun&fabu=hi HTTP/1.1\r\n\r\n", kPublished,
                    kPublishLog, "hi"},
        // Only the request line is searched: a browser's favicon request
        // after a publish carries the publish address as its Referer.
        RequestCase{"FaviconWithPublishReferer",
                    kOld,
                    "GET /favicon.ico HTTP/1.1\r\nHost: 127.0.0.1:9988\r\n"
                    "Referer: http://127.0.0.1:9988/fabu=%E4%BD%A0%E5%A5%BD\r\n"
                    "\r\n",
                    "",
                    {},
                    kOld},
        RequestCase{"PublishKeywordInHeader", kOld,
                    "GET /chaxun HTTP/1.1\r\nX-Note: fabu=x \r\n\r\n", kOld,
                    kColon + kOld + "\r\n", kOld},
        RequestCase{"KeywordAfterBlankLine",
                    kOld,
                    "GET / HTTP/1.1\r\n\r\nGET /shanchu",
                    "",
                    {},
                    kOld},
        RequestCase{"KeywordAfterZeroByte", kOld,
                    "GET /chaxun HTTP/1.1\0/fabu=x "s, kOld,
                    kColon + kOld + "\r\n", kOld},
        // The value: up to the next space, and empty without one.
        RequestCase{"ValueWithAmpersand", kOld,
                    "GET /?fabu=abc&x=1 HTTP/1.1\r\n\r\n", kPublished,
                    kPublishLog, "abc&x=1"},
        RequestCase{"EmptyValue", kOld, "GET /fabu= HTTP/1.1\r\n\r\n",
                    kPublished, kPublishLog, ""},
        RequestCase{"UnendedValue", kOld, "GET /fabu=abc", kPublished,
                    kPublishLog, ""},
        RequestCase{"InvalidUtf8Value", kOld, "GET /fabu=%FFa%00b HTTP/1.1",
                    kPublished, kPublishLog, "?ab"},
        RequestCase{"NoLineEndAtAll", kOld, "GET /chaxun HTTP/1.1", kOld,
                    kColon + kOld + "\r\n", kOld},
        // The stored bytes go out whole; the log shows them up to a zero.
        RequestCase{"StoredZeroAndPlaceholders", "a\0b[data][len]"s,
                    "GET /chaxun HTTP/1.1\r\n\r\n", "a\0b[data][len]"s,
                    kColon + "a\r\n", "a\0b[data][len]"s},
        RequestCase{"PublishedPlaceholders", kOld,
                    "GET /fabu=[data]%5Blen%5D HTTP/1.1\r\n\r\n", kPublished,
                    kPublishLog, "[data][len]"},
        RequestCase{"QueryWithoutStoreFile", std::nullopt,
                    "GET /chaxun HTTP/1.1\r\n\r\n", "", kColon + "\r\n",
                    std::nullopt}),
    [](const ::testing::TestParamInfo<RequestCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(DispatcherTest, QueryOfStoredPlaceholdersIsSentVerbatim) {
  Arrive("GET /fabu=%5Bdata%5D[len] HTTP/1.1\r\n\r\n");
  EXPECT_EQ(Arrive("GET /chaxun HTTP/1.1\r\n\r\n"), Response("[data][len]"));
}

// A store that cannot be written is not reported as a success; the status
// line stays 200 and only the body tells.
TEST(DispatcherStoreFailureTest, FailedWritesAreAnsweredAsFailures) {
  testing::TempDirectory directory;
  MessageStore store(Text((directory.Path() + "/no-such-dir/").c_str()));
  FakeServer server;
  FakeLog log;
  RequestDispatcher dispatcher(server, log, store);

  server.data = "GET /fabu=x HTTP/1.1\r\n\r\n";
  dispatcher.OnServerDataArrival();
  server.data = "GET /shanchu HTTP/1.1\r\n\r\n";
  dispatcher.OnServerDataArrival();
  server.data = "GET /chaxun HTTP/1.1\r\n\r\n";
  dispatcher.OnServerDataArrival();

  const std::string to = "send "s + kClient + " ";
  const std::string close = "close "s + kClient;
  EXPECT_EQ(server.events,
            (std::vector<std::string>{to + Response(kPublishFailed), close,
                                      to + Response(kClearFailed), close,
                                      to + Response(""), close}));
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           kClient + kColon + kPublishFailed + " \r\n",
                           kClient + kColon + kClearFailed + " \r\n",
                           kClient + kColon + "\r\n"}));
}

}  // namespace
}  // namespace board
