#include "core/placement.h"

bool PlaceSkin(const ScreenRect& target, const SkinPlacementRule& rule, int* x, int* y) {
    // Widths of windows never come near the int limit; compute in long long anyway
    // so a hand-edited skin width cannot overflow the comparison.
    const long long width = static_cast<long long>(target.right) - target.left;
    const bool wide = width > static_cast<long long>(rule.SkinWidth) + 200;
    const int dx = wide ? rule.NormalX : rule.SmallX;
    const int dy = wide ? rule.NormalY : rule.SmallY;
    int cornerX, cornerY;
    switch (rule.AnchorCorner) {
    case 1: cornerX = target.left; cornerY = target.top; break;
    case 2: cornerX = target.right; cornerY = target.top; break;
    case 3: cornerX = target.right; cornerY = target.bottom; break;
    case 4: cornerX = target.left; cornerY = target.bottom; break;
    default: return false;
    }
    // Wraps like the platform's int arithmetic would, without undefined behaviour.
    *x = static_cast<int>(static_cast<unsigned>(cornerX) + static_cast<unsigned>(dx));
    *y = static_cast<int>(static_cast<unsigned>(cornerY) + static_cast<unsigned>(dy));
    return true;
}
