// A check that holds for every input: on failure it names itself and stops the fuzzer with a
// crash, which libFuzzer saves as a reproducer.
#pragma once

#include <stdio.h>

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__);                 \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (0)
