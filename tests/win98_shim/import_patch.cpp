#include "import_patch.h"

namespace {

template <class T>
T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

void WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

int PatchImports(HMODULE module, ReplacementLookup lookup) {
    if (!module) return 0;
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    IMAGE_NT_HEADERS* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    if (nt->Signature != IMAGE_NT_SIGNATURE) return 0;
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0 || directory.Size == 0) return 0;

    int patched = 0;
    for (IMAGE_IMPORT_DESCRIPTOR* d = At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); d->Name; ++d) {
        // The names come from the lookup table; the address table beside it
        // holds what the loader bound, and is what calls go through.
        if (!d->OriginalFirstThunk || !d->FirstThunk) continue;
        const char* dll = At<const char>(module, d->Name);
        IMAGE_THUNK_DATA* names = At<IMAGE_THUNK_DATA>(module, d->OriginalFirstThunk);
        void** slots = At<void*>(module, d->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
            const char* function =
                reinterpret_cast<const char*>(At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names[i].u1.AddressOfData))->Name);
            void* replacement = lookup(dll, function);
            if (!replacement) continue;
            if (slots[i] != replacement) WriteSlot(&slots[i], replacement);
            ++patched;
        }
    }
    return patched;
}
