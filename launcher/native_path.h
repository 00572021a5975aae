// Paths the program keeps (a launcher entry, a window's program) as the
// 32-bit Pelto must use them on 64-bit Windows. There the file-system
// redirection sends it from the system folder (C:\Windows\System32) to its
// 32-bit namesake (SysWOW64): a 64-bit program added from its window there
// would neither start nor show its icon. The path kept stays the real one.
#pragma once
#include <windows.h>

#include <cstddef>

// path itself, or buffer (size bytes) holding the same path through
// "Sysnative" (the system folder's name that is not redirected) when the
// program runs as 32-bit on 64-bit Windows (IsWow64Process, looked up: Windows
// 98 and 2000 have none) and path lies in the system folder. For the file
// system and ShellExecuteA. Any thread.
const char* NativePath(const char* path, char* buffer, std::size_t size);

// While it lives, the calling thread's redirection is off when NativePath would
// change path: the shell's icon look-up takes no "Sysnative" path (Wine 8.0
// gives none), but finds the real file this way. Kept to the one call, since
// the thread's own library loads are not redirected meanwhile either.
class RedirectionOffFor {
public:
    explicit RedirectionOffFor(const char* path);
    ~RedirectionOffFor();
    RedirectionOffFor(const RedirectionOffFor&) = delete;
    RedirectionOffFor& operator=(const RedirectionOffFor&) = delete;

private:
    void* old_ = nullptr;
    bool off_ = false;
};
