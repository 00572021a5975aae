#include "core/skin_region.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/dib_pixels.h"
#include "core/region_runs.h"

namespace {

// Regions are made from small slices of rectangles and joined in pairs. Region
// creation grows faster than linearly with its rectangle count on some GDIs
// (Wine's among them), and Windows 9x keeps regions in a small 16-bit heap, so
// no single call gets a large list; joining in pairs keeps the whole job
// O(n log n) however many rectangles the skin has.
constexpr std::size_t kRectsPerSlice = 32;

HRGN RegionFromRects(const RegionRect* rects, std::size_t count) {
    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
    RECT* out = reinterpret_cast<RECT*>(data->Buffer);
    RECT bound = {rects[0].left, rects[0].top, rects[0].right, rects[0].bottom};
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        UnionRect(&bound, &bound, &out[i]);
    }
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    data->rdh.rcBound = bound;
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

HRGN RegionFromBands(const std::vector<RegionRect>& bands) {
    std::vector<HRGN> level;
    for (std::size_t at = 0; at < bands.size(); at += kRectsPerSlice) {
        std::size_t count = bands.size() - at < kRectsPerSlice ? bands.size() - at : kRectsPerSlice;
        if (HRGN slice = RegionFromRects(bands.data() + at, count)) level.push_back(slice);
    }
    if (level.empty()) return CreateRectRgn(0, 0, 0, 0);
    while (level.size() > 1) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < level.size(); i += 2) {
            if (i + 1 < level.size()) {
                CombineRgn(level[i], level[i], level[i + 1], RGN_OR);
                DeleteObject(level[i + 1]);
            }
            level[kept++] = level[i];
        }
        level.resize(kept);
    }
    return level[0];
}

}  // namespace

HBITMAP CopyToDib32(HBITMAP bitmap, const std::uint32_t** pixels, int* width, int* height) {
    BITMAP info;
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0) return nullptr;
    const int w = info.bmWidth, h = info.bmHeight;

    HDC screenDc = CreateCompatibleDC(nullptr);
    if (!screenDc) return nullptr;
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = h;  // bottom-up
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screenDc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        DeleteDC(screenDc);
        return nullptr;
    }
    HGDIOBJ oldDib = SelectObject(screenDc, dib);
    HDC sourceDc = CreateCompatibleDC(screenDc);
    BOOL copied = FALSE;
    if (sourceDc) {
        HGDIOBJ oldSource = SelectObject(sourceDc, bitmap);
        copied = BitBlt(screenDc, 0, 0, w, h, sourceDc, 0, 0, SRCCOPY);
        SelectObject(sourceDc, oldSource);
        DeleteDC(sourceDc);
    }
    SelectObject(screenDc, oldDib);
    DeleteDC(screenDc);
    if (!copied) {
        DeleteObject(dib);
        return nullptr;
    }
    GdiFlush();  // the DIB's memory is read directly
    *pixels = static_cast<const std::uint32_t*>(bits);
    *width = w;
    *height = h;
    return dib;
}

std::uint32_t DibPixelOf(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) | (static_cast<std::uint32_t>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

bool ReadDibSectionPixels(HBITMAP bitmap, std::vector<std::uint32_t>* pixels, int* width, int* height) {
    DIBSECTION section;
    if (!bitmap || GetObjectA(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits) return false;
    const BITMAPINFOHEADER& header = section.dsBmih;
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) return false;
    DibFormat format;
    format.width = section.dsBm.bmWidth;
    format.height = header.biHeight < 0 ? -section.dsBm.bmHeight : section.dsBm.bmHeight;
    format.bitCount = header.biBitCount;
    if (header.biCompression == BI_BITFIELDS) {
        format.redMask = section.dsBitfields[0];
        format.greenMask = section.dsBitfields[1];
        format.blueMask = section.dsBitfields[2];
    }
    std::uint32_t colours[256];
    if (header.biBitCount <= 8) {
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return false;
        HGDIOBJ old = SelectObject(dc, bitmap);
        RGBQUAD table[256];
        const UINT count = GetDIBColorTable(dc, 0, 256, table);
        SelectObject(dc, old);
        DeleteDC(dc);
        std::memcpy(colours, table, count * sizeof table[0]);
        format.colours = colours;
        format.colourCount = static_cast<int>(count);
    }
    GdiFlush();  // the section's memory is read directly
    format.bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
    format.stride = static_cast<std::size_t>(section.dsBm.bmWidthBytes);
    if (!DibPixels32(format, pixels)) return false;
    *width = section.dsBm.bmWidth;
    *height = section.dsBm.bmHeight;
    return true;
}

HRGN BuildSkinRegion(HBITMAP bitmap, COLORREF colourKey) {
    std::vector<std::uint32_t> filePixels;
    int width = 0, height = 0;
    if (ReadDibSectionPixels(bitmap, &filePixels, &width, &height))
        return RegionFromBands(BuildSkinBands(filePixels.data(), width, height, DibPixelOf(colourKey)));
    const std::uint32_t* pixels = nullptr;
    HBITMAP dib = CopyToDib32(bitmap, &pixels, &width, &height);
    if (!dib) return nullptr;
    std::vector<RegionRect> bands = BuildSkinBands(pixels, width, height, DibPixelOf(colourKey));
    DeleteObject(dib);
    return RegionFromBands(bands);
}
