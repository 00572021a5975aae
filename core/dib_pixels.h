// A device-independent bitmap's pixels, as its file holds them, turned into the
// 32-bit words the region builder reads (region_runs.h). The skin's outline is
// made from these rather than from a copy in the display's format: on a High
// Color display that copy keeps 5 or 6 bits a channel, and the key colour
// 0xFF00FF need not come back whole.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct DibFormat {
    int width = 0;
    int height = 0;  // as biHeight: positive for bottom-up rows, negative for top-down
    int bitCount = 0;  // 1, 4, 8, 16, 24 or 32
    // Colour masks of a BI_BITFIELDS bitmap (16 or 32 bits); all 0 for BI_RGB,
    // which means 5-5-5 for 16 bits and 8-8-8 for 32.
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    const std::uint32_t* colours = nullptr;  // the colour table, as RGBQUAD words, for 1 to 8 bits
    int colourCount = 0;
    const unsigned char* bits = nullptr;  // the first row in memory
    std::size_t stride = 0;               // bytes from one row to the next
};

// Every pixel as a word with blue in bits 0-7, green in 8-15, red in 16-23 and
// 0 above, in bottom-up rows (the picture's bottom row first), width x |height|
// words. A channel narrower than 8 bits is widened so that its largest value
// becomes 255 (a 5-5-5 magenta is the key 0xFF00FF). An index beyond the colour
// table gives black. False for a format it does not read.
bool DibPixels32(const DibFormat& format, std::vector<std::uint32_t>* pixels);
