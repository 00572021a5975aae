#include "common/system_folder_path.h"

#include <cstring>

#include "common/text_buffers.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of folder (without a final backslash) when path begins with it,
// followed by a backslash or its end; 0 otherwise. Double-byte characters are
// compared exactly, ASCII letters without case.
std::size_t FolderPrefix(const char* path, const char* folder) {
    std::size_t length = std::strlen(folder);
    while (length > 0 && folder[length - 1] == '\\') --length;
    if (length == 0) return 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(folder[i])) && i + 1 < length) {
            if (path[i] != folder[i] || path[i + 1] != folder[i + 1]) return 0;
            ++i;
            continue;
        }
        if (path[i] == '\0' || LowerAscii(path[i]) != LowerAscii(folder[i])) return 0;
    }
    return (path[length] == '\\' || path[length] == '\0') ? length : 0;
}

}  // namespace

bool SysnativePath(const char* path, const char* systemFolder, char* out, std::size_t outSize) {
    const std::size_t folder = FolderPrefix(path, systemFolder);
    if (folder == 0) return false;
    // The parent of the system folder, with its backslash: "C:\WINDOWS\".
    std::size_t parent = folder;
    while (parent > 0 && systemFolder[parent - 1] != '\\') --parent;
    if (parent == 0) return false;
    const char kNative[] = "Sysnative";
    const std::size_t rest = std::strlen(path + folder);
    if (parent + sizeof kNative - 1 + rest + 1 > outSize) return false;
    std::memcpy(out, systemFolder, parent);
    std::memcpy(out + parent, kNative, sizeof kNative - 1);
    std::memcpy(out + parent + sizeof kNative - 1, path + folder, rest + 1);
    return true;
}
