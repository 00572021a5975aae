// Functions the program looks up at run time rather than imports: those some
// Windows it runs on lacks (an import would stop it from starting there), and
// those of the plug-ins and the archive libraries.
#pragma once
#include <windows.h>

#include <cstring>
#include <type_traits>

// The function name in module, typed by the caller, or null when the module is
// null or lacks it. Function is a function type or a pointer to one. Give the
// SDK's own declaration where the headers have one, decltype(::MoveFileExA), so
// that a wrong signature cannot compile.
template <class Function>
auto LibraryFunction(HMODULE module, const char* name) {
    using Pointer = std::conditional_t<std::is_pointer_v<Function>, Function, Function*>;
    if (!module) return static_cast<Pointer>(nullptr);
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loads a system library from the system folder, never from the search path
// (which begins with the program's own folder). The caller frees it; null when
// it cannot be loaded.
inline HMODULE LoadSystemLibrary(const char* fileName) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, sizeof path);
    const std::size_t nameLength = std::strlen(fileName);
    if (length == 0 || length + 1 + nameLength >= sizeof path) return nullptr;
    path[length] = '\\';
    std::memcpy(path + length + 1, fileName, nameLength + 1);
    return LoadLibraryA(path);
}
