#include "commands/stored_windows.h"

bool IsStored(const StoredWindowTable& table, const void* window) {
    for (int i = 0; i < table.Count && i < kMaxStoredWindows; ++i)
        if (table.Windows[i] == window) return true;
    return false;
}

bool CanStore(const StoredWindowTable& table, const void* window) {
    if (!window) return false;
    return IsStored(table, window) || table.Count < kMaxStoredWindows;
}

bool AddStored(StoredWindowTable* table, const void* window) {
    if (!CanStore(*table, window)) return false;
    if (!IsStored(*table, window)) table->Windows[table->Count++] = window;
    return true;
}

void ClearStored(StoredWindowTable* table) { table->Count = 0; }
