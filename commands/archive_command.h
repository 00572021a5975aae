// The texts of an archive drop: the command line handed to the archive library
// and the recycle-bin question, each built into a fixed buffer or refused.
#pragma once
#include <cstddef>

enum class ArchiveKind { Lzh, Zip };

// LZH: e "<archive>" "<folder>" *.*    ZIP: "<archive>" "<folder>"
// where the folder is the archive's path up to and including its last
// backslash. Returns false, leaving out empty, when the line does not fit in
// outSize bytes with its terminator: a cut path would name another file.
bool BuildArchiveCommandLine(ArchiveKind kind, const char* archivePath, char* out, std::size_t outSize);

// The path followed by the question whether to move the archive to the recycle
// bin. False, leaving out empty, when it does not fit.
bool BuildRecycleQuestion(const char* archivePath, char* out, std::size_t outSize);
