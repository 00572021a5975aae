// The functions Pelto uses whose Windows 98 behaviour differs from Wine's, and
// what the shim puts in their place.
#pragma once

// The replacement for dll!function, or null when the call is left alone.
void* RuleFor(const char* dll, const char* function);

// Whether a function looked up by name does not exist on Windows 98 at all.
bool AbsentOn98(const char* dll, const char* function);

// Whether two library names name the same library ("KERNEL32.dll", "kernel32").
bool SameDll(const char* a, const char* b);

// The file name part of a path.
const char* FileNameOf(const char* path);
