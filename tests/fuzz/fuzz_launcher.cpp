// Fuzzes the launcher file reader: ParseLauncherText on any bytes, then a write
// and read back of what it found.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/text_buffers.h"
#include "launcher/launcher_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void CheckField(const char* field) {
    FUZZ_CHECK(std::memchr(field, '\0', kLauncherTextSize) != nullptr);
    for (const char* p = field; *p; ++p) FUZZ_CHECK(*p == ' ' || !IsFieldSpace(*p));  // one word in the file
    // Never ends inside a double-byte character.
    FUZZ_CHECK(Cp932FitLength(field, kLauncherTextSize - 1) == std::strlen(field));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LauncherListRecord list;
    std::memset(&list, 0x5A, sizeof list);
    ParseLauncherText(reinterpret_cast<const char*>(data), size, &list);
    FUZZ_CHECK(list.Count >= 0 && list.Count <= kLauncherCapacity);
    for (int i = 0; i < kLauncherRows; ++i) {
        CheckField(list.Entries[i].Path);
        CheckField(list.Entries[i].Title);
        FUZZ_CHECK(std::strchr(list.Entries[i].Path, '?') == nullptr);  // marks are blanks in memory
    }
    FUZZ_CHECK(list.Entries[kLauncherRows - 1].Path[0] == '\0' && list.Entries[kLauncherRows - 1].Title[0] == '\0');

    // Written out and read back, every entry comes back in its place, paired
    // as it was; only a text of a lone blank reads back empty.
    const std::string text = FormatLauncherText(list);
    LauncherListRecord back;
    std::memset(&back, 0x33, sizeof back);
    ParseLauncherText(text.data(), text.size(), &back);
    FUZZ_CHECK(back.Count == list.Count);
    for (int i = 0; i < list.Count; ++i) {
        const LauncherEntry& a = list.Entries[i];
        const LauncherEntry& b = back.Entries[i];
        FUZZ_CHECK(std::strcmp(a.Path, b.Path) == 0 || (std::strcmp(a.Path, " ") == 0 && b.Path[0] == '\0'));
        FUZZ_CHECK(std::strcmp(a.Title, b.Title) == 0 || (std::strcmp(a.Title, " ") == 0 && b.Title[0] == '\0'));
    }
    return 0;
}
