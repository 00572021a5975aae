// The pointer's path when it glides to a newly found target: along the start row
// to the target column, then along that column to the target row, two pixels a
// step, a position one pixel short of the target moved back to two short so the
// last step lands exactly on it.
#pragma once
#include <vector>

struct PointerPos {
    int x, y;
    bool operator==(const PointerPos& o) const { return x == o.x && y == o.y; }
};

// Every position the pointer is set to, in order.
std::vector<PointerPos> GlidePath(int targetX, int targetY, int startX, int startY);
