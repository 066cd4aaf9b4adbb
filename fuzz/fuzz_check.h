#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: on failure, say which one and
// abort, so libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)
