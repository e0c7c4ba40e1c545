#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property of the code under test: say which and abort, so that libFuzzer keeps the
// input and the replay test fails.
#define VORN_FUZZ_CHECK(condition, what)                                              \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                                  \
    }                                                                                \
  } while (false)
