// The guard of a function-local static that is initialised at run time (a
// function looked up on first use, say): the C++ library's own guard.o throws
// on a recursive initialisation and so brings in its exception support, built
// for the Pentium Pro. Linked as an object into each 32-bit program and plug-in.
// Plug-ins run on threads of their own, so the guard stays thread-safe: one
// lock, made at the first guarded initialisation, is held while an initialiser
// runs (a critical section, so that an initialiser may start another), and a
// second thread waits for the first to finish.
#include <windows.h>

#include <cstdlib>
#include <cxxabi.h>

namespace {

CRITICAL_SECTION InitLock;
int InitLockState = 0;  // 0 not made, 1 being made, 2 ready

void EnterInitLock() {
    if (__atomic_load_n(&InitLockState, __ATOMIC_ACQUIRE) != 2) {
        int expected = 0;
        if (__atomic_compare_exchange_n(&InitLockState, &expected, 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
            InitializeCriticalSection(&InitLock);
            __atomic_store_n(&InitLockState, 2, __ATOMIC_RELEASE);
        } else {
            while (__atomic_load_n(&InitLockState, __ATOMIC_ACQUIRE) != 2) Sleep(0);
        }
    }
    EnterCriticalSection(&InitLock);
}

// The compiler tests the first byte (initialised); the second marks an
// initialiser that is running.
unsigned char* GuardBytes(__cxxabiv1::__guard* guard) { return reinterpret_cast<unsigned char*>(guard); }

}  // namespace

namespace __cxxabiv1 {

extern "C" int __cxa_guard_acquire(__guard* guard) {
    unsigned char* bytes = GuardBytes(guard);
    if (__atomic_load_n(&bytes[0], __ATOMIC_ACQUIRE)) return 0;
    EnterInitLock();
    if (bytes[0]) {
        LeaveCriticalSection(&InitLock);
        return 0;
    }
    // The same thread back in an initialiser that has not finished: the
    // library's guard throws there, uncaught.
    if (bytes[1]) std::abort();
    bytes[1] = 1;
    return 1;
}

extern "C" void __cxa_guard_release(__guard* guard) noexcept {
    unsigned char* bytes = GuardBytes(guard);
    bytes[1] = 0;
    __atomic_store_n(&bytes[0], 1, __ATOMIC_RELEASE);
    LeaveCriticalSection(&InitLock);
}

extern "C" void __cxa_guard_abort(__guard* guard) noexcept {
    GuardBytes(guard)[1] = 0;
    LeaveCriticalSection(&InitLock);
}

}  // namespace __cxxabiv1
