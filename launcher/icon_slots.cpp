#include "launcher/icon_slots.h"

#include <cstring>

namespace {

int LaunchableCount(const LauncherListRecord& list) {
    if (list.Count < 0) return 0;
    return list.Count > kLauncherCapacity ? kLauncherCapacity : list.Count;
}

int UsedSlots(const IconSlotTable& table) {
    return table.Count < 0 ? 0 : (table.Count > kLauncherCapacity ? kLauncherCapacity : table.Count);
}

}  // namespace

bool SameFileStamp(const IconFileStamp& a, const IconFileStamp& b) {
    if (a.Present != b.Present) return false;
    if (!a.Present) return true;
    return a.Attributes == b.Attributes && a.WriteLow == b.WriteLow && a.WriteHigh == b.WriteHigh &&
           a.SizeLow == b.SizeLow && a.SizeHigh == b.SizeHigh;
}

void CopyIconPaths(const LauncherListRecord& list, IconSlotTable* table) {
    table->Count = LaunchableCount(list);
    for (int i = 0; i < kLauncherCapacity; ++i) {
        table->Paths[i][0] = '\0';
        table->Images[i] = kIconUnknown;
        table->Stamps[i] = IconFileStamp{false, 0, 0, 0, 0, 0};
    }
    for (int i = 0; i < table->Count; ++i) {
        // The fields are the same size; the copy still stops at the field's end.
        std::strncpy(table->Paths[i], list.Entries[i].Path, kLauncherTextSize - 1);
        table->Paths[i][kLauncherTextSize - 1] = '\0';
    }
}

int FindIconImage(const IconSlotTable& table, const char* path) {
    const int count = UsedSlots(table);
    for (int i = 0; i < count; ++i)
        if (std::strcmp(table.Paths[i], path) == 0) return table.Images[i];
    return kIconUnknown;
}

void MatchIconSlots(const IconSlotTable* table, const LauncherListRecord& list, int positionImages[kLauncherCapacity]) {
    const int count = LaunchableCount(list);
    for (int i = 0; i < kLauncherCapacity; ++i)
        positionImages[i] = (table && i < count) ? FindIconImage(*table, list.Entries[i].Path) : kIconUnknown;
}

int ReusableIconImage(const IconSlotTable* previous, const char* path, const IconFileStamp& stamp) {
    if (!previous) return kIconUnknown;
    const int count = UsedSlots(*previous);
    for (int i = 0; i < count; ++i)
        if (std::strcmp(previous->Paths[i], path) == 0)
            return SameFileStamp(previous->Stamps[i], stamp) ? previous->Images[i] : kIconUnknown;
    return kIconUnknown;
}

bool AnyIconFileChanged(const IconSlotTable& table, const IconFileStamp stamps[kLauncherCapacity]) {
    const int count = UsedSlots(table);
    for (int i = 0; i < count; ++i)
        if (!SameFileStamp(table.Stamps[i], stamps[i])) return true;
    return false;
}

unsigned long MillisecondsUntilFileCheck(unsigned long lastTick, unsigned long nowTick, unsigned long interval) {
    // Unsigned subtraction keeps the elapsed time right across the counter's wrap.
    const unsigned long elapsed = (nowTick - lastTick) & 0xFFFFFFFFul;
    return elapsed >= interval ? 0 : interval - elapsed;
}
