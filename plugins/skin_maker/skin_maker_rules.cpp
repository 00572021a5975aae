#include "plugins/skin_maker/skin_maker_rules.h"

#include <cstdio>

#include "common/path_ops.h"
#include "common/text_buffers.h"

int NextAnchorState(int state) {
    const int next = state + 1;
    return next >= 5 ? 1 : next;
}

const char* AnchorCornerText(int state) {
    switch (state) {
    case 1: return "左上";
    case 2: return "右上";
    case 3: return "右下";
    case 4: return "左下";
    default: return "";
    }
}

SkinPathsFit BuildSkinPaths(const char* hostPath, const char* skinName, const char* bitmapFileName, char* skinFolder,
                            char* definitionPath, char* bitmapTarget, std::size_t size) {
    SkinPathsFit fit = {false, false};
    if (size == 0) return fit;
    skinFolder[0] = definitionPath[0] = bitmapTarget[0] = '\0';
    char programDir[kTextSize];
    if (!CopyText(programDir, sizeof programDir, hostPath)) return fit;
    DirectoryPart(programDir);
    fit.definition = JoinText(skinFolder, size, programDir, "skin\\") &&
                     JoinText(definitionPath, size, skinFolder, skinName, ".skn");
    if (!fit.definition) {
        skinFolder[0] = definitionPath[0] = '\0';
        return fit;
    }
    fit.bitmap = JoinText(bitmapTarget, size, skinFolder, bitmapFileName);
    if (!fit.bitmap) bitmapTarget[0] = '\0';
    return fit;
}

SkinFileFields NewSkinDefinition(const char* bitmapFileName, int anchor, int normalX, int normalY, int smallX,
                                 int smallY, const char* author) {
    SkinFileFields f;
    CopyText(f.BitmapFileName, sizeof f.BitmapFileName, bitmapFileName);
    f.AnchorCorner = anchor;
    f.NormalX = normalX;
    f.NormalY = normalY;
    f.SmallX = smallX;
    f.SmallY = smallY;
    CopyText(f.Author, sizeof f.Author, author);
    return f;
}
