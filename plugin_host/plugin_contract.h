// The contract between Pelto and its plug-ins. A plug-in is a DLL named *.ppi in
// the plugins folder beside Pelto.exe that exports, undecorated and by name,
//
//   char* WINAPI PpiGetData(char* displayName);
//       Writes the plug-in's name (at most 100 bytes and a zero) into the host's
//       101-byte buffer and returns displayName. Called on the host's user-interface
//       thread while the host has the library loaded just for this call.
//
//   int WINAPI PpiStart(HWND hostWindow, HWND targetWindow, const char* hostPath,
//                       const char* targetExePath);
//       Runs the plug-in. Called on a new thread of the host's, made for this one
//       start; the host unloads the library when it returns, so nothing of the
//       plug-in (window, timer, thread, callback) may outlive the call. hostPath is
//       the full path of Pelto.exe, targetExePath the program of targetWindow; both
//       stay unchanged until the call returns. Several starts, of this plug-in too,
//       may run at once, each on its own thread.
//
// Texts are zero-terminated code page 932 strings. The results are ignored.
#pragma once
#include <windows.h>

constexpr int kPluginDisplayNameSize = 101;  // 100 bytes and the terminating zero

extern "C" {
typedef char*(WINAPI* PpiGetDataFunction)(char* displayName);
typedef int(WINAPI* PpiStartFunction)(HWND hostWindow, HWND targetWindow, const char* hostPath,
                                      const char* targetExePath);
}

// The export names the host looks up.
constexpr char kPpiGetDataName[] = "PpiGetData";
constexpr char kPpiStartName[] = "PpiStart";

#ifdef PELTO_PLUGIN
// What a plug-in defines. Give the names in a .def file so that the 32-bit build
// exports them without the @N decoration of WINAPI functions.
extern "C" {
char* WINAPI PpiGetData(char* displayName);
int WINAPI PpiStart(HWND hostWindow, HWND targetWindow, const char* hostPath, const char* targetExePath);
}
#endif
