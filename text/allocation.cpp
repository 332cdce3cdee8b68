#include "text/allocation.h"

#include <cstdio>
#include <cstdlib>

namespace board {
namespace {

[[noreturn]] void ReportToStandardError(const char* message, int routine,
                                        int statement) {
  std::fprintf(stderr, "%s\n%d, %d\n", message, routine, statement);
  std::_Exit(-1);
}

FatalErrorHandler g_handler = &ReportToStandardError;

}  // namespace

void SetFatalErrorHandler(FatalErrorHandler handler) {
  g_handler = handler != nullptr ? handler : &ReportToStandardError;
}

void RaiseFatalError(const char* message, int routine, int statement) {
  g_handler(message, routine, statement);
  std::_Exit(-1);  // a handler that returns still ends the program
}

void ReportAllocationFailure(std::size_t bytes) {
  // "分配 %d 字节内存失败!" in code page 936; the text is built without the
  // allocator that just failed.
  char message[96];
  std::snprintf(message, sizeof message,
                "\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6"
                "\xCA\xA7\xB0\xDC!",
                static_cast<int>(bytes));
  RaiseFatalError(message, 0, 0);
}

}  // namespace board
