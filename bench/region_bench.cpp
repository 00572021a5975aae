// RegionBench: times the program's BuildSkinRegion against the run-by-run
// yardstick on a few generated skin bitmaps, and checks both give the same region.
//
//   RegionBench.exe [--density F] [--fast-runs N] [--baseline-runs N]
//                   [--only NAME] [--min-speedup X] [--profile] [file.bmp ...]
//
//   --density F      share of cut-away pixels in the noisy mask (default 0.20)
//   --fast-runs N    least timed runs of the fast method; the median is reported (7)
//   --baseline-runs N  least timed runs of the yardstick (3), unless one run
//                    takes over 2 s; quick cases of either method are repeated
//                    until they fill 300 ms (at most 200 runs)
//   --only NAME      run only the case whose name starts with NAME
//   --min-speedup X  exit 2 when the noisy mask's speed-up is below X
//   --profile        also time the steps of the fast method, and other ways of
//                    joining its rectangles, for each case
//   file.bmp         also measure these files, loaded as the program loads skins
//
// Exit status: 0 all regions equal, 1 a region differs or cannot be built,
// 2 the speed-up asked for with --min-speedup was not reached.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/region_baseline.h"
#include "bench/region_profile.h"
#include "core/skin_region.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr std::uint32_t kKeyPixel = 0x00FF00FFu;  // the key as 0x00RRGGBB

// A picture in top-down rows of 0x00RRGGBB words.
struct Picture {
    std::string name;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A small fixed-seed generator, so every run measures the same pictures.
struct XorShift32 {
    std::uint32_t state;
    explicit XorShift32(std::uint32_t seed) : state(seed ? seed : 1u) {}
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
};

std::uint32_t Rgb(int r, int g, int b) {
    auto c = [](int v) { return static_cast<std::uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

Picture NoisyMask(int w, int h, double keyShare, std::uint32_t seed) {
    Picture p;
    p.name = "noisy";
    p.width = w;
    p.height = h;
    p.pixels.resize(static_cast<std::size_t>(w) * h);
    XorShift32 rng(seed);
    for (std::uint32_t& px : p.pixels) {
        if (rng.Unit() < keyShare) {
            px = kKeyPixel;
        } else {
            px = rng.Next() & 0x00FFFFFFu;
            if (px == kKeyPixel) px ^= 0x000100u;  // any colour but the key
        }
    }
    return p;
}

// A photo-like outline: a wavy superellipse with soft colour gradients and a few
// round holes, magenta outside.
Picture SmoothBlob(int w, int h) {
    Picture p;
    p.name = "smooth";
    p.width = w;
    p.height = h;
    p.pixels.assign(static_cast<std::size_t>(w) * h, kKeyPixel);
    const double cx = w / 2.0, cy = h / 2.0;
    const double a = w * 0.46, b = h * 0.42;
    struct Hole { double x, y, r; };
    const Hole holes[] = {{0.35, 0.40, 0.06}, {0.62, 0.55, 0.09}, {0.50, 0.75, 0.035}, {0.70, 0.30, 0.02}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double dx = (x + 0.5 - cx) / a, dy = (y + 0.5 - cy) / b;
            const double angle = std::atan2(dy, dx);
            const double wobble = 1.0 + 0.05 * std::sin(5.0 * angle) + 0.02 * std::sin(13.0 * angle + 0.7);
            const double n = 4.0;
            const double s = std::pow(std::fabs(dx), n) + std::pow(std::fabs(dy), n);
            if (s > std::pow(wobble, n)) continue;
            bool inHole = false;
            for (const Hole& hole : holes) {
                const double hx = x + 0.5 - hole.x * w, hy = y + 0.5 - hole.y * h, hr = hole.r * w;
                if (hx * hx + hy * hy <= hr * hr) inHole = true;
            }
            if (inHole) continue;
            const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
            p.at(x, y) = Rgb(static_cast<int>(40 + 180 * u), static_cast<int>(60 + 150 * v),
                             static_cast<int>(90 + 100 * (1.0 - u * v)));
        }
    }
    return p;
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    double t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

// The default skin's shape: a 200 x 18 pill with a vertical teal gradient.
Picture Pill(int w, int h) {
    Picture p;
    p.name = "pill";
    p.width = w;
    p.height = h;
    p.pixels.assign(static_cast<std::size_t>(w) * h, kKeyPixel);
    const double r = h / 2.0;
    for (int y = 0; y < h; ++y) {
        const double t = h > 1 ? static_cast<double>(y) / (h - 1) : 0.0;
        const std::uint32_t row = Rgb(static_cast<int>(40 - 20 * t), static_cast<int>(160 - 70 * t),
                                      static_cast<int>(150 - 60 * t));
        for (int x = 0; x < w; ++x)
            if (DistanceToSegment(x + 0.5, y + 0.5, r, r, w - r, r) <= r) p.at(x, y) = row;
    }
    return p;
}

// The picture as a device-dependent bitmap of the screen, the kind the program
// gets from LoadImageA.
HBITMAP MakeScreenBitmap(const Picture& p) {
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = p.width;
    bmi.bmiHeader.biHeight = -p.height;  // top-down, as the rows are stored
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HBITMAP bitmap = CreateDIBitmap(screen, &bmi.bmiHeader, CBM_INIT, p.pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

DWORD RectCount(HRGN region) {
    DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return 0;
    std::vector<unsigned char> data(size);
    if (!GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()))) return 0;
    return reinterpret_cast<const RGNDATA*>(data.data())->rdh.nCount;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

struct Options {
    double density = 0.20;
    int fastRuns = 7;
    int baselineRuns = 3;
    std::string only;
    double minSpeedup = 0.0;
    bool profile = false;
    std::vector<std::string> files;
};

struct Outcome {
    bool ok = false;
    double speedup = 0.0;
};

// A yardstick run longer than this is not repeated: one figure is steady enough.
constexpr double kCheapBaselineMs = 2000.0;

// Quick cases are repeated until they have filled this much time (or this many
// runs), so that timer granularity and one-off delays do not decide the median.
constexpr double kQuickTotalMs = 300.0;
constexpr std::size_t kQuickMaxRuns = 200;

bool MoreRunsWanted(const std::vector<double>& times) {
    double total = 0;
    for (double t : times) total += t;
    return times.size() < kQuickMaxRuns && total < kQuickTotalMs;
}

Outcome Measure(const char* label, HBITMAP bitmap, const Options& o) {
    Outcome out;
    BITMAP info;
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0) {
        std::printf("%s: FAILED to make the bitmap\n", label);
        return out;
    }

    std::vector<double> fastTimes;
    HRGN fast = nullptr;
    for (int i = 0; i < o.fastRuns || MoreRunsWanted(fastTimes); ++i) {
        const double t0 = NowMs();
        HRGN r = BuildSkinRegion(bitmap, kKey);
        fastTimes.push_back(NowMs() - t0);
        if (!r) {
            std::printf("%s: FAILED: BuildSkinRegion returned no region\n", label);
            if (fast) DeleteObject(fast);
            return out;
        }
        if (fast) DeleteObject(fast);
        fast = r;
    }

    std::vector<double> baseTimes;
    HRGN base = nullptr;
    for (int i = 0;; ++i) {
        const double t0 = NowMs();
        HRGN r = BuildSkinRegionRunByRun(bitmap, kKey);
        baseTimes.push_back(NowMs() - t0);
        if (!r) {
            std::printf("%s: FAILED: the yardstick returned no region\n", label);
            DeleteObject(fast);
            if (base) DeleteObject(base);
            return out;
        }
        if (base) DeleteObject(base);
        base = r;
        if (baseTimes.back() > kCheapBaselineMs) break;
        if (i + 1 >= o.baselineRuns && !MoreRunsWanted(baseTimes)) break;
    }

    const bool equal = EqualRgn(fast, base) != FALSE;
    const DWORD fastRects = RectCount(fast), baseRects = RectCount(base);
    RECT fastBox, baseBox;
    GetRgnBox(fast, &fastBox);
    GetRgnBox(base, &baseBox);
    DeleteObject(base);

    const double fastMs = Median(fastTimes), baseMs = Median(baseTimes);
    const double fastBest = *std::min_element(fastTimes.begin(), fastTimes.end());
    out.speedup = fastMs > 0 ? baseMs / fastMs : 0.0;
    std::printf("%s %dx%d: baseline %.1f ms, fast %.1f ms, speed-up %.1fx\n", label, static_cast<int>(info.bmWidth),
                static_cast<int>(info.bmHeight), baseMs, fastMs, out.speedup);
    std::printf("    rects %lu (baseline %lu), box (%ld,%ld)-(%ld,%ld), fast best %.2f ms of %d, baseline runs %d, "
                "bitmap %d bpp\n",
                static_cast<unsigned long>(fastRects), static_cast<unsigned long>(baseRects), fastBox.left,
                fastBox.top, fastBox.right, fastBox.bottom, fastBest, static_cast<int>(fastTimes.size()),
                static_cast<int>(baseTimes.size()), static_cast<int>(info.bmBitsPixel));
    if (!equal) {
        std::printf("MISMATCH: %s: the fast region differs from the baseline region "
                    "(box (%ld,%ld)-(%ld,%ld) vs (%ld,%ld)-(%ld,%ld))\n",
                    label, fastBox.left, fastBox.top, fastBox.right, fastBox.bottom, baseBox.left, baseBox.top,
                    baseBox.right, baseBox.bottom);
        DeleteObject(fast);
        return out;
    }
    const bool profiledOk = !o.profile || ProfileRegionBuild(label, bitmap, kKey, fast);
    DeleteObject(fast);
    if (!profiledOk) {
        std::printf("MISMATCH: %s: a joining method of the profile gave another region\n", label);
        return out;
    }
    out.ok = true;
    return out;
}

bool ParseArgs(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--density" && hasValue) o->density = std::atof(argv[++i]);
        else if (a == "--fast-runs" && hasValue) o->fastRuns = std::atoi(argv[++i]);
        else if (a == "--baseline-runs" && hasValue) o->baselineRuns = std::atoi(argv[++i]);
        else if (a == "--only" && hasValue) o->only = argv[++i];
        else if (a == "--min-speedup" && hasValue) o->minSpeedup = std::atof(argv[++i]);
        else if (a == "--profile") o->profile = true;
        else if (!a.empty() && a[0] == '-') return false;
        else o->files.push_back(a);
    }
    return o->fastRuns > 0 && o->baselineRuns > 0 && o->density >= 0.0 && o->density <= 1.0;
}

bool Selected(const Options& o, const std::string& name) {
    return o.only.empty() || name.compare(0, o.only.size(), o.only) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, &o)) {
        std::fprintf(stderr,
                     "usage: RegionBench [--density F] [--fast-runs N] [--baseline-runs N] [--only NAME] "
                     "[--min-speedup X] [--profile] [file.bmp ...]\n");
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("RegionBench: fast = BuildSkinRegion, baseline = run by run (medians, at least %d fast runs); "
                "noisy key share %.3f\n",
                o.fastRuns, o.density);

    std::vector<Picture> pictures;
    if (Selected(o, "noisy")) pictures.push_back(NoisyMask(1024, 1024, o.density, 0x5EED1234u));
    if (Selected(o, "smooth")) pictures.push_back(SmoothBlob(1024, 1024));
    if (Selected(o, "pill")) pictures.push_back(Pill(200, 18));

    bool allOk = true, slow = false;
    int cases = 0;
    for (const Picture& p : pictures) {
        HBITMAP bitmap = MakeScreenBitmap(p);
        Outcome r = Measure(p.name.c_str(), bitmap, o);
        if (bitmap) DeleteObject(bitmap);
        ++cases;
        allOk = allOk && r.ok;
        if (p.name == "noisy" && o.minSpeedup > 0 && r.ok && r.speedup < o.minSpeedup) {
            std::printf("SLOW: noisy speed-up %.1fx is below %.1fx\n", r.speedup, o.minSpeedup);
            slow = true;
        }
    }
    for (const std::string& file : o.files) {
        HBITMAP bitmap =
            static_cast<HBITMAP>(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        const char* base = std::strrchr(file.c_str(), '\\');
        Outcome r = Measure(base ? base + 1 : file.c_str(), bitmap, o);
        if (bitmap) DeleteObject(bitmap);
        ++cases;
        allOk = allOk && r.ok;
    }

    std::printf("region bench: %d cases, %s\n", cases, allOk ? "all regions equal" : "FAILED");
    if (!allOk) return 1;
    return slow ? 2 : 0;
}
