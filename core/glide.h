// The pointer's glide to a newly found target: whether it goes, and its path.
// The path runs along the start row to the target column, then along that
// column to the target row, two pixels a step, a position one pixel short of
// the target moved back to two short so the last step lands exactly on it.
#pragma once
#include <functional>
#include <vector>

#include "core/placement.h"

struct PointerPos {
    int x, y;
    bool operator==(const PointerPos& o) const { return x == o.x && y == o.y; }
};

// Whether a screen point lies on one of the display's monitors. A monitor left
// of or above the primary one has negative coordinates.
using MonitorQuery = std::function<bool(int x, int y)>;

// Where the pointer glides for a newly found target: the target's centre
// (each half with the remainder dropped toward zero). Returns false, and
// leaves centre alone, when it does not glide: the target's top-left corner
// lies on no monitor (a maximised window's frame, a window beyond every
// monitor), the target is the desktop (class "Progman"), or the pointer is
// inside the target already, edges included.
bool GlideDestination(const ScreenRect& target, const char* className, PointerPos pointer,
                      const MonitorQuery& onMonitor, PointerPos* centre);

// Every position the pointer is set to, in order.
std::vector<PointerPos> GlidePath(int targetX, int targetY, int startX, int startY);
