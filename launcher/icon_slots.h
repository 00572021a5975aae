// Which fetched icon belongs to which launcher position. Icons are fetched for a
// copy of the paths taken when the fetch began; an icon is only ever used for an
// entry whose path is that exact text, so a change of the list while a fetch runs
// can never put one entry's icon beside another entry's title.
#pragma once

#include "launcher/launcher_list.h"

// What a position draws.
constexpr int kIconUnknown = -2;  // no fetched icon for this path: fetch it while drawing
constexpr int kIconNone = -1;     // fetched, and the shell had none: the title alone

struct IconSlotTable {
    int Count;                                   // paths copied, at most kLauncherCapacity
    char Paths[kLauncherCapacity][kLauncherTextSize];
    int Images[kLauncherCapacity];               // image index, kIconNone, or kIconUnknown while unfetched
};

// Copies the launchable paths of list into table; every image starts unknown.
void CopyIconPaths(const LauncherListRecord& list, IconSlotTable* table);

// The image of the first slot whose path equals path exactly (case-sensitive),
// or kIconUnknown when no slot has it.
int FindIconImage(const IconSlotTable& table, const char* path);

// For each launchable position of list, the image it draws (kIconUnknown past the
// list's end). table may be null (nothing fetched yet).
void MatchIconSlots(const IconSlotTable* table, const LauncherListRecord& list, int positionImages[kLauncherCapacity]);
