#include "core/settings_store.h"

#include <cstring>
#include <string>

#include "common/text_file.h"
#include "core/app_state.h"
#include "core/settings_format.h"
#include "core/skin_loader.h"

namespace {
const char kSettingFile[] = "setting";
const char kNoSkinWord[] = "nothing";
}  // namespace

int LoadSettings() {
    char path[kTextSize];
    std::string text;
    ReadResult read = ReadResult::NotOpened;
    if (JoinText(path, sizeof path, ProgramDir, kSettingFile)) {
        RecoverInterruptedSave(path, SettingsTextIsWhole);
        read = ReadTextFile(path, &text);
    }
    if (read == ReadResult::NotOpened) {
        Settings.TimerInterval = -1;
        return 1;
    }

    SettingsFileFields fields;
    fields.TimerInterval = Settings.TimerInterval;
    fields.FollowingCode = 0;
    CopyText(fields.SkinFileName, sizeof fields.SkinFileName, Settings.SkinFileName);
    ParseSettingsText(text.data(), text.size(), &fields);
    Settings.TimerInterval = fields.TimerInterval;
    CopyText(Settings.SkinFileName, sizeof Settings.SkinFileName, fields.SkinFileName);

    if (read == ReadResult::NotClosed) {
        MessageBoxA(nullptr, "ファイルがクローズできませんでした。\nファイルは削除されます。", kMessageCaption,
                    MB_OK);
        Settings.TimerInterval = -1;
        DeleteSavedFile(path);
        return 1;
    }
    if (std::strcmp(Settings.SkinFileName, kNoSkinWord) == 0) return 1;
    if (LoadSkinFile() == 1) return 1;

    if (fields.FollowingCode == 0)
        Settings.FollowingMouse = 1;
    else if (fields.FollowingCode == 1)
        Settings.FollowingMouse = 0;
    return 0;
}

int SaveSettings() {
    int code = FollowingCodeFor(Settings.FollowingMouse);
    if (Settings.SkinFileName[0] == '\0') CopyText(Settings.SkinFileName, sizeof Settings.SkinFileName, kNoSkinWord);
    char path[kTextSize];
    if (!JoinText(path, sizeof path, ProgramDir, kSettingFile)) return 1;
    return WriteTextFileReplacing(path, FormatSettingsText(Settings.TimerInterval, code, Settings.SkinFileName));
}
