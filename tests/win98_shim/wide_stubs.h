// Windows 95/98 export most wide-character (...W) functions only as stubs that
// fail with ERROR_CALL_NOT_IMPLEMENTED. These are such stubs for every wide
// function of the system libraries, made on demand.
#pragma once

// A stub for dll!function when Windows 98 only stubs it, else null (the
// function is no wide one, or one of the few that Windows 98 implements).
void* WideStubFor(const char* dll, const char* function);
