#include "core/region_runs.h"

#include <cstddef>

namespace {

// Appends the runs of one memory row as (x0, x1) pairs.
void RowRuns(const std::uint32_t* row, int width, std::uint32_t key, std::vector<int>* runs) {
    runs->clear();
    int x = 0;
    while (x < width) {
        if (IsKeyPixel(row[x], key)) {
            ++x;
            continue;
        }
        int x0 = x;
        while (x < width && !IsKeyPixel(row[x], key)) ++x;
        runs->push_back(x0);
        runs->push_back(x);
        ++x;  // the key pixel that ended the run
    }
}

}  // namespace

std::vector<RegionRect> CollectSkinRuns(const std::uint32_t* pixels, int width, int height,
                                        std::uint32_t key) {
    std::vector<RegionRect> out;
    if (!pixels || width <= 0 || height <= 0) return out;
    std::vector<int> runs;
    for (int r = 0; r < height; ++r) {
        RowRuns(pixels + static_cast<std::size_t>(r) * width, width, key, &runs);
        const int y = height - 1 - r;
        for (std::size_t i = 0; i < runs.size(); i += 2) out.push_back({runs[i], y, runs[i + 1], y + 1});
    }
    return out;
}

std::vector<RegionRect> BuildSkinBands(const std::uint32_t* pixels, int width, int height,
                                       std::uint32_t key) {
    std::vector<RegionRect> out;
    if (!pixels || width <= 0 || height <= 0) return out;
    std::vector<int> runs, above;
    std::size_t bandStart = 0;  // index in out of the band the row above belongs to
    bool haveAbove = false;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(height - 1 - y) * width;
        RowRuns(row, width, key, &runs);
        if (haveAbove && runs == above) {
            // Same runs as the row above: that band grows by one row.
            for (std::size_t i = bandStart; i < out.size(); ++i) out[i].bottom = y + 1;
            continue;
        }
        bandStart = out.size();
        for (std::size_t i = 0; i < runs.size(); i += 2) out.push_back({runs[i], y, runs[i + 1], y + 1});
        above.swap(runs);
        haveAbove = true;
    }
    return out;
}
