#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/dib_pixels.h"
#include "core/region_runs.h"

namespace {

constexpr std::uint32_t kKey = 0x00FF00FF;

const std::uint32_t kTable[3] = {0x000000, kKey, 0x00FFFFFF};

// A picture's format; with colourCount, the first entries of kTable are its colour table.
DibFormat Format(int width, int height, int bitCount, const std::vector<unsigned char>& bits, std::size_t stride,
                 int colourCount = 0, std::uint32_t red = 0, std::uint32_t green = 0, std::uint32_t blue = 0) {
    DibFormat f;
    f.width = width, f.height = height, f.bitCount = bitCount, f.bits = bits.data(), f.stride = stride;
    f.colours = colourCount ? kTable : nullptr, f.colourCount = colourCount;
    f.redMask = red, f.greenMask = green, f.blueMask = blue;
    return f;
}

// A picture's bytes, its format, and the words read from it, bottom row first.
struct PixelsRow {
    const char* what;
    std::vector<unsigned char> bits;
    int width, height, bitCount;
    std::size_t stride;
    int colourCount;
    std::uint32_t red, green, blue;  // masks
    std::vector<std::uint32_t> pixels;
};
const PixelsRow kPixels[] = {
    // Each row padded to 8 bytes; blue, green, red in a pixel.
    {"24 bits as they are, in bottom-up rows", {0xFF, 0x00, 0xFF, 0xFA, 0x01, 0xFA, 0, 0, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0},
     2, 2, 24, 8, 0, 0, 0, 0, {kKey, 0xFA01FA, 0x123456, 0}},
    {"top-down rows come out bottom row first", {1, 0, 0, 0, 2, 0, 0, 0}, 1, -2, 32, 4, 0, 0, 0, 0, {2, 1}},
    {"bottom-up 32-bit rows", {1, 0, 0, 0, 2, 0, 0, 0}, 1, 2, 32, 4, 0, 0, 0, 0, {1, 2}},
    {"32 bits drop the top byte", {0xFF, 0x00, 0xFF, 0xAA}, 1, 1, 32, 4, 0, 0, 0, 0, {kKey}},
    {"8-bit indices; 7 lies beyond the table: black", {1, 0, 2, 7}, 4, 1, 8, 4, 3, 0, 0, 0, {kKey, 0, 0xFFFFFF, 0}},
    {"4-bit indices, high nibble first", {0x12, 0x00, 0, 0}, 3, 1, 4, 4, 3, 0, 0, 0, {kKey, 0xFFFFFF, 0}},
    {"1-bit indices, the highest bit first", {0xA0, 0, 0, 0}, 4, 1, 1, 4, 2, 0, 0, 0, {kKey, 0, kKey, 0}},
    // Narrow channels widen to the full range.
    {"5-5-5: magenta 0x7C1F is the key; a red of 0x10 widens to 0x84", {0x1F, 0x7C, 0x00, 0x40, 0, 0, 0, 0}, 2, 1, 16, 4,
     0, 0, 0, 0, {kKey, 0x840000}},
    {"5-6-5 through its masks", {0x1F, 0xF8, 0xE0, 0x07}, 2, 1, 16, 4, 0, 0xF800, 0x07E0, 0x001F, {kKey, 0x00FF00}},
};

TEST(DibPixels, EachDepthReadsAsBottomUpWords) {
    for (const PixelsRow& row : kPixels) {
        SCOPED_TRACE(row.what);
        std::vector<std::uint32_t> pixels;
        EXPECT_TRUE(DibPixels32(Format(row.width, row.height, row.bitCount, row.bits, row.stride, row.colourCount,
                                       row.red, row.green, row.blue), &pixels));
        EXPECT_EQ(pixels, row.pixels);
    }
}

TEST(DibPixels, UnreadableFormatsAreRefused) {
    const std::vector<unsigned char> bits(16, 0);
    std::vector<std::uint32_t> pixels;
    EXPECT_FALSE(DibPixels32(Format(2, 1, 2, bits, 4), &pixels));   // no such depth
    EXPECT_FALSE(DibPixels32(Format(2, 1, 24, bits, 4), &pixels));  // a row needs 6 bytes
    EXPECT_FALSE(DibPixels32(Format(0, 1, 24, bits, 4), &pixels));
    EXPECT_FALSE(DibPixels32(Format(1, 1, 24, bits, 4, 0, 0xFF), &pixels));  // masks only with 16 or 32 bits
}

// A 24-bit skin's colour one step away from the key stays in the outline, and
// the key itself is cut: the file's pixels decide, not a display's rounding.
TEST(DibPixels, TheOutlineOfATwentyFourBitSkinKeepsNearKeyColours) {
    const std::vector<unsigned char> bits = {0xFF, 0x00, 0xFF, 0xFA, 0x01, 0xFA, 0xFF, 0x00, 0xFF, 0, 0, 0};
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(DibPixels32(Format(3, 1, 24, bits, 12), &pixels));
    EXPECT_EQ(BuildSkinBands(pixels.data(), 3, 1, kKey), (std::vector<RegionRect>{{1, 0, 2, 1}}));
}

}  // namespace
