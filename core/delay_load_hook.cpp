// The 64-bit build loads the shell, COM, the common dialogs and the common
// controls at their first call (cmake/delay_imports.cmake). Without a failure
// hook, a library or function that cannot be loaded then raises an exception
// that ends the process, silently, on whichever thread made the call (the icon
// worker's, seconds after start-up, for one). This hook reports it instead and
// gives the caller a stand-in that fails the way the function reports failure,
// so that only the feature that needed it fails and the program goes on.
#include <windows.h>

#include <delayimp.h>

#include "core/delay_load_rules.h"
#include "core/missing_library.h"

// On x86-64 the caller removes the arguments and the result comes back in a
// register, so one function without parameters can stand in for any of them.
// (The 32-bit build, whose __stdcall callees remove their own arguments, does
// not delay-load.)
static_assert(sizeof(void*) == 8, "the stand-ins need the 64-bit calling convention");

namespace {

INT_PTR WINAPI AnswersZero() { return 0; }
INT_PTR WINAPI AnswersMinusOne() { return -1; }
INT_PTR WINAPI AnswersFailedHresult() { return static_cast<LONG>(E_FAIL); }
INT_PTR WINAPI AnswersNonZero() { return 1; }

FARPROC StandIn(const char* function) {
    switch (StandInFor(function)) {
    case StandInResult::MinusOne: return reinterpret_cast<FARPROC>(AnswersMinusOne);
    case StandInResult::FailedHresult: return reinterpret_cast<FARPROC>(AnswersFailedHresult);
    case StandInResult::NonZero: return reinterpret_cast<FARPROC>(AnswersNonZero);
    case StandInResult::Zero: break;
    }
    return reinterpret_cast<FARPROC>(AnswersZero);
}

FARPROC WINAPI DelayLoadFailed(unsigned notification, PDelayLoadInfo info) {
    if (notification == dliFailLoadLib) {
        ReportMissingLibrary(info->szDll, nullptr);
        // The program's own module exports none of the library's functions: the
        // helper then fails to find each of them there, and each gets its stand-in.
        return reinterpret_cast<FARPROC>(GetModuleHandleA(nullptr));
    }
    if (notification == dliFailGetProc) {
        const char* name = info->dlp.fImportByName ? info->dlp.szProcName : nullptr;
        ReportMissingLibrary(info->szDll, name ? name : "#");
        return StandIn(name);
    }
    return nullptr;
}

}  // namespace

// The delay-load helper of MinGW-w64's runtime calls this when a load fails
// (declared extern "C" by delayimp.h; defined here, so the runtime's empty one
// is not linked).
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailed;
