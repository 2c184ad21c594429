#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must end the run the way a crash does: libFuzzer then keeps the input
// as an artifact, which a returned error code would not.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
