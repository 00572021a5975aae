// The registered programs and documents of the launcher.
#pragma once

constexpr int kLauncherRows = 101;     // positions 0 to 99 can be launched
constexpr int kLauncherTextSize = 101;

struct LauncherEntry {
    char Path[kLauncherTextSize];
    char Title[kLauncherTextSize];
};

struct LauncherListRecord {
    int Count;
    LauncherEntry Entries[kLauncherRows];
};

extern LauncherListRecord LauncherList;
