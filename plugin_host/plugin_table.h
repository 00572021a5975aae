// The rules by which a discovery pass fills the plug-in table: which files get a
// row, the row's file name and display name. Plain data, no platform calls.
#pragma once
#include <cstddef>

// Rows that a popup choice can reach (its ids 0 to 99); the table has one more
// row, which discovery never fills.
constexpr int kPluginUsableRows = 100;

// Whether a search result is a folder: folders are never plug-ins, whatever other
// attributes they carry.
bool IsFolderAttribute(unsigned long attributes);

// Whether the table can take one more plug-in after count rows.
bool PluginTableHasRoom(int count);

// Writes programDir + "plugins\" + fileName into out (outSize bytes with the
// zero). Returns false, leaving out empty, when the path does not fit: a cut
// path would name another file.
bool FormPluginFileName(char* out, std::size_t outSize, const char* programDir, const char* fileName);

// Copies a display name as a plug-in wrote it into a row of rowSize bytes, cut
// if it is longer, never in the middle of a code page 932 double-byte character.
void CopyDisplayName(char* row, std::size_t rowSize, const char* written);
