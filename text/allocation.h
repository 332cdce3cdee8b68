#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>

namespace board {

// Called when the program cannot go on (out of memory, a window that cannot be
// created). The handler shows the report and ends the process; it never returns.
using FatalErrorHandler = void (*)(const char* message, int routine,
                                   int statement);

// The window installs its message box here. Until then a report goes to
// standard error and the process ends with exit code -1 (255).
void SetFatalErrorHandler(FatalErrorHandler handler);

// Hands message, routine and statement to the installed handler.
[[noreturn]] void RaiseFatalError(const char* message, int routine,
                                  int statement);

// Reports "分配 %d 字节内存失败!" with the size that could not be had.
[[noreturn]] void ReportAllocationFailure(std::size_t bytes);

// Every Text, ByteSeq and TextList allocates through this allocator, so a
// failed allocation always ends in the one fatal report instead of an
// exception escaping into the event loop.
template <class T>
struct ReportingAllocator {
  using value_type = T;

  ReportingAllocator() noexcept = default;
  template <class U>
  ReportingAllocator(const ReportingAllocator<U>& /*other*/) noexcept {}

  T* allocate(std::size_t count) {
    try {
      return std::allocator<T>{}.allocate(count);
    } catch (const std::bad_alloc&) {
      ReportAllocationFailure(count * sizeof(T));
    } catch (const std::length_error&) {
      ReportAllocationFailure(count * sizeof(T));
    }
  }
  void deallocate(T* pointer, std::size_t count) noexcept {
    std::allocator<T>{}.deallocate(pointer, count);
  }

  friend bool operator==(const ReportingAllocator&,
                         const ReportingAllocator&) noexcept {
    return true;
  }
};

using ByteString =
    std::basic_string<char, std::char_traits<char>, ReportingAllocator<char>>;

}  // namespace board
