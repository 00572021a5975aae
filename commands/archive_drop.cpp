#include "commands/archive_drop.h"

// Extraction goes through the outside archive libraries, which this build does
// not drive yet: a dropped archive is accepted and left as it is.
void ExtractDroppedArchive(HWND, const char*, ArchiveKind) {}
