// What the shim saw, one line each, appended to the file named by the
// environment variable PELTO_WIN98_SHIM_LOG (nothing is written without it):
//   <pid> LOADED <program>            the shim is in place in that process
//   <pid> PATCHED <module> <n>        n import slots of a module now go through the rules
//   <pid> REFUSED <function> ...      a call Windows 98 refuses (the test driver fails the test)
//   <pid> READ <key>\<value>          a registry value read under HKEY_DYN_DATA
#pragma once

// Appends one line; keeps the caller's last-error value.
void ShimLog(const char* kind, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A refused call: logs it with the module the call came from, then sets the
// error the call gives on Windows 98.
void Refuse(void* returnAddress, unsigned long error, const char* function, const char* why);
#define REFUSE(error, function, why) Refuse(__builtin_return_address(0), (error), (function), (why))
