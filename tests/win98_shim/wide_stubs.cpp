#include "wide_stubs.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "rules.h"
#include "shim_log.h"

namespace {

struct WideFunction {
    const char* dll;
    const char* name;
    unsigned argumentBytes;  // what the stdcall function pops on return
};

// Every ...W function of the system libraries that has an ...A twin, with its
// argument size, read from the MinGW-w64 import libraries at build time.
const WideFunction kWideFunctions[] = {
#include "wide_functions.inc"
};
constexpr std::size_t kWideCount = sizeof kWideFunctions / sizeof kWideFunctions[0];

// The wide functions Windows 95/98 really implement (Microsoft's list of the
// Unicode functions of those systems; lstrcpyW and lstrcatW from Windows 98 on).
const char* const kImplementedOn98[] = {
    "EnumResourceLanguagesW", "EnumResourceNamesW", "EnumResourceTypesW", "ExtTextOutW",   "FindResourceW",
    "FindResourceExW",        "GetCharWidthW",      "GetCommandLineW",    "GetTextExtentExPointW",
    "GetTextExtentPoint32W",  "GetTextExtentPointW", "lstrlenW",          "lstrcpyW",      "lstrcatW",
    "MessageBoxW",            "MessageBoxExW",      "TextOutW",
};

bool ImplementedOn98(const char* name) {
    for (const char* n : kImplementedOn98)
        if (std::strcmp(n, name) == 0) return true;
    return false;
}

// One stub per function: push the table entry, jump to the common part.
constexpr std::size_t kStubSize = 16;
BYTE* stubMemory = nullptr;
void* stubs[kWideCount];
CRITICAL_SECTION stubLock;
bool stubLockReady = []() {
    InitializeCriticalSection(&stubLock);
    return true;
}();

}  // namespace

// Called by every stub with its table entry: records the refused call and
// gives the byte count the stub must pop. cdecl, called from the assembly below.
extern "C" unsigned WideStubRefuse(const WideFunction* entry, void* returnAddress) {
    Refuse(returnAddress, ERROR_CALL_NOT_IMPLEMENTED, entry->name,
           "Windows 95/98 implement this wide-character function only as a stub that fails");
    return entry->argumentBytes;
}

// Stack on entry: the table entry (pushed by the stub), the caller's return
// address, the caller's arguments. Returns 0 (FALSE or null) to the caller with
// its arguments popped, as a stdcall function does.
asm(".text\n"
    ".globl _WideStubCommon\n"
    "_WideStubCommon:\n"
    "    pushl 4(%esp)\n"          // return address, second argument
    "    pushl 4(%esp)\n"          // table entry, first argument
    "    call _WideStubRefuse\n"
    "    addl $8, %esp\n"
    "    popl %ecx\n"              // the table entry
    "    popl %ecx\n"              // the return address
    "    addl %eax, %esp\n"
    "    pushl %ecx\n"
    "    xorl %eax, %eax\n"
    "    ret\n");
extern "C" void WideStubCommon();

void* WideStubFor(const char* dll, const char* function) {
    std::size_t length = std::strlen(function);
    if (length < 2 || function[length - 1] != 'W' || ImplementedOn98(function)) return nullptr;
    for (std::size_t i = 0; i < kWideCount; ++i) {
        if (std::strcmp(kWideFunctions[i].name, function) != 0 || !SameDll(kWideFunctions[i].dll, dll)) continue;
        EnterCriticalSection(&stubLock);
        if (!stubMemory)
            stubMemory = static_cast<BYTE*>(
                VirtualAlloc(nullptr, kWideCount * kStubSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
        if (stubMemory && !stubs[i]) {
            BYTE* stub = stubMemory + i * kStubSize;
            const WideFunction* entry = &kWideFunctions[i];
            stub[0] = 0x68;  // push imm32
            std::memcpy(stub + 1, &entry, 4);
            stub[5] = 0xE9;  // jmp rel32
            const LONG_PTR jump = reinterpret_cast<LONG_PTR>(&WideStubCommon) - reinterpret_cast<LONG_PTR>(stub + 10);
            const INT32 relative = static_cast<INT32>(jump);
            std::memcpy(stub + 6, &relative, 4);
            FlushInstructionCache(GetCurrentProcess(), stub, kStubSize);
            stubs[i] = stub;
        }
        void* stub = stubs[i];
        LeaveCriticalSection(&stubLock);
        return stub;
    }
    return nullptr;
}
