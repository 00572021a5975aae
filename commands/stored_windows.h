// The windows a store in the notification area has hidden. A window is hidden
// only once it has a place here, so that every hidden window can be shown again.
#pragma once

constexpr int kMaxStoredWindows = 64;

struct StoredWindowTable {
    const void* Windows[kMaxStoredWindows];  // window handles, as plain values
    int Count;
};

// Whether the window is in the table already.
bool IsStored(const StoredWindowTable& table, const void* window);

// Whether a store may hide the window: it is in the table already or there is
// room for it. A null window is never stored (there is nothing to hide).
bool CanStore(const StoredWindowTable& table, const void* window);

// Puts the window in the table; returns false (and changes nothing) when it
// cannot be stored. A window already there is kept once.
bool AddStored(StoredWindowTable* table, const void* window);

void ClearStored(StoredWindowTable* table);
