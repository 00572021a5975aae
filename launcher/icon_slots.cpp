#include "launcher/icon_slots.h"

#include <cstring>

namespace {

int LaunchableCount(const LauncherListRecord& list) {
    if (list.Count < 0) return 0;
    return list.Count > kLauncherCapacity ? kLauncherCapacity : list.Count;
}

}  // namespace

void CopyIconPaths(const LauncherListRecord& list, IconSlotTable* table) {
    table->Count = LaunchableCount(list);
    for (int i = 0; i < kLauncherCapacity; ++i) {
        table->Paths[i][0] = '\0';
        table->Images[i] = kIconUnknown;
    }
    for (int i = 0; i < table->Count; ++i) {
        // The fields are the same size; the copy still stops at the field's end.
        std::strncpy(table->Paths[i], list.Entries[i].Path, kLauncherTextSize - 1);
        table->Paths[i][kLauncherTextSize - 1] = '\0';
    }
}

int FindIconImage(const IconSlotTable& table, const char* path) {
    const int count = table.Count < 0 ? 0 : (table.Count > kLauncherCapacity ? kLauncherCapacity : table.Count);
    for (int i = 0; i < count; ++i)
        if (std::strcmp(table.Paths[i], path) == 0) return table.Images[i];
    return kIconUnknown;
}

void MatchIconSlots(const IconSlotTable* table, const LauncherListRecord& list, int positionImages[kLauncherCapacity]) {
    const int count = LaunchableCount(list);
    for (int i = 0; i < kLauncherCapacity; ++i)
        positionImages[i] = (table && i < count) ? FindIconImage(*table, list.Entries[i].Path) : kIconUnknown;
}
