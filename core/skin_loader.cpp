#include "core/skin_loader.h"

#include <string>

#include "common/text_file.h"
#include "core/app_state.h"
#include "core/skin_format.h"

namespace {

const char kSkinFolder[] = "skin\\";

HBITMAP LoadSkinBitmap(const char* bitmapFileName, UINT flags) {
    char path[kTextSize];
    if (!JoinText(path, sizeof path, ProgramDir, kSkinFolder, bitmapFileName)) return nullptr;
    return static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | flags));
}

}  // namespace

int LoadSkinFile() {
    char path[kTextSize];
    if (!JoinText(path, sizeof path, ProgramDir, kSkinFolder, Settings.SkinFileName)) return 1;
    std::string text;
    ReadResult read = ReadTextFile(path, &text);
    if (read == ReadResult::NotOpened) return 1;

    // Fields the file does not give keep what the record held.
    ParseSkinText(text.data(), text.size(), &Skin);
    if (read == ReadResult::NotClosed) return 1;

    // The earlier bitmap stays: the skin window paints the one it was created with.
    Skin.SkinBitmap = LoadSkinBitmap(Skin.BitmapFileName, 0);
    BITMAP info;
    if (!Skin.SkinBitmap || GetObjectA(Skin.SkinBitmap, sizeof info, &info) == 0) return 1;
    Skin.SkinWidth = info.bmWidth;
    Skin.SkinHeight = info.bmHeight;
    return 0;
}

int LoadDefaultSkin() {
    if (Settings.TimerInterval == -1) Settings.TimerInterval = 500;
    Skin.SkinWidth = 200;
    Skin.SkinHeight = 18;
    Skin.AnchorCorner = 2;
    Skin.NormalX = -265;
    Skin.NormalY = 4;
    Skin.SmallX = -200;
    Skin.SmallY = -18;
    CopyText(Skin.BitmapFileName, sizeof Skin.BitmapFileName, "default.bmp");
    CopyText(Skin.Author, sizeof Skin.Author, "Quorval");
    CopyText(Settings.SkinFileName, sizeof Settings.SkinFileName, "デフォルト");
    Skin.SkinBitmap = LoadSkinBitmap(Skin.BitmapFileName, 0);
    return Skin.SkinBitmap ? 0 : 1;
}

HBITMAP LoadSkinShape() { return LoadSkinBitmap(Skin.BitmapFileName, LR_CREATEDIBSECTION); }
