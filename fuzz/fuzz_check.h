#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must stop the run in every build type: assert() is gone under NDEBUG, and
// libFuzzer keeps the input of any run that aborts.
#define Q470_FUZZ_CHECK(condition)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
