#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "launcher/icon_slots.h"

namespace {

void SetPath(LauncherListRecord* list, int i, const char* path) {
    std::strcpy(list->Entries[i].Path, path);
    std::strcpy(list->Entries[i].Title, path);
}

// A table as a finished fetch leaves it: the first path got image 0, and so on.
IconSlotTable Fetched(const LauncherListRecord& list) {
    IconSlotTable table;
    CopyIconPaths(list, &table);
    for (int i = 0; i < table.Count; ++i) table.Images[i] = i;
    return table;
}

// Three entries and the table a finished fetch left for them.
class IconSlots : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* path : {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"}) SetPath(&list, list.Count++, path);
        table = Fetched(list);
    }
    LauncherListRecord list = {};
    IconSlotTable table;
};

// The images MatchIconSlots gives the first `positions` positions of the list.
std::vector<int> Matched(const IconSlotTable* table, const LauncherListRecord& list, int positions) {
    int images[kLauncherCapacity];
    MatchIconSlots(table, list, images);
    return std::vector<int>(images, images + positions);
}

TEST_F(IconSlots, CopyTakesTheLaunchablePathsAndLeavesEveryImageUnknownAndFileUnseen) {
    IconSlotTable table;
    std::memset(&table, 0x5A, sizeof table);
    CopyIconPaths(list, &table);
    EXPECT_EQ(table.Count, 3);
    EXPECT_STREQ(table.Paths[1], "C:\\b.exe");
    EXPECT_STREQ(table.Paths[3], "");
    for (int i = 0; i < kLauncherCapacity; ++i) {
        EXPECT_EQ(table.Images[i], kIconUnknown);
        EXPECT_FALSE(table.Stamps[i].Present);
    }
}

TEST_F(IconSlots, CopyStopsAtTheLaunchablePositionsAndAtANegativeCount) {
    LauncherListRecord list = {};
    list.Count = kLauncherRows;  // the 101st row is never launched
    IconSlotTable table;
    CopyIconPaths(list, &table);
    EXPECT_EQ(table.Count, kLauncherCapacity);
    list.Count = -4;
    CopyIconPaths(list, &table);
    EXPECT_EQ(table.Count, 0);
}

TEST_F(IconSlots, AFullLengthPathIsCopiedWhole) {
    LauncherListRecord list = {};
    list.Count = 1;
    std::memset(list.Entries[0].Path, 'p', kLauncherTextSize - 1);
    IconSlotTable table;
    CopyIconPaths(list, &table);
    EXPECT_EQ(std::strlen(table.Paths[0]), static_cast<std::size_t>(kLauncherTextSize - 1));
    table.Images[0] = 7;
    EXPECT_EQ(FindIconImage(table, list.Entries[0].Path), 7);
}

TEST_F(IconSlots, EachPositionGetsTheImageFetchedForItsOwnPath) {
    EXPECT_EQ(Matched(&table, list, 4), (std::vector<int>{0, 1, 2, kIconUnknown}));
}

TEST_F(IconSlots, AfterADeleteAndAReorderTheIconsFollowTheirPaths) {
    // The dialog's apply: the first entry deleted, the other two swapped.
    list.Count = 2;
    SetPath(&list, 0, "C:\\c.exe");
    SetPath(&list, 1, "C:\\b.exe");
    EXPECT_EQ(Matched(&table, list, 3), (std::vector<int>{2, 1, kIconUnknown}));
}

TEST_F(IconSlots, AnAddedEntryIsUnknownUntilAFetchHasSeenItsPath) {
    list.Count = 4;
    SetPath(&list, 3, "C:\\d.exe");
    EXPECT_EQ(Matched(&table, list, 4)[3], kIconUnknown);
    const IconSlotTable again = Fetched(list);
    EXPECT_EQ(Matched(&again, list, 4)[3], 3);
}

TEST_F(IconSlots, AnEditedPathDropsTheOldIconEvenUnderTheSameTitle) {
    std::strcpy(list.Entries[1].Path, "C:\\other.exe");
    EXPECT_EQ(Matched(&table, list, 2)[1], kIconUnknown);
}

TEST_F(IconSlots, ComparisonIsExactAndCaseSensitive) {
    EXPECT_EQ(FindIconImage(table, "C:\\A.EXE"), kIconUnknown);
    EXPECT_EQ(FindIconImage(table, "C:\\a.ex"), kIconUnknown);
    EXPECT_EQ(FindIconImage(table, "C:\\a.exe"), 0);
}

TEST_F(IconSlots, AFileWithoutIconStaysWithoutIcon) {
    table.Images[1] = kIconNone;
    EXPECT_EQ(Matched(&table, list, 2)[1], kIconNone);
}

TEST_F(IconSlots, NothingFetchedYetLeavesEveryPositionUnknown) {
    EXPECT_EQ(Matched(nullptr, list, kLauncherCapacity), std::vector<int>(kLauncherCapacity, kIconUnknown));
}

IconFileStamp FileStamp(unsigned long size, unsigned long writeLow = 100) {
    return IconFileStamp{true, 0x20, writeLow, 7, size, 0};
}
constexpr IconFileStamp kAbsent = {false, 0, 0, 0, 0, 0};

TEST_F(IconSlots, StampsDifferByPresenceAttributesTimeAndSizeButAbsentFilesAreAlike) {
    EXPECT_TRUE(SameFileStamp(FileStamp(10), FileStamp(10)));
    EXPECT_FALSE(SameFileStamp(FileStamp(10), FileStamp(11)));
    EXPECT_FALSE(SameFileStamp(FileStamp(10, 100), FileStamp(10, 101)));
    IconFileStamp folder = FileStamp(0);
    folder.Attributes = 0x10;
    EXPECT_FALSE(SameFileStamp(FileStamp(0), folder));
    EXPECT_FALSE(SameFileStamp(FileStamp(10), kAbsent));
    IconFileStamp otherAbsent = {false, 1, 2, 3, 4, 5};
    EXPECT_TRUE(SameFileStamp(kAbsent, otherAbsent));
}

TEST_F(IconSlots, AnUnchangedFileKeepsItsIconAndAChangedOneIsFetchedAgain) {
    // Each path's image and its file as the fetch saw it.
    const IconFileStamp seen[] = {FileStamp(10), FileStamp(20), kAbsent};
    std::copy(seen, seen + 3, table.Stamps);
    table.Images[2] = kIconNone;
    EXPECT_EQ(ReusableIconImage(&table, "C:\\b.exe", FileStamp(20)), 1);
    EXPECT_EQ(ReusableIconImage(&table, "C:\\b.exe", FileStamp(21)), kIconUnknown) << "replaced by another file";
    EXPECT_EQ(ReusableIconImage(&table, "C:\\a.exe", kAbsent), kIconUnknown) << "deleted";
    EXPECT_EQ(ReusableIconImage(&table, "C:\\c.exe", kAbsent), kIconNone) << "still missing";
    EXPECT_EQ(ReusableIconImage(&table, "C:\\c.exe", FileStamp(5)), kIconUnknown) << "created since";
    EXPECT_EQ(ReusableIconImage(&table, "C:\\d.exe", FileStamp(5)), kIconUnknown) << "a path not fetched before";
    EXPECT_EQ(ReusableIconImage(nullptr, "C:\\a.exe", FileStamp(10)), kIconUnknown) << "nothing fetched before";
}

TEST_F(IconSlots, AFileDeletedOrCreatedSinceTheFetchCountsAsAChange) {
    IconFileStamp now[kLauncherCapacity] = {FileStamp(10), kAbsent, FileStamp(30)};
    std::copy(now, now + 3, table.Stamps);
    EXPECT_FALSE(AnyIconFileChanged(table, now));
    now[0] = kAbsent;
    EXPECT_TRUE(AnyIconFileChanged(table, now));
    now[0] = FileStamp(10);
    now[1] = FileStamp(1);
    EXPECT_TRUE(AnyIconFileChanged(table, now));
}

TEST_F(IconSlots, TheFilesAreLookedAtAtMostOnceAnInterval) {
    EXPECT_EQ(MillisecondsUntilFileCheck(1000, 1000, 2000), 2000u);
    EXPECT_EQ(MillisecondsUntilFileCheck(1000, 2500, 2000), 500u);
    EXPECT_EQ(MillisecondsUntilFileCheck(1000, 3000, 2000), 0u);
    EXPECT_EQ(MillisecondsUntilFileCheck(1000, 90000, 2000), 0u);
    // The millisecond counter wraps round after 49.7 days.
    EXPECT_EQ(MillisecondsUntilFileCheck(0xFFFFFF00ul, 0x100ul, 2000), 2000u - 0x200u);
    EXPECT_EQ(MillisecondsUntilFileCheck(0xFFFFFF00ul, 0x1000ul, 2000), 0u);
}

}  // namespace
