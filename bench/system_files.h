// Files every system has, for benchmarks that fill the launcher list with
// entries whose shell icons are real.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// Up to count programs and libraries of the system folder whose full paths fit
// a launcher entry (at most 100 bytes) and hold no blank.
inline std::vector<std::string> SystemFiles(std::size_t count) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::vector<std::string> files;
    for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(system) + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            std::string path = std::string(system) + "\\" + found.cFileName;
            if (path.size() <= 100 && path.find(' ') == std::string::npos) files.push_back(path);
        } while (files.size() < count && FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}
