#include "commands/sweep_rules.h"

#include <cstring>

bool SweepQualifies(bool visible, bool cloaked, bool hasOwner, const char* title, const char* className) {
    if (!visible || cloaked || hasOwner || title[0] == '\0') return false;
    if (std::strcmp(className, "Progman") == 0) return false;
    return std::strcmp(title, "Quorval Pelto") != 0;
}

SweepRect MovedBy100(const SweepRect& r, int direction) {
    int dx = 0, dy = 0;
    switch (direction) {
    case kSweepUp: dy = -100; break;
    case kSweepDown: dy = 100; break;
    case kSweepLeft: dx = -100; break;
    case kSweepRight: dx = 100; break;
    default: break;
    }
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}
