#include "bench/region_baseline.h"

#include <cstdint>

#include "core/region_runs.h"
#include "core/skin_region.h"

HRGN BuildSkinRegionRunByRun(HBITMAP bitmap, COLORREF colourKey) {
    const std::uint32_t* pixels = nullptr;
    int w = 0, h = 0;
    HBITMAP dib = CopyToDib32(bitmap, &pixels, &w, &h);
    if (!dib) return nullptr;
    // Each run is its own one-pixel-high region, joined into the accumulator
    // one by one, memory row 0 (the picture's bottom row) first.
    HRGN acc = CreateRectRgn(0, 0, 0, 0);
    for (const RegionRect& run : CollectSkinRuns(pixels, w, h, DibPixelOf(colourKey))) {
        HRGN one = CreateRectRgn(run.left, run.bottom, run.right, run.top);
        CombineRgn(acc, acc, one, RGN_OR);
        DeleteObject(one);
    }
    DeleteObject(dib);
    return acc;
}
