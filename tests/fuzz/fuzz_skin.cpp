// Fuzzes the skin definition reader: ParseSkinText on any bytes, then a write
// and read back of what it found.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/skin_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void FillSentinels(SkinFileFields* f) {
    FillSentinelName(f->BitmapFileName, "SENTINEL.bmp");
    f->AnchorCorner = -111111;
    f->NormalX = 222222;
    f->NormalY = -333333;
    f->SmallX = 444444;
    f->SmallY = -555555;
    FillSentinelName(f->Author, "SENTINEL-AUTHOR");
}

// The five numbers in file order.
std::array<int, 5> Numbers(const SkinFileFields& f) { return {f.AnchorCorner, f.NormalX, f.NormalY, f.SmallX, f.SmallY}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SkinFileFields f, before;
    const int converted = ParseOverSentinels(data, size, ParseSkinText, FillSentinels, 7, &f, &before);
    CheckNameBuffer(f.BitmapFileName);
    CheckNameBuffer(f.Author);

    // Fields in file order: 0 bitmap name, 1-5 numbers, 6 author. Reading stops
    // at the first field that does not convert; it and every later one keep
    // what they held.
    if (converted < 1) FUZZ_CHECK(std::memcmp(f.BitmapFileName, before.BitmapFileName, kTextSize) == 0);
    else FUZZ_CHECK(!HasFieldSpace(f.BitmapFileName));
    const std::array<int, 5> now = Numbers(f), was = Numbers(before);
    for (int i = 0; i < 5; ++i)
        if (converted < 2 + i) FUZZ_CHECK(now[i] == was[i]);
    if (converted < 7) FUZZ_CHECK(std::memcmp(f.Author, before.Author, kTextSize) == 0);
    else FUZZ_CHECK(!HasFieldSpace(f.Author));

    // Written out and read back, the values come back unchanged.
    if (RoundTrips(f.BitmapFileName) && RoundTrips(f.Author)) {
        const std::string text = FormatSkinText(f);
        SkinFileFields g;
        std::memset(&g, 0, sizeof g);
        FUZZ_CHECK(ParseSkinText(text.data(), text.size(), &g) == 7);
        CheckNameBuffer(g.BitmapFileName);
        CheckNameBuffer(g.Author);
        FUZZ_CHECK(std::strcmp(g.BitmapFileName, f.BitmapFileName) == 0);
        FUZZ_CHECK(std::strcmp(g.Author, f.Author) == 0);
        FUZZ_CHECK(Numbers(g) == now);
    }
    return 0;
}
