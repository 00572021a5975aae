// Fuzzes the settings file reader: ParseSettingsText on any bytes, then a write
// and read back of what it found.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/settings_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void FillSentinels(SettingsFileFields* f) {
    f->TimerInterval = -1234567;
    f->FollowingCode = 7654321;
    FillSentinelName(f->SkinFileName, "SENTINEL.txt");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SettingsFileFields f, before;
    const int converted = ParseOverSentinels(data, size, ParseSettingsText, FillSentinels, 3, &f, &before);
    CheckNameBuffer(f.SkinFileName);
    // Reading stops at the first field that does not convert: it and every
    // later field keep what they held.
    if (converted < 1) FUZZ_CHECK(f.TimerInterval == before.TimerInterval);
    if (converted < 2) FUZZ_CHECK(f.FollowingCode == before.FollowingCode);
    if (converted < 3) FUZZ_CHECK(std::memcmp(f.SkinFileName, before.SkinFileName, kTextSize) == 0);
    else FUZZ_CHECK(!HasFieldSpace(f.SkinFileName));  // a word ends at white space

    // Written out and read back, the values come back unchanged.
    if (RoundTrips(f.SkinFileName)) {
        const std::string text = FormatSettingsText(f.TimerInterval, f.FollowingCode, f.SkinFileName);
        SettingsFileFields g;
        std::memset(&g, 0, sizeof g);
        g.TimerInterval = ~f.TimerInterval;
        g.FollowingCode = ~f.FollowingCode;
        FUZZ_CHECK(ParseSettingsText(text.data(), text.size(), &g) == 3);
        FUZZ_CHECK(g.TimerInterval == f.TimerInterval);
        FUZZ_CHECK(g.FollowingCode == f.FollowingCode);
        CheckNameBuffer(g.SkinFileName);
        FUZZ_CHECK(std::strcmp(g.SkinFileName, f.SkinFileName) == 0);
    }
    return 0;
}
