// Shared by the fuzz targets: a check that stops the run, so libFuzzer keeps
// the input that broke it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/text_buffers.h"
#include "common/text_scan.h"

#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// A name buffer as the program needs it: a zero within its 260 bytes, so at
// most 259 bytes of text.
inline void CheckNameBuffer(const char* name) {
    FUZZ_CHECK(std::memchr(name, '\0', kTextSize) != nullptr);
    FUZZ_CHECK(std::strlen(name) <= kTextSize - 1);
}

inline bool HasFieldSpace(const char* s) { return std::any_of(s, s + std::strlen(s), IsFieldSpace); }

// A word field that survives being written and read back: not empty, no white space.
inline bool RoundTrips(const char* name) { return name[0] != '\0' && !HasFieldSpace(name); }

// Fills a name buffer with a recognisable text and marks the bytes after it too,
// so that any write to an unconverted field shows.
inline void FillSentinelName(char* name, const char* text) {
    std::memset(name, 0x5A, kTextSize);
    std::memcpy(name, text, std::strlen(text) + 1);
}

// Reads the fuzz input with parse over fields that fill marked with sentinels;
// before keeps the sentinels, to tell which fields the reader wrote. Returns how
// many fields it converted, checked to be between 0 and fieldCount.
template <typename Fields>
int ParseOverSentinels(const std::uint8_t* data, std::size_t size, int (*parse)(const char*, std::size_t, Fields*),
                       void (*fill)(Fields*), int fieldCount, Fields* fields, Fields* before) {
    fill(fields);
    std::memcpy(before, fields, sizeof *fields);
    const int converted = parse(reinterpret_cast<const char*>(data), size, fields);
    FUZZ_CHECK(converted >= 0 && converted <= fieldCount);
    return converted;
}
