#include "ui/fatal_error_text.h"

#include <cstdio>
#include <string_view>

namespace board {

Text FatalErrorText(const Text& message, int routine, int statement) {
  char place[48];
  std::snprintf(place, sizeof place, "\r\n%d, %d\r\n", routine, statement);
  Text text("\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n");  // 运行时出错!
  text.Append(std::string_view(
      "\r\n\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"));  // 错误信息：
  text.Append(message);
  text.Append(std::string_view("\r\n"));
  text.Append(std::string_view(place));
  return text;
}

}  // namespace board
