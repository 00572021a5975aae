#include "bench/region_baseline.h"

#include <cstdint>
#include <cstring>

HRGN BuildSkinRegionRunByRun(HBITMAP bitmap, COLORREF colourKey) {
    BITMAP info;
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0) return nullptr;
    const int w = info.bmWidth, h = info.bmHeight;

    HDC dibDc = CreateCompatibleDC(nullptr);
    if (!dibDc) return nullptr;
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = h;  // positive: memory row 0 is the picture's bottom row
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dibDc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        DeleteDC(dibDc);
        return nullptr;
    }
    HGDIOBJ oldDib = SelectObject(dibDc, dib);
    HDC sourceDc = CreateCompatibleDC(dibDc);
    if (sourceDc) {
        HGDIOBJ oldSource = SelectObject(sourceDc, bitmap);
        BitBlt(dibDc, 0, 0, w, h, sourceDc, 0, 0, SRCCOPY);
        SelectObject(sourceDc, oldSource);
    }
    SelectObject(dibDc, oldDib);
    if (sourceDc) DeleteDC(sourceDc);
    DeleteDC(dibDc);
    GdiFlush();

    // The key as a DIB pixel: blue in the lowest byte, red in the third.
    const std::uint32_t key = (static_cast<std::uint32_t>(GetRValue(colourKey)) << 16) |
                              (static_cast<std::uint32_t>(GetGValue(colourKey)) << 8) | GetBValue(colourKey);
    const std::uint32_t* pixels = static_cast<const std::uint32_t*>(bits);

    HRGN acc = CreateRectRgn(0, 0, 0, 0);
    for (int r = 0; r < h && acc; ++r) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(r) * w;
        int x = 0;
        while (x < w) {
            if ((row[x] & 0x00FFFFFFu) == key) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < w && (row[x] & 0x00FFFFFFu) != key) ++x;
            // Memory row r is picture row h - 1 - r.
            HRGN run = CreateRectRgn(x0, h - r, x, h - r - 1);
            CombineRgn(acc, acc, run, RGN_OR);
            DeleteObject(run);
        }
    }
    DeleteObject(dib);
    return acc;
}
