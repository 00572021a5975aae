// What the program does when a delay-loaded system library, or one of its
// functions, cannot be loaded at its first call (64-bit build): which library
// a name is, and how the function's stand-in reports failure to its caller.
#pragma once

// The delay-loaded libraries by the names the build gives them (compared
// without case): 0 SHELL32.dll, 1 ole32.dll, 2 comdlg32.dll, 3 COMCTL32.dll;
// -1 for any other name or null.
int DelayLoadedLibraryIndex(const char* name);

enum class StandInResult {
    Zero,            // a null handle or pointer, FALSE, a count of 0, or nothing (void)
    MinusOne,        // an index of -1 (ImageList_ReplaceIcon)
    FailedHresult,   // E_FAIL (CoInitialize, CoCreateInstance)
    NonZero,         // any result but 0 (SHFileOperationA's error code)
};

// How the stand-in for function answers; null (a function asked for by
// ordinal) or an unknown name: Zero.
StandInResult StandInFor(const char* function);
