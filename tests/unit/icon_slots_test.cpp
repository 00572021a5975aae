#include <gtest/gtest.h>

#include <cstring>

#include "launcher/icon_slots.h"

namespace {

void SetPath(LauncherListRecord* list, int i, const char* path) {
    std::strcpy(list->Entries[i].Path, path);
    std::strcpy(list->Entries[i].Title, path);
}

LauncherListRecord ThreeEntries() {
    LauncherListRecord list;
    std::memset(&list, 0, sizeof list);
    list.Count = 3;
    SetPath(&list, 0, "C:\\a.exe");
    SetPath(&list, 1, "C:\\b.exe");
    SetPath(&list, 2, "C:\\c.exe");
    return list;
}

// A table as a finished fetch leaves it: the first path got image 0, and so on.
IconSlotTable Fetched(const LauncherListRecord& list) {
    IconSlotTable table;
    CopyIconPaths(list, &table);
    for (int i = 0; i < table.Count; ++i) table.Images[i] = i;
    return table;
}

TEST(IconSlots, CopyTakesTheLaunchablePathsAndLeavesEveryImageUnknown) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table;
    std::memset(&table, 0x5A, sizeof table);
    CopyIconPaths(list, &table);
    EXPECT_EQ(table.Count, 3);
    EXPECT_STREQ(table.Paths[1], "C:\\b.exe");
    EXPECT_STREQ(table.Paths[3], "");
    for (int i = 0; i < kLauncherCapacity; ++i) EXPECT_EQ(table.Images[i], kIconUnknown);
}

TEST(IconSlots, CopyStopsAtTheLaunchablePositionsAndAtANegativeCount) {
    LauncherListRecord list;
    std::memset(&list, 0, sizeof list);
    list.Count = kLauncherRows;  // the 101st row is never launched
    IconSlotTable table;
    CopyIconPaths(list, &table);
    EXPECT_EQ(table.Count, kLauncherCapacity);
    list.Count = -4;
    CopyIconPaths(list, &table);
    EXPECT_EQ(table.Count, 0);
}

TEST(IconSlots, AFullLengthPathIsCopiedWhole) {
    LauncherListRecord list;
    std::memset(&list, 0, sizeof list);
    list.Count = 1;
    std::memset(list.Entries[0].Path, 'p', kLauncherTextSize - 1);
    IconSlotTable table;
    CopyIconPaths(list, &table);
    EXPECT_EQ(std::strlen(table.Paths[0]), static_cast<std::size_t>(kLauncherTextSize - 1));
    table.Images[0] = 7;
    EXPECT_EQ(FindIconImage(table, list.Entries[0].Path), 7);
}

TEST(IconSlots, EachPositionGetsTheImageFetchedForItsOwnPath) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table = Fetched(list);
    int images[kLauncherCapacity];
    MatchIconSlots(&table, list, images);
    EXPECT_EQ(images[0], 0);
    EXPECT_EQ(images[1], 1);
    EXPECT_EQ(images[2], 2);
    EXPECT_EQ(images[3], kIconUnknown);
}

TEST(IconSlots, AfterADeleteAndAReorderTheIconsFollowTheirPaths) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table = Fetched(list);
    // The dialog's apply: the first entry deleted, the other two swapped.
    list.Count = 2;
    SetPath(&list, 0, "C:\\c.exe");
    SetPath(&list, 1, "C:\\b.exe");
    int images[kLauncherCapacity];
    MatchIconSlots(&table, list, images);
    EXPECT_EQ(images[0], 2);
    EXPECT_EQ(images[1], 1);
    EXPECT_EQ(images[2], kIconUnknown);
}

TEST(IconSlots, AnAddedEntryIsUnknownUntilAFetchHasSeenItsPath) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table = Fetched(list);
    list.Count = 4;
    SetPath(&list, 3, "C:\\d.exe");
    int images[kLauncherCapacity];
    MatchIconSlots(&table, list, images);
    EXPECT_EQ(images[3], kIconUnknown);
    IconSlotTable again = Fetched(list);
    MatchIconSlots(&again, list, images);
    EXPECT_EQ(images[3], 3);
}

TEST(IconSlots, AnEditedPathDropsTheOldIconEvenUnderTheSameTitle) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table = Fetched(list);
    std::strcpy(list.Entries[1].Path, "C:\\other.exe");
    int images[kLauncherCapacity];
    MatchIconSlots(&table, list, images);
    EXPECT_EQ(images[1], kIconUnknown);
}

TEST(IconSlots, ComparisonIsExactAndCaseSensitive) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table = Fetched(list);
    EXPECT_EQ(FindIconImage(table, "C:\\A.EXE"), kIconUnknown);
    EXPECT_EQ(FindIconImage(table, "C:\\a.ex"), kIconUnknown);
    EXPECT_EQ(FindIconImage(table, "C:\\a.exe"), 0);
}

TEST(IconSlots, AFileWithoutIconStaysWithoutIcon) {
    LauncherListRecord list = ThreeEntries();
    IconSlotTable table = Fetched(list);
    table.Images[1] = kIconNone;
    int images[kLauncherCapacity];
    MatchIconSlots(&table, list, images);
    EXPECT_EQ(images[1], kIconNone);
}

TEST(IconSlots, NothingFetchedYetLeavesEveryPositionUnknown) {
    LauncherListRecord list = ThreeEntries();
    int images[kLauncherCapacity];
    MatchIconSlots(nullptr, list, images);
    for (int i = 0; i < kLauncherCapacity; ++i) EXPECT_EQ(images[i], kIconUnknown);
}

}  // namespace
