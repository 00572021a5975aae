// Which family of Windows the program runs on. The Windows 95/98 family and the
// NT family (2000 and later) differ in what they offer; the few places that must
// choose ask here.
#pragma once
#include <windows.h>

enum class WindowsFamily { Windows9x, WindowsNt, Unknown };

inline WindowsFamily RunningWindowsFamily() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return WindowsFamily::Unknown;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return WindowsFamily::WindowsNt;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return WindowsFamily::Windows9x;
    return WindowsFamily::Unknown;
}
