#include "plugin_host/plugin_table.h"

#include <cstring>

#include "common/text_buffers.h"

bool IsFolderAttribute(unsigned long attributes) { return (attributes & 0x10UL) != 0; }

bool PluginTableHasRoom(int count) { return count >= 0 && count < kPluginUsableRows; }

bool FormPluginFileName(char* out, std::size_t outSize, const char* programDir, const char* fileName) {
    if (outSize == 0) return false;
    out[0] = '\0';
    static const char kFolder[] = "plugins\\";
    const std::size_t dirLen = std::strlen(programDir);
    const std::size_t folderLen = sizeof kFolder - 1;
    const std::size_t nameLen = std::strlen(fileName);
    if (dirLen + folderLen + nameLen >= outSize) return false;
    std::memcpy(out, programDir, dirLen);
    std::memcpy(out + dirLen, kFolder, folderLen);
    std::memcpy(out + dirLen + folderLen, fileName, nameLen + 1);
    return true;
}

void CopyDisplayName(char* row, std::size_t rowSize, const char* written) {
    if (rowSize == 0) return;
    const std::size_t i = Cp932FitLength(written, rowSize - 1);
    std::memcpy(row, written, i);
    row[i] = '\0';
}
