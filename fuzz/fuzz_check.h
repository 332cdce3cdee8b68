#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run with a report when a property of the code under test fails,
// so that libFuzzer keeps the input that showed it.
#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                             \
      std::abort();                                                         \
    }                                                                       \
  } while (false)
