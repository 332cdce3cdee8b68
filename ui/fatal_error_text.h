#pragma once

#include "text/text.h"

namespace board {

// The text of the fatal error box: a head line, the message line and the
// place line, each ended by "\r\n":
// "运行时出错!\r\n" "\r\n错误信息：" message "\r\n" "\r\n%d, %d" "\r\n".
Text FatalErrorText(const Text& message, int routine, int statement);

}  // namespace board
