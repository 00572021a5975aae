#include "core/skin_format.h"

#include <cstdio>

#include "common/text_scan.h"

int ParseSkinText(const char* data, std::size_t size, SkinFileFields* f) {
    TextScanner scan(data, size);
    int converted = 0;
    if (scan.ReadWord(f->BitmapFileName, sizeof f->BitmapFileName)) ++converted;
    int* numbers[] = {&f->AnchorCorner, &f->NormalX, &f->NormalY, &f->SmallX, &f->SmallY};
    for (int* n : numbers)
        if (scan.ReadInt(n)) ++converted;
    if (scan.ReadWord(f->Author, sizeof f->Author)) ++converted;
    return converted;
}

std::string FormatSkinText(const SkinFileFields& f) {
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, " %d %d %d %d %d ", f.AnchorCorner, f.NormalX, f.NormalY,
                  f.SmallX, f.SmallY);
    return std::string(f.BitmapFileName) + numbers + f.Author;
}
