// The registered programs and documents of the launcher: the table shape that
// the store, the popup and the dialogs share.
#pragma once

constexpr int kLauncherRows = 101;      // one row more than can be launched
constexpr int kLauncherCapacity = 100;  // positions 0 to 99 can be launched; no more are stored
constexpr int kLauncherTextSize = 101;  // 100 bytes of text and a zero

struct LauncherEntry {
    char Path[kLauncherTextSize];
    char Title[kLauncherTextSize];
};

struct LauncherListRecord {
    int Count;
    LauncherEntry Entries[kLauncherRows];
};
