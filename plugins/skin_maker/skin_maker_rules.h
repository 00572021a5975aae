// The skin maker's decisions on plain data: the anchor button's cycle, the
// offset fields, where a new skin goes and the definition line it gets.
#pragma once
#include <cstddef>

#include "core/skin_format.h"

// The anchor state after one press of the anchor button: top-right (2),
// bottom-right (3), bottom-left (4), top-left (1), top-right again.
int NextAnchorState(int state);

// The button's text for a state: "左上", "右上", "右下" or "左下" (CP932); "" for
// any other state.
const char* AnchorCornerText(int state);

// Which of the paths BuildSkinPaths made fit their buffers.
struct SkinPathsFit {
    bool definition;  // the skin folder and the definition file
    bool bitmap;      // the bitmap's place in the skin folder
};

// From the host's module path: the skin folder (its folder + "skin\"), the
// definition file (folder + skinName + ".skn") and the bitmap's place in the skin
// folder (folder + bitmapFileName). Each buffer holds size bytes. A path that
// does not fit is left empty, and says so in the result; when the skin folder
// or the definition does not fit, all three are empty. The bitmap's place is
// told apart because the definition is still written without it (the copy
// then fails).
SkinPathsFit BuildSkinPaths(const char* hostPath, const char* skinName, const char* bitmapFileName, char* skinFolder,
                            char* definitionPath, char* bitmapTarget, std::size_t size);

// The fields of a new skin's definition, for the shared skin file writer
// (FormatSkinText). Texts longer than a field are cut to its 259 bytes.
SkinFileFields NewSkinDefinition(const char* bitmapFileName, int anchor, int normalX, int normalY, int smallX,
                                 int smallY, const char* author);
