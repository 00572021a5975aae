#include "commands/archive_command.h"

#include <cstdio>

#include "common/path_ops.h"
#include "common/text_buffers.h"

namespace {

bool Fits(int written, std::size_t size) { return written >= 0 && static_cast<std::size_t>(written) < size; }

}  // namespace

bool BuildArchiveCommandLine(ArchiveKind kind, const char* archivePath, char* out, std::size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    // The folder is never longer than the path itself.
    char folder[kTextSize];
    if (!CopyText(folder, sizeof folder, archivePath)) return false;
    DirectoryPart(folder);
    const char* format = kind == ArchiveKind::Lzh ? "e \"%s\" \"%s\" *.*" : "\"%s\" \"%s\"";
    int written = std::snprintf(out, outSize, format, archivePath, folder);
    if (Fits(written, outSize)) return true;
    out[0] = '\0';
    return false;
}

bool BuildRecycleQuestion(const char* archivePath, char* out, std::size_t outSize) {
    if (outSize == 0) return false;
    int written = std::snprintf(out, outSize, "%s\n解凍は正常に終了しました。\nこの元の圧縮ファイルをごみ箱に移動しますか？",
                                archivePath);
    if (Fits(written, outSize)) return true;
    out[0] = '\0';
    return false;
}
