// Stand-ins for the outside archive libraries, for the end-to-end tests only
// (never installed). Built three times:
//   UNLHA32.DLL with Unlha   -- command line: e "<archive>" "<folder>" *.*
//   UNZIP32.DLL with UnZip   -- command line: "<archive>" "<folder>"
//   UNZIP32.DLL without UnZip (a library of the wrong version)
// Each call appends its command line and a line end to archive_calls.log beside
// the library, then really extracts the archive's members into the folder. The
// archives are the uncompressed forms of the two formats: LZH level-0 headers
// with method -lh0-, ZIP local headers with method 0 (stored). The result is
// 0 for a normal end and 1 for anything else.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/targets/plain_window.h"

namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

void AppendToLog(const char* commandLine) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(ThisModule(), path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    std::string log(path, n);
    log = log.substr(0, log.find_last_of('\\') + 1) + "archive_calls.log";
    AppendToFile(log.c_str(), std::string(commandLine) + "\n");
}

// Words of the command line; a double-quoted word keeps its blanks.
std::vector<std::string> Words(const char* line) {
    std::vector<std::string> words;
    const char* p = line;
    for (;;) {
        while (*p == ' ') ++p;
        if (!*p) break;
        std::string word;
        if (*p == '"') {
            ++p;
            while (*p && *p != '"') word += *p++;
            if (*p != '"') return {};  // unbalanced quote
            ++p;
        } else {
            while (*p && *p != ' ') word += *p++;
        }
        words.push_back(word);
    }
    return words;
}

bool ReadWhole(const std::string& path, std::string* bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes->append(chunk, got);
    CloseHandle(f);
    return true;
}

struct Member {
    std::string name;
    std::string data;
};

unsigned Little(const std::string& b, std::size_t at, int bytes) {
    unsigned v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

bool ParseLzh(const std::string& b, std::vector<Member>* members) {
    std::size_t at = 0;
    while (at < b.size() && b[at] != '\0') {
        if (at + 22 > b.size()) return false;
        std::size_t headerSize = static_cast<unsigned char>(b[at]);
        if (b.compare(at + 2, 5, "-lh0-") != 0 || b[at + 20] != 0) return false;  // stored, level 0
        unsigned packed = Little(b, at + 7, 4);
        std::size_t nameLength = static_cast<unsigned char>(b[at + 21]);
        if (headerSize != 22 + nameLength || at + 2 + headerSize + packed > b.size()) return false;
        members->push_back({b.substr(at + 22, nameLength), b.substr(at + 2 + headerSize, packed)});
        at += 2 + headerSize + packed;
    }
    return at < b.size() && !members->empty();  // the end mark is there
}

bool ParseZip(const std::string& b, std::vector<Member>* members) {
    std::size_t at = 0;
    while (at + 30 <= b.size() && b.compare(at, 4, "PK\x03\x04", 4) == 0) {
        if (Little(b, at + 8, 2) != 0) return false;  // stored only
        unsigned size = Little(b, at + 18, 4);
        std::size_t nameLength = Little(b, at + 26, 2), extraLength = Little(b, at + 28, 2);
        std::size_t data = at + 30 + nameLength + extraLength;
        if (data + size > b.size()) return false;
        members->push_back({b.substr(at + 30, nameLength), b.substr(data, size)});
        at = data + size;
    }
    return !members->empty();
}

bool Extract(const std::string& archive, const std::string& folder, bool lzh) {
    std::string bytes;
    std::vector<Member> members;
    if (!ReadWhole(archive, &bytes) || !(lzh ? ParseLzh(bytes, &members) : ParseZip(bytes, &members))) return false;
    if (folder.empty() || folder.back() != '\\') return false;
    for (const Member& m : members) {
        if (m.name.empty() || m.name.find_first_of("\\/:") != std::string::npos) return false;
        HANDLE f = CreateFileA((folder + m.name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        BOOL ok = m.data.empty() || WriteFile(f, m.data.data(), static_cast<DWORD>(m.data.size()), &written, nullptr);
        CloseHandle(f);
        if (!ok || written != m.data.size()) return false;
    }
    return true;
}

int Run(const char* commandLine, LPSTR output, DWORD outputSize, bool lzh) {
    AppendToLog(commandLine ? commandLine : "(null)");
    if (output && outputSize) output[0] = '\0';
    if (!commandLine) return 1;
    std::vector<std::string> w = Words(commandLine);
    if (lzh) {
        if (w.size() != 4 || w[0] != "e" || w[3] != "*.*") return 1;
        return Extract(w[1], w[2], true) ? 0 : 1;
    }
    if (w.size() != 2) return 1;
    return Extract(w[0], w[1], false) ? 0 : 1;
}

}  // namespace

#if defined(PELTO_DOUBLE_LZH)
extern "C" __declspec(dllexport) int WINAPI Unlha(HWND, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    return Run(commandLine, output, outputSize, true);
}
#elif defined(PELTO_DOUBLE_ZIP)
extern "C" __declspec(dllexport) int WINAPI UnZip(HWND, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    return Run(commandLine, output, outputSize, false);
}
#else
// An old library: the entry has another name.
extern "C" __declspec(dllexport) int WINAPI UnZipOld(HWND, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    return Run(commandLine, output, outputSize, false);
}
#endif
