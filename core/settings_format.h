// The settings file: one line "%d %d %s" (interval, FollowingMouse code, skin name).
#pragma once
#include <cstddef>
#include <string>

#include "common/text_buffers.h"

struct SettingsFileFields {
    int TimerInterval;
    int FollowingCode;             // 0 = following on, 1 = off
    char SkinFileName[kTextSize];  // "nothing" stands for no name
};

// Reads the fields in order into f; a field that does not convert, and every one
// after it, keeps the value f had. Returns the number of fields converted.
int ParseSettingsText(const char* data, std::size_t size, SettingsFileFields* f);

// Whether text is a whole settings file: all three fields are there. (The
// line has no terminator, so a cut name cannot be told from a short one.)
bool SettingsTextIsWhole(const std::string& text);

// The file's content, without a line terminator.
std::string FormatSettingsText(int timerInterval, int followingCode, const char* skinFileName);

// The FollowingMouse byte as stored: 0 when on, 1 when off.
inline int FollowingCodeFor(unsigned char followingMouse) { return followingMouse == 1 ? 0 : 1; }
