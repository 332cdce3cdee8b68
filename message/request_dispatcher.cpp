#include "message/request_dispatcher.h"

#include "message/byte_substitution.h"
#include "message/literals.h"
#include "message/query_value.h"
#include "text/byte_operations.h"
#include "text/text_list.h"
#include "text/text_operations.h"

namespace board {
namespace {

// Built once: every response is made from them.
const Text& ResponseTemplate() {
  static const Text response(literals::kResponseTemplate);
  return response;
}

const ByteSeq& BodyPlaceholder() {
  static const ByteSeq placeholder = TextToBytes(literals::kBodyPlaceholder);
  return placeholder;
}

bool Contains(const Text& line, const char* keyword) {
  return FindText(line, keyword, std::nullopt, false) != -1;
}

ByteSeq Rejected() { return TextToBytes(literals::kRejectedBody); }

// The first line of the request's head, or nothing when the request is empty
// or its head is. Only that line is ever looked at, so each split stops at its
// first delimiter: the first piece is the same as with no limit.
std::optional<Text> RequestLine(const Text& request) {
  const TextList pieces = SplitText(request, Text(literals::kHeadEnd), 1);
  if (ListCount(pieces) == 0) return std::nullopt;
  const TextList lines = SplitText(pieces[1], Text(literals::kLineEnd), 1);
  if (ListCount(lines) == 0) return std::nullopt;
  return lines[1];
}

// Only the first three bytes count, in any letter case: GETX passes, GE does
// not.
bool IsGet(const Text& requestLine) {
  return CompareText(ToLowerAscii(TextLeft(requestLine, 3)),
                     literals::kGetMethod) == 0;
}

}  // namespace

RequestDispatcher::RequestDispatcher(RequestServer& server, RequestLog& log,
                                     MessageStore& store)
    : server_(server), log_(log), store_(store) {}

void RequestDispatcher::OnServerDataArrival() {
  const Text client = server_.GetClient();
  const Text request = BytesToText(server_.GetData());
  Respond(client, Answer(client, request));
}

// Keywords are looked for in the request line only: a header such as the
// Referer a browser sends after a publish page must not publish again.
ByteSeq RequestDispatcher::Answer(const Text& client, const Text& request) {
  const std::optional<Text> line = RequestLine(request);
  if (!line || !IsGet(*line)) return Rejected();
  if (Contains(*line, literals::kPublishKeyword)) return Publish(client, *line);
  if (Contains(*line, literals::kClearKeyword)) return Clear(client);
  if (Contains(*line, literals::kQueryKeyword)) return Query(client);
  return {};
}

// The value runs from the first "fabu=" of the request line to the next
// space; without either it is empty and the empty message is stored.
ByteSeq RequestDispatcher::Publish(const Text& client, const Text& line) {
  const Text value = PercentDecode(
      ExtractBetween(line, literals::kValueStart, literals::kValueEnd), true);
  if (!store_.PublishMessage(TextToBytes(value))) {
    log_.AppendText(ConcatTexts({client, literals::kPublishFailedLog}));
    return TextToBytes(literals::kPublishFailedBody);
  }
  log_.AppendText(ConcatTexts({client, literals::kPublishedLog}));
  return TextToBytes(literals::kPublishedBody);
}

ByteSeq RequestDispatcher::Clear(const Text& client) {
  if (!store_.ClearMessage()) {
    log_.AppendText(ConcatTexts({client, literals::kClearFailedLog}));
    return TextToBytes(literals::kClearFailedBody);
  }
  log_.AppendText(ConcatTexts({client, literals::kClearedLog}));
  return TextToBytes(literals::kClearedBody);
}

// The body is every stored byte, zero bytes included; the log line can show
// the stored text only up to its first zero byte.
ByteSeq RequestDispatcher::Query(const Text& client) {
  ByteSeq content = store_.ReadMessage();
  log_.AppendText(ConcatTexts({client, literals::kQueryLogSeparator,
                               BytesToText(content), literals::kLineEnd}));
  return content;
}

// The length goes in as text first; the body goes in as bytes after the
// placeholder was found, so zero bytes, "[len]" or "[data]" inside it reach
// the client unchanged.
void RequestDispatcher::Respond(const Text& client, const ByteSeq& body) {
  const Text head = ReplaceText(
      ResponseTemplate(), literals::kLengthPlaceholder,
      IntToText(BytesLength(body)), std::nullopt, std::nullopt, true);
  server_.SendData(client,
                   ReplaceBytes(TextToBytes(head), BodyPlaceholder(), body));
  // The response says "Connection: close", so it is the last thing sent on
  // the connection; a client that reads until the server closes would
  // otherwise wait forever.
  server_.CloseAfterSend(client);
}

}  // namespace board
