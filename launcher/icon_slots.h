// Which fetched icon belongs to which launcher position. Icons are fetched for a
// copy of the paths taken when the fetch began; an icon is only ever used for an
// entry whose path is that exact text, so a change of the list while a fetch runs
// can never put one entry's icon beside another entry's title.
// An icon also belongs to its file as it was when fetched: a cheap look at each
// file (its stamp) tells a later fetch which icons it may take over and which
// files have changed since, so that the icons follow files deleted, created or
// replaced while the program runs.
#pragma once

#include "launcher/launcher_list.h"

// What a position draws.
constexpr int kIconUnknown = -2;  // no fetched icon for this path: fetch it while drawing
constexpr int kIconNone = -1;     // fetched, and the shell had none: the title alone

// An entry's file as a cheap look sees it: whether it is there, its attributes,
// and for a file its last write time and size.
struct IconFileStamp {
    bool Present;
    unsigned long Attributes;
    unsigned long WriteLow;
    unsigned long WriteHigh;
    unsigned long SizeLow;
    unsigned long SizeHigh;
};

bool SameFileStamp(const IconFileStamp& a, const IconFileStamp& b);

struct IconSlotTable {
    int Count;                                   // paths copied, at most kLauncherCapacity
    char Paths[kLauncherCapacity][kLauncherTextSize];
    int Images[kLauncherCapacity];               // image index, kIconNone, or kIconUnknown while unfetched
    IconFileStamp Stamps[kLauncherCapacity];     // each file as it was when its icon was fetched
};

// Copies the launchable paths of list into table; every image starts unknown,
// every stamp absent.
void CopyIconPaths(const LauncherListRecord& list, IconSlotTable* table);

// The image of the first slot whose path equals path exactly (case-sensitive),
// or kIconUnknown when no slot has it.
int FindIconImage(const IconSlotTable& table, const char* path);

// For each launchable position of list, the image it draws (kIconUnknown past the
// list's end). table may be null (nothing fetched yet).
void MatchIconSlots(const IconSlotTable* table, const LauncherListRecord& list, int positionImages[kLauncherCapacity]);

// What a fetch may take over from the previous one (previous may be null) for
// path, whose file now shows stamp: the previous image, or kIconNone, when the
// previous fetch saw the same path with the same stamp; kIconUnknown when the
// shell must be asked again.
int ReusableIconImage(const IconSlotTable* previous, const char* path, const IconFileStamp& stamp);

// Whether any file of table shows another stamp now (stamps[i] for table.Paths[i]).
bool AnyIconFileChanged(const IconSlotTable& table, const IconFileStamp stamps[kLauncherCapacity]);

// Milliseconds to wait before the next look at the files, the last one having
// been at lastTick (both from a millisecond counter that wraps round): 0 when
// it is due, at most interval.
unsigned long MillisecondsUntilFileCheck(unsigned long lastTick, unsigned long nowTick, unsigned long interval);
