// Reading the program's one-line text files with the rules of formatted input:
// white space separates fields, a number is an optional sign and digits, and a
// word runs to the first white space. Scanning stops at the first field that does
// not convert; every later field keeps its previous value.
#pragma once
#include <cstddef>

class TextScanner {
public:
    TextScanner(const char* data, std::size_t size) : data_(data), size_(size) {}

    // Reads a decimal integer (values beyond the int range are clamped).
    // Returns false, and stops the scanner, when none is there.
    bool ReadInt(int* value);

    // Reads one word into dst (dstSize bytes). A word longer than dstSize - 1
    // bytes is cut to that length and its remaining bytes are skipped, so the
    // next field is read from where it really starts.
    bool ReadWord(char* dst, std::size_t dstSize);

private:
    void SkipSpace();
    const char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool stopped_ = false;
};

bool IsFieldSpace(char c);

// The number at the start of text as C's atoi reads it (leading white space, an
// optional sign, digits; anything else ends it, and no digits give 0), with
// values beyond the int range clamped instead of undefined.
int LeadingInt(const char* text);
