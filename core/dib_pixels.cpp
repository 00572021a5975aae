#include "core/dib_pixels.h"

namespace {

// One colour channel under a mask, widened or narrowed to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t top = 0;  // the channel's largest value

    explicit Channel(std::uint32_t m) : mask(m) {
        if (!mask) return;
        while (!((mask >> shift) & 1u)) ++shift;
        top = mask >> shift;
    }

    std::uint32_t Of(std::uint32_t pixel) const {
        if (!top) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (top >= 255) {
            std::uint32_t wide = top, narrowed = v;
            while (wide > 255) {
                wide >>= 1;
                narrowed >>= 1;
            }
            return narrowed;
        }
        return (v * 255u + top / 2) / top;
    }
};

std::uint32_t Word(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red << 16) | (green << 8) | blue;
}

}  // namespace

bool DibPixels32(const DibFormat& f, std::vector<std::uint32_t>* pixels) {
    pixels->clear();
    const int height = f.height < 0 ? -f.height : f.height;
    const int bpp = f.bitCount;
    if (!f.bits || f.width <= 0 || height == 0) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (f.stride < (static_cast<std::size_t>(f.width) * static_cast<std::size_t>(bpp) + 7) / 8) return false;

    const bool masked = f.redMask || f.greenMask || f.blueMask;
    if (masked && bpp != 16 && bpp != 32) return false;
    std::uint32_t red = f.redMask, green = f.greenMask, blue = f.blueMask;
    if (!masked && bpp == 16) red = 0x7C00, green = 0x03E0, blue = 0x001F;
    if (!masked && bpp == 32) red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    const Channel r(red), g(green), b(blue);

    pixels->resize(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        // Output row 0 is the picture's bottom row.
        const int memoryRow = f.height < 0 ? height - 1 - row : row;
        const unsigned char* in = f.bits + static_cast<std::size_t>(memoryRow) * f.stride;
        std::uint32_t* out = pixels->data() + static_cast<std::size_t>(row) * f.width;
        for (int x = 0; x < f.width; ++x) {
            std::uint32_t word = 0;
            if (bpp <= 8) {
                const int bitOffset = x * bpp;
                const int index = (in[bitOffset / 8] >> (8 - bpp - bitOffset % 8)) & ((1 << bpp) - 1);
                word = index < f.colourCount && f.colours ? (f.colours[index] & 0x00FFFFFFu) : 0;
            } else if (bpp == 24) {
                const unsigned char* p = in + x * 3;
                word = Word(p[2], p[1], p[0]);
            } else {
                const unsigned char* p = in + x * (bpp / 8);
                const std::uint32_t raw =
                    bpp == 16 ? static_cast<std::uint32_t>(p[0] | (p[1] << 8))
                              : static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                    (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
                word = Word(r.Of(raw), g.Of(raw), b.Of(raw));
            }
            out[x] = word;
        }
    }
    return true;
}
