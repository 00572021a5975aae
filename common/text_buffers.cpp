#include "common/text_buffers.h"

#include <cstring>

bool CopyText(char* dst, std::size_t dstSize, const char* src) {
    if (dstSize == 0) return false;
    std::size_t len = std::strlen(src);
    bool fits = len < dstSize;
    if (!fits) len = dstSize - 1;
    std::memcpy(dst, src, len);
    dst[len] = '\0';
    return fits;
}

bool JoinText(char* dst, std::size_t dstSize, const char* a, const char* b, const char* c) {
    if (dstSize == 0) return false;
    std::size_t la = std::strlen(a), lb = std::strlen(b), lc = c ? std::strlen(c) : 0;
    if (la + lb + lc >= dstSize) {
        dst[0] = '\0';
        return false;
    }
    // memmove: callers may pass dst as a.
    std::memmove(dst, a, la);
    std::memcpy(dst + la, b, lb);
    if (lc) std::memcpy(dst + la + lb, c, lc);
    dst[la + lb + lc] = '\0';
    return true;
}

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::size_t Cp932FitLength(const char* text, std::size_t maxBytes) {
    std::size_t i = 0;
    for (;;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0) return i;
        const std::size_t width = (IsCp932LeadByte(c) && text[i + 1] != '\0') ? 2 : 1;
        if (i + width > maxBytes) return i;
        i += width;
    }
}
