#include "bench/region_profile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/bench_clock.h"
#include "core/region_runs.h"

namespace {

constexpr int kRepeats = 3;  // each figure is the best of this many runs

struct DibCopy {
    HBITMAP dib = nullptr;
    const std::uint32_t* bits = nullptr;
    int width = 0, height = 0;
};

// The bitmap's pixels in a 32-bit bottom-up DIB section, the way BuildSkinRegion reads them.
DibCopy CopyToDib(HBITMAP bitmap) {
    DibCopy c;
    BITMAP info;
    if (GetObjectA(bitmap, sizeof info, &info) == 0) return c;
    c.width = info.bmWidth;
    c.height = info.bmHeight;
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = c.width;
    bmi.bmiHeader.biHeight = c.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    c.dib = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldDib = SelectObject(dc, c.dib);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ oldSrc = SelectObject(src, bitmap);
    BitBlt(dc, 0, 0, c.width, c.height, src, 0, 0, SRCCOPY);
    SelectObject(src, oldSrc);
    DeleteDC(src);
    SelectObject(dc, oldDib);
    DeleteDC(dc);
    GdiFlush();
    c.bits = static_cast<const std::uint32_t*>(bits);
    return c;
}

HRGN FromRects(const RegionRect* rects, std::size_t count) {
    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    RGNDATAHEADER header;
    std::memset(&header, 0, sizeof header);
    header.dwSize = sizeof header;
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(count);
    header.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    RECT* out = reinterpret_cast<RECT*>(buffer.data() + sizeof header);
    for (std::size_t i = 0; i < count; ++i) {
        RECT r = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        std::memcpy(out + i, &r, sizeof r);
        if (i == 0) {
            header.rcBound = r;
        } else {
            header.rcBound.left = std::min(header.rcBound.left, r.left);
            header.rcBound.top = std::min(header.rcBound.top, r.top);
            header.rcBound.right = std::max(header.rcBound.right, r.right);
            header.rcBound.bottom = std::max(header.rcBound.bottom, r.bottom);
        }
    }
    std::memcpy(buffer.data(), &header, sizeof header);
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                           reinterpret_cast<const RGNDATA*>(buffer.data()));
}

struct Join {
    double createMs = 0, combineMs = 0;
    HRGN region = nullptr;
};

// Slices made one after the other and each joined into one growing region.
Join SequentialJoin(const std::vector<RegionRect>& bands, std::size_t slice) {
    Join j;
    j.region = CreateRectRgn(0, 0, 0, 0);
    for (std::size_t at = 0; at < bands.size(); at += slice) {
        const std::size_t n = std::min(slice, bands.size() - at);
        double t0 = NowMs();
        HRGN part = FromRects(bands.data() + at, n);
        double t1 = NowMs();
        CombineRgn(j.region, j.region, part, RGN_OR);
        DeleteObject(part);
        j.combineMs += NowMs() - t1;
        j.createMs += t1 - t0;
    }
    return j;
}

// Slices joined in pairs, then pairs of pairs, and so on: each rectangle is
// copied about log2(slices) times instead of once per later slice.
Join PairwiseJoin(const std::vector<RegionRect>& bands, std::size_t slice) {
    Join j;
    std::vector<HRGN> parts;
    double t0 = NowMs();
    for (std::size_t at = 0; at < bands.size(); at += slice)
        parts.push_back(FromRects(bands.data() + at, std::min(slice, bands.size() - at)));
    double t1 = NowMs();
    j.createMs = t1 - t0;
    if (parts.empty()) parts.push_back(CreateRectRgn(0, 0, 0, 0));
    while (parts.size() > 1) {
        std::vector<HRGN> next;
        for (std::size_t i = 0; i < parts.size(); i += 2) {
            if (i + 1 < parts.size()) {
                CombineRgn(parts[i], parts[i], parts[i + 1], RGN_OR);
                DeleteObject(parts[i + 1]);
            }
            next.push_back(parts[i]);
        }
        parts.swap(next);
    }
    j.combineMs = NowMs() - t1;
    j.region = parts[0];
    return j;
}

template <typename F>
Join Best(F run) {
    Join best;
    for (int i = 0; i < kRepeats; ++i) {
        Join j = run();
        if (!best.region || j.createMs + j.combineMs < best.createMs + best.combineMs) {
            if (best.region) DeleteObject(best.region);
            best = j;
        } else {
            DeleteObject(j.region);
        }
    }
    return best;
}

bool Report(const char* what, Join j, HRGN reference) {
    const bool equal = j.region && EqualRgn(j.region, reference);
    std::printf("      %-34s create %8.2f ms, join %8.2f ms, total %8.2f ms%s\n", what, j.createMs, j.combineMs,
                j.createMs + j.combineMs, equal ? "" : "  MISMATCH");
    if (j.region) DeleteObject(j.region);
    return equal;
}

}  // namespace

bool ProfileRegionBuild(const char* label, HBITMAP bitmap, COLORREF colourKey, HRGN reference) {
    const std::uint32_t key = (static_cast<std::uint32_t>(GetRValue(colourKey)) << 16) |
                              (static_cast<std::uint32_t>(GetGValue(colourKey)) << 8) | GetBValue(colourKey);
    double copyMs = 1e300, bandsMs = 1e300;
    std::vector<RegionRect> bands;
    for (int i = 0; i < kRepeats; ++i) {
        double t0 = NowMs();
        DibCopy c = CopyToDib(bitmap);
        double t1 = NowMs();
        if (!c.dib) return false;
        bands = BuildSkinBands(c.bits, c.width, c.height, key);
        double t2 = NowMs();
        DeleteObject(c.dib);
        copyMs = std::min(copyMs, t1 - t0);
        bandsMs = std::min(bandsMs, t2 - t1);
    }
    std::printf("    profile %s: copy to DIB %.2f ms, runs and bands %.2f ms (%lu rects)\n", label, copyMs, bandsMs,
                static_cast<unsigned long>(bands.size()));

    bool ok = true;
    char what[64];
    const std::size_t slices[] = {16, 64, 256, 1000, 2000, 4000};
    for (std::size_t s : slices) {
        std::snprintf(what, sizeof what, "in turn, slices of %lu%s", static_cast<unsigned long>(s),
                      s == 2000 ? " (as now)" : "");
        ok = Report(what, Best([&] { return SequentialJoin(bands, s); }), reference) && ok;
    }
    if (bands.size() <= 20000) ok = Report("one call", Best([&] { return SequentialJoin(bands, bands.size() + 1); }), reference) && ok;
    for (std::size_t s : slices) {
        std::snprintf(what, sizeof what, "pairwise, slices of %lu", static_cast<unsigned long>(s));
        ok = Report(what, Best([&] { return PairwiseJoin(bands, s); }), reference) && ok;
    }
    return ok;
}
