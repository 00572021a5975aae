#include "common/path_ops.h"

#include <cstring>

void DirectoryPart(char* path) {
    char* last = std::strrchr(path, '\\');
    if (last) last[1] = '\0';
}

void TailAfterLast(char* text, char separator) {
    if (!std::strchr(text, '\\')) return;
    std::size_t len = std::strlen(text);
    // Scan back from the last character down to the second one.
    std::size_t from = 1;
    for (std::size_t i = len - 1; i >= 1; --i) {
        if (text[i] == separator) {
            from = i + 1;
            break;
        }
    }
    std::memmove(text, text + from, len - from + 1);
}
