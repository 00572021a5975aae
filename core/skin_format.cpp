#include "core/skin_format.h"

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
    std::string text = f.BitmapFileName;
    for (int n : {f.AnchorCorner, f.NormalX, f.NormalY, f.SmallX, f.SmallY})
        text += ' ' + std::to_string(n);
    return text + ' ' + f.Author;
}
