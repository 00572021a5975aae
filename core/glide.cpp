#include "core/glide.h"

#include <cstring>

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

bool GlideDestination(const ScreenRect& target, const char* className, PointerPos pointer,
                      const MonitorQuery& onMonitor, PointerPos* centre) {
    if (!onMonitor(target.left, target.top)) return false;
    if (std::strcmp(className, "Progman") == 0) return false;
    if (target.left <= pointer.x && pointer.x <= target.right && target.top <= pointer.y && pointer.y <= target.bottom)
        return false;
    centre->x = static_cast<int>((static_cast<long long>(target.left) + target.right) / 2);
    centre->y = static_cast<int>((static_cast<long long>(target.top) + target.bottom) / 2);
    return true;
}

std::vector<PointerPos> GlidePath(int targetX, int targetY, int startX, int startY) {
    std::vector<PointerPos> path;
    GlidePhase(startX, targetX, [&](int x) { path.push_back({x, startY}); });
    GlidePhase(startY, targetY, [&](int y) { path.push_back({targetX, y}); });
    return path;
}
