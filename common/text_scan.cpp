#include "common/text_scan.h"

#include <climits>

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void TextScanner::SkipSpace() {
    while (pos_ < size_ && IsFieldSpace(data_[pos_])) ++pos_;
}

bool TextScanner::ReadInt(int* value) {
    if (stopped_) return false;
    SkipSpace();
    std::size_t p = pos_;
    bool negative = false;
    if (p < size_ && (data_[p] == '+' || data_[p] == '-')) {
        negative = data_[p] == '-';
        ++p;
    }
    if (p >= size_ || data_[p] < '0' || data_[p] > '9') {
        stopped_ = true;
        return false;
    }
    long long magnitude = 0;
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    while (p < size_ && data_[p] >= '0' && data_[p] <= '9') {
        if (magnitude <= limit) magnitude = magnitude * 10 + (data_[p] - '0');
        ++p;
    }
    if (magnitude > limit) magnitude = limit;
    long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) v = INT_MAX;
    *value = static_cast<int>(v);
    pos_ = p;
    return true;
}

bool TextScanner::ReadWord(char* dst, std::size_t dstSize) {
    if (stopped_ || dstSize == 0) return false;
    SkipSpace();
    if (pos_ >= size_) {
        stopped_ = true;
        return false;
    }
    std::size_t n = 0;
    while (pos_ < size_ && !IsFieldSpace(data_[pos_])) {
        if (n + 1 < dstSize) dst[n++] = data_[pos_];
        ++pos_;
    }
    dst[n] = '\0';
    return true;
}

int LeadingInt(const char* text) {
    const char* p = text;
    while (*p && IsFieldSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}
