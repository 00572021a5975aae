#include "plugin_host/plugin_table.h"

#include <cstring>

namespace {

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

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
    std::size_t i = 0;
    while (written[i] != '\0') {
        const std::size_t step = IsCp932LeadByte(static_cast<unsigned char>(written[i])) && written[i + 1] != '\0' ? 2 : 1;
        if (i + step > rowSize - 1) break;
        i += step;
    }
    std::memcpy(row, written, i);
    row[i] = '\0';
}
