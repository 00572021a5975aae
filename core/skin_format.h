// The skin definition file: one line "%s %d %d %d %d %d %s".
#pragma once
#include <cstddef>
#include <string>

#include "common/text_buffers.h"

struct SkinFileFields {
    char BitmapFileName[kTextSize];
    int AnchorCorner;
    int NormalX;
    int NormalY;
    int SmallX;
    int SmallY;
    char Author[kTextSize];
};

// Reads the seven fields in order into f; a field that does not convert, and
// every one after it, keeps the value f had. Returns the number converted.
int ParseSkinText(const char* data, std::size_t size, SkinFileFields* f);

// The file's content as the skin maker writes it, without a line terminator.
std::string FormatSkinText(const SkinFileFields& f);
