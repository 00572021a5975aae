// A 32-bit program on 64-bit Windows that names a file in the system folder
// (C:\Windows\System32) is sent to the 32-bit system folder (SysWOW64) by the
// file-system redirection. The folder's other name "Sysnative", beside it, is
// not redirected and reaches the real one.
#pragma once
#include <cstddef>

// When path lies in systemFolder (as GetSystemDirectoryA gives it, for example
// "C:\WINDOWS\system32"; the folder's letters compared without case) or is that
// folder, writes the same path through "Sysnative" into out
// ("C:\WINDOWS\Sysnative\..."). Returns false, out untouched, when path lies
// elsewhere or the result does not fit in outSize bytes.
bool SysnativePath(const char* path, const char* systemFolder, char* out, std::size_t outSize);
