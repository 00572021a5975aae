#include "commands/archive_command.h"

#include <string>

#include "common/path_ops.h"
#include "common/text_buffers.h"

namespace {

// Copies text into out (outSize bytes) when it fits whole; leaves out empty when not.
bool CopyWhole(const std::string& text, char* out, std::size_t outSize) {
    if (CopyText(out, outSize, text.c_str())) return true;
    out[0] = '\0';
    return false;
}

}  // namespace

bool BuildArchiveCommandLine(ArchiveKind kind, const char* archivePath, char* out, std::size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    // The folder is never longer than the path itself.
    char folder[kTextSize];
    if (!CopyText(folder, sizeof folder, archivePath)) return false;
    DirectoryPart(folder);
    const std::string paths = '"' + std::string(archivePath) + "\" \"" + folder + '"';
    return CopyWhole(kind == ArchiveKind::Lzh ? "e " + paths + " *.*" : paths, out, outSize);
}

bool BuildRecycleQuestion(const char* archivePath, char* out, std::size_t outSize) {
    if (outSize == 0) return false;
    return CopyWhole(std::string(archivePath) + "\n解凍は正常に終了しました。\nこの元の圧縮ファイルをごみ箱に移動しますか？",
                     out, outSize);
}
