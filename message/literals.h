#pragma once

// The message interface's own texts, as code page 936 bytes. Each is written
// as escaped bytes with its readable form beside it, so that no source file
// encoding can change what goes over the wire or into the log.

namespace board::literals {

inline constexpr char kHeadEnd[] = "\r\n\r\n";
inline constexpr char kLineEnd[] = "\r\n";
inline constexpr char kGetMethod[] = "get";

inline constexpr char kPublishKeyword[] = "fabu";
inline constexpr char kClearKeyword[] = "shanchu";
inline constexpr char kQueryKeyword[] = "chaxun";
inline constexpr char kValueStart[] = "fabu=";
inline constexpr char kValueEnd[] = " ";

inline constexpr char kRejectedBody[] = "error 404";
inline constexpr char kPublishedBody[] =
    "\xB7\xA2\xB2\xBC\xB3\xC9\xB9\xA6";  // 发布成功
inline constexpr char kClearedBody[] =
    "\xC9\xBE\xB3\xFD\xB3\xC9\xB9\xA6";  // 删除成功
inline constexpr char kPublishFailedBody[] =
    "\xB7\xA2\xB2\xBC\xCA\xA7\xB0\xDC";  // 发布失败
inline constexpr char kClearFailedBody[] =
    "\xC9\xBE\xB3\xFD\xCA\xA7\xB0\xDC";  // 删除失败

inline constexpr char kPublishedLog[] =
    " \xA3\xBA \xB7\xA2\xB2\xBC\xB3\xC9\xB9\xA6 \r\n";  // " ： 发布成功 \r\n"
inline constexpr char kClearedLog[] =
    " \xA3\xBA \xC9\xBE\xB3\xFD\xB3\xC9\xB9\xA6 \r\n";  // " ： 删除成功 \r\n"
inline constexpr char kPublishFailedLog[] =
    " \xA3\xBA \xB7\xA2\xB2\xBC\xCA\xA7\xB0\xDC \r\n";  // " ： 发布失败 \r\n"
inline constexpr char kClearFailedLog[] =
    " \xA3\xBA \xC9\xBE\xB3\xFD\xCA\xA7\xB0\xDC \r\n";  // " ： 删除失败 \r\n"
inline constexpr char kQueryLogSeparator[] = " \xA3\xBA ";  // " ： "

// Content-Type names the character set so that a browser does not have to
// guess it; Content-Length counts the body only, not the final line end.
inline constexpr char kResponseTemplate[] =
    "HTTP/1.1 200 OK\r\n"
    "Connection: close\r\n"
    "Content-Type: text/plain; charset=GBK\r\n"
    "Content-Length: [len]\r\n"
    "\r\n"
    "[data]\r\n";
inline constexpr char kLengthPlaceholder[] = "[len]";
inline constexpr char kBodyPlaceholder[] = "[data]";

inline constexpr char kHexDigits[] = "0123456789ABCDEF";
inline constexpr char kPercent[] = "%";
inline constexpr char kQuoteToken[] = "#\xD2\xFD\xBA\xC5";  // #引号
inline constexpr char kQuote[] = "\"";

inline constexpr char kStoreFileName[] =
    "\xB4\xE6\xB4\xA2\xCE\xC4\xB1\xBE.txt";  // 存储文本.txt

}  // namespace board::literals
