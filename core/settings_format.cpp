#include "core/settings_format.h"

#include "common/text_scan.h"

int ParseSettingsText(const char* data, std::size_t size, SettingsFileFields* f) {
    TextScanner scan(data, size);
    int converted = 0;
    if (scan.ReadInt(&f->TimerInterval)) ++converted;
    if (scan.ReadInt(&f->FollowingCode)) ++converted;
    if (scan.ReadWord(f->SkinFileName, sizeof f->SkinFileName)) ++converted;
    return converted;
}

bool SettingsTextIsWhole(const std::string& text) {
    SettingsFileFields fields;
    return ParseSettingsText(text.data(), text.size(), &fields) == 3;
}

std::string FormatSettingsText(int timerInterval, int followingCode, const char* skinFileName) {
    return std::to_string(timerInterval) + ' ' + std::to_string(followingCode) + ' ' + skinFileName;
}
