#include "core/skin_region.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/region_runs.h"

namespace {

// Windows 9x keeps regions in a small 16-bit heap; building the region from
// modest slices and joining them keeps every single call well within it.
constexpr std::size_t kRectsPerSlice = 2000;

HRGN RegionFromRects(const RegionRect* rects, std::size_t count) {
    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    RGNDATAHEADER header;
    std::memset(&header, 0, sizeof header);
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(count);
    header.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    RECT bound = {0, 0, 0, 0};
    std::vector<RECT> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        if (i == 0) bound = out[i];
        else UnionRect(&bound, &bound, &out[i]);
    }
    header.rcBound = bound;
    std::memcpy(buffer.data(), &header, sizeof header);
    if (count) std::memcpy(buffer.data() + sizeof header, out.data(), count * sizeof(RECT));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                           reinterpret_cast<const RGNDATA*>(buffer.data()));
}

}  // namespace

HRGN BuildSkinRegion(HBITMAP bitmap, COLORREF colourKey) {
    BITMAP info;
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0) return nullptr;
    const int width = info.bmWidth, height = info.bmHeight;

    HDC screenDc = CreateCompatibleDC(nullptr);
    if (!screenDc) return nullptr;
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;  // bottom-up
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
        copied = BitBlt(screenDc, 0, 0, width, height, sourceDc, 0, 0, SRCCOPY);
        SelectObject(sourceDc, oldSource);
        DeleteDC(sourceDc);
    }
    SelectObject(screenDc, oldDib);
    DeleteDC(screenDc);
    if (!copied) {
        DeleteObject(dib);
        return nullptr;
    }
    GdiFlush();  // the DIB's memory is read directly below

    // The key as a DIB pixel: blue lowest, red in the third byte.
    const std::uint32_t key = (GetRValue(colourKey) << 16) | (GetGValue(colourKey) << 8) | GetBValue(colourKey);
    std::vector<RegionRect> bands =
        BuildSkinBands(static_cast<const std::uint32_t*>(bits), width, height, key);
    DeleteObject(dib);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (std::size_t at = 0; at < bands.size() && region; at += kRectsPerSlice) {
        std::size_t count = bands.size() - at < kRectsPerSlice ? bands.size() - at : kRectsPerSlice;
        HRGN slice = RegionFromRects(bands.data() + at, count);
        if (!slice) continue;
        CombineRgn(region, region, slice, RGN_OR);
        DeleteObject(slice);
    }
    return region;
}
