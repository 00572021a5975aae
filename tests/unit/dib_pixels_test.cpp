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
                 int colourCount = 0) {
    DibFormat f;
    f.width = width, f.height = height, f.bitCount = bitCount, f.bits = bits.data(), f.stride = stride;
    f.colours = colourCount ? kTable : nullptr, f.colourCount = colourCount;
    return f;
}

std::vector<std::uint32_t> Read(const DibFormat& f) {
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(DibPixels32(f, &pixels));
    return pixels;
}

TEST(DibPixels, TwentyFourBitsAreTakenAsTheyAreInBottomUpRows) {
    // Two rows of two pixels, each row padded to 8 bytes; blue, green, red in a pixel.
    const std::vector<unsigned char> bits = {0xFF, 0x00, 0xFF, 0xFA, 0x01, 0xFA, 0, 0,
                                             0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0, 0};
    EXPECT_EQ(Read(Format(2, 2, 24, bits, 8)), (std::vector<std::uint32_t>{kKey, 0xFA01FA, 0x123456, 0}));
}

TEST(DibPixels, TopDownRowsComeOutBottomRowFirst) {
    const std::vector<unsigned char> bits = {1, 0, 0, 0, 2, 0, 0, 0};  // 32-bit, one pixel a row
    EXPECT_EQ(Read(Format(1, -2, 32, bits, 4)), (std::vector<std::uint32_t>{2, 1}));
    EXPECT_EQ(Read(Format(1, 2, 32, bits, 4)), (std::vector<std::uint32_t>{1, 2}));
}

TEST(DibPixels, ThirtyTwoBitsDropTheTopByte) {
    const std::vector<unsigned char> bits = {0xFF, 0x00, 0xFF, 0xAA};
    EXPECT_EQ(Read(Format(1, 1, 32, bits, 4)), (std::vector<std::uint32_t>{kKey}));
}

TEST(DibPixels, PaletteIndicesOfEightFourAndOneBits) {
    const std::vector<unsigned char> eightBits = {1, 0, 2, 7};  // 7 lies beyond the table: black
    EXPECT_EQ(Read(Format(4, 1, 8, eightBits, 4, 3)), (std::vector<std::uint32_t>{kKey, 0, 0xFFFFFF, 0}));
    const std::vector<unsigned char> fourBits = {0x12, 0x00, 0, 0};  // high nibble first
    EXPECT_EQ(Read(Format(3, 1, 4, fourBits, 4, 3)), (std::vector<std::uint32_t>{kKey, 0xFFFFFF, 0}));
    const std::vector<unsigned char> oneBit = {0xA0, 0, 0, 0};  // the highest bit first
    EXPECT_EQ(Read(Format(4, 1, 1, oneBit, 4, 2)), (std::vector<std::uint32_t>{kKey, 0, kKey, 0}));
}

TEST(DibPixels, SixteenBitChannelsWidenToTheFullRange) {
    // 5-5-5: magenta 0x7C1F is the key; a red of 0x10 widens to 0x84.
    const std::vector<unsigned char> plain = {0x1F, 0x7C, 0x00, 0x40, 0, 0, 0, 0};
    EXPECT_EQ(Read(Format(2, 1, 16, plain, 4)), (std::vector<std::uint32_t>{kKey, 0x840000}));
    // 5-6-5 through its masks.
    const std::vector<unsigned char> masked = {0x1F, 0xF8, 0xE0, 0x07};
    DibFormat f = Format(2, 1, 16, masked, 4);
    f.redMask = 0xF800, f.greenMask = 0x07E0, f.blueMask = 0x001F;
    EXPECT_EQ(Read(f), (std::vector<std::uint32_t>{kKey, 0x00FF00}));
}

TEST(DibPixels, UnreadableFormatsAreRefused) {
    const std::vector<unsigned char> bits(16, 0);
    std::vector<std::uint32_t> pixels;
    EXPECT_FALSE(DibPixels32(Format(2, 1, 2, bits, 4), &pixels));   // no such depth
    EXPECT_FALSE(DibPixels32(Format(2, 1, 24, bits, 4), &pixels));  // a row needs 6 bytes
    EXPECT_FALSE(DibPixels32(Format(0, 1, 24, bits, 4), &pixels));
    DibFormat masked = Format(1, 1, 24, bits, 4);
    masked.redMask = 0xFF;
    EXPECT_FALSE(DibPixels32(masked, &pixels));  // masks only with 16 or 32 bits
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
