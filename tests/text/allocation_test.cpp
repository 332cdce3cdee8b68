#include "text/allocation.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "text/byte_operations.h"
#include "text/text_operations.h"

namespace board {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizer needs the address space
#else
constexpr bool kSanitized = false;
#endif

// Leaves the process little more address space than it has, so that a big
// allocation really fails.
void LimitAddressSpace() {
  const rlimit limit{512u << 20, 512u << 20};
  setrlimit(RLIMIT_AS, &limit);
}

TEST(AllocationFailureTest, EndsWithTheReportAndExitCodeMinusOne) {
  if (kSanitized) GTEST_SKIP() << "address space cannot be limited";
  // "分配 " ... " 字节内存失败!"
  EXPECT_EXIT(
      {
        LimitAddressSpace();
        const ByteSeq big = BlankBytes(1 << 30);
        std::printf("%d", big.Length());
      },
      testing::ExitedWithCode(255), "\xB7\xD6\xC5\xE4 10737418");
  EXPECT_EXIT(
      {
        LimitAddressSpace();
        const Text big = BlankText(1 << 30);
        std::printf("%d", big.Length());
      },
      testing::ExitedWithCode(255),
      " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!");
}

TEST(AllocationFailureTest, AnInstalledHandlerGetsTheReport) {
  SetFatalErrorHandler([](const char* message, int, int) {
    std::fprintf(stderr, "handler: %s", message);
    std::_Exit(3);
  });
  EXPECT_EXIT(ReportAllocationFailure(12), testing::ExitedWithCode(3),
              "handler: \xB7\xD6\xC5\xE4 12 ");
  SetFatalErrorHandler(nullptr);
}

}  // namespace
}  // namespace board
