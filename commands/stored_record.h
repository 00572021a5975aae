// The file "stored_windows" in the program's folder: the windows stored in the
// notification area, kept there while any is stored so that none stays hidden
// for good when Pelto is killed.
#pragma once

#include "commands/stored_windows.h"

// Writes the record of the table's windows (handle, process, class, title)
// through a temporary file and a replace, before they are hidden; an empty
// table removes the file. A record that cannot be written is left out
// silently: the store goes on as without it.
void SaveStoredRecord(const StoredWindowTable& table);

// At start-up: shows again every recorded window that still exists, is hidden,
// and still belongs to the same process with the same class, then removes the
// record. While another Pelto runs (its skin window exists) the record may be
// its own, and is left alone.
void ShowWindowsLeftStored();
