#include <gtest/gtest.h>

#include "commands/stored_windows.h"

namespace {

const void* Handle(int n) { return reinterpret_cast<const void*>(static_cast<long>(0x1000 + 4 * n)); }

TEST(StoredWindows, KeepsEachWindowOnce) {
    StoredWindowTable table = {};
    EXPECT_TRUE(AddStored(&table, Handle(1)));
    EXPECT_TRUE(AddStored(&table, Handle(2)));
    EXPECT_TRUE(AddStored(&table, Handle(1)));
    EXPECT_EQ(table.Count, 2);
    EXPECT_TRUE(IsStored(table, Handle(1)));
    EXPECT_TRUE(IsStored(table, Handle(2)));
    EXPECT_FALSE(IsStored(table, Handle(3)));
}

TEST(StoredWindows, NullWindowIsNeverStored) {
    StoredWindowTable table = {};
    EXPECT_FALSE(CanStore(table, nullptr));
    EXPECT_FALSE(AddStored(&table, nullptr));
    EXPECT_EQ(table.Count, 0);
}

TEST(StoredWindows, AFullTableRefusesNewWindowsButKeepsItsOwn) {
    StoredWindowTable table = {};
    for (int i = 0; i < kMaxStoredWindows; ++i) ASSERT_TRUE(AddStored(&table, Handle(i)));
    EXPECT_EQ(table.Count, kMaxStoredWindows);
    // One more would be hidden with no place to be found again.
    EXPECT_FALSE(CanStore(table, Handle(kMaxStoredWindows)));
    EXPECT_FALSE(AddStored(&table, Handle(kMaxStoredWindows)));
    EXPECT_EQ(table.Count, kMaxStoredWindows);
    // A window stored already may be stored again: it is found the same way.
    EXPECT_TRUE(CanStore(table, Handle(0)));
    EXPECT_TRUE(AddStored(&table, Handle(kMaxStoredWindows - 1)));
    EXPECT_EQ(table.Count, kMaxStoredWindows);
}

TEST(StoredWindows, ClearEmptiesTheTable) {
    StoredWindowTable table = {};
    AddStored(&table, Handle(1));
    ClearStored(&table);
    EXPECT_EQ(table.Count, 0);
    EXPECT_FALSE(IsStored(table, Handle(1)));
    EXPECT_TRUE(AddStored(&table, Handle(1)));
}

}  // namespace
