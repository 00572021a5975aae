#include "core/glide.h"

namespace {

// The coordinates of one phase, from start to target.
template <typename Emit>
void GlidePhase(long long start, long long target, Emit emit) {
    if (start >= target) {
        for (long long v = start; v >= target; v -= 2) {
            if (v == target + 1) v = target + 2;
            emit(static_cast<int>(v));
        }
    } else {
        for (long long v = start; v <= target; v += 2) {
            if (v == target - 1) v = target - 2;
            emit(static_cast<int>(v));
        }
    }
}

}  // namespace

std::vector<PointerPos> GlidePath(int targetX, int targetY, int startX, int startY) {
    std::vector<PointerPos> path;
    GlidePhase(startX, targetX, [&](int x) { path.push_back({x, startY}); });
    GlidePhase(startY, targetY, [&](int y) { path.push_back({targetX, y}); });
    return path;
}
