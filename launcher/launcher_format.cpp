#include "launcher/launcher_format.h"

#include <cstring>

#include "common/text_buffers.h"
#include "common/text_scan.h"

namespace {

int CountForUse(int count) {
    if (count < 0) return 0;
    return count > kLauncherCapacity ? kLauncherCapacity : count;
}

// The word as a text: question marks back to blanks, a lone one to nothing.
void WordToText(char* word) {
    if (std::strcmp(word, "?") == 0) {
        word[0] = '\0';
        return;
    }
    ConvertSpaceMarks(word, 1);
}

void AppendFileForm(std::string* out, const char* text) {
    if (text[0] == '\0') {
        out->push_back('?');
    } else {
        for (const char* p = text; *p; ++p) out->push_back(IsFieldSpace(*p) ? '?' : *p);
    }
    out->push_back('\n');
}

}  // namespace

void ConvertSpaceMarks(char* text, int direction) {
    if (direction != 0 && direction != 1) return;
    const char from = direction == 0 ? ' ' : '?';
    const char to = direction == 0 ? '?' : ' ';
    for (char* p = text; *p; ++p)
        if (*p == from) *p = to;
}

int FindLauncherPath(const LauncherListRecord& list, const char* text, int skip, LauncherPathForm form) {
    const int count = list.Count < 0 ? 0 : (list.Count > kLauncherRows ? kLauncherRows : list.Count);
    char wanted[kPathFormSize];
    char entry[kPathFormSize];
    if (form) form(text, wanted, sizeof wanted);
    for (int i = 0; i < count; ++i) {
        if (i == skip) continue;
        if (!form) {
            if (std::strcmp(list.Entries[i].Path, text) == 0) return 1;
            continue;
        }
        form(list.Entries[i].Path, entry, sizeof entry);
        if (std::strcmp(entry, wanted) == 0) return 1;
    }
    return 0;
}

void FillLauncherTitle(char* field, const char* text) {
    const std::size_t n = Cp932FitLength(text, kLauncherTextSize - 1);
    std::memcpy(field, text, n);
    field[n] = '\0';
    for (char* p = field; *p; ++p)
        if (IsFieldSpace(*p)) *p = ' ';
}

LauncherPathCheck CheckLauncherPath(const char* path) {
    if (std::strlen(path) > static_cast<std::size_t>(kLauncherTextSize - 1)) return LauncherPathCheck::TooLong;
    for (const char* p = path; *p; ++p)
        if (*p != ' ' && IsFieldSpace(*p)) return LauncherPathCheck::HasControlSpace;
    return LauncherPathCheck::Ok;
}

void ParseLauncherText(const char* data, std::size_t size, LauncherListRecord* list) {
    std::memset(list, 0, sizeof *list);
    TextScanner scan(data, size);
    int count = 0;
    if (!scan.ReadInt(&count)) return;
    list->Count = CountForUse(count);

    char word[kTextSize];
    int position = 0;
    bool expectPath = true;
    while (position < kLauncherCapacity && scan.ReadWord(word, sizeof word)) {
        WordToText(word);
        LauncherEntry& entry = list->Entries[position];
        if (expectPath) {
            if (CheckLauncherPath(word) == LauncherPathCheck::Ok) CopyText(entry.Path, sizeof entry.Path, word);
            expectPath = false;
        } else {
            FillLauncherTitle(entry.Title, word);
            ++position;
            expectPath = true;
        }
    }
}

bool LauncherTextIsWhole(const std::string& text) {
    if (text.empty() || text.back() != '\n') return false;
    TextScanner scan(text.data(), text.size());
    int count = 0;
    if (!scan.ReadInt(&count) || count < 0 || count > kLauncherCapacity) return false;
    char word[kTextSize];
    int words = 0;
    while (scan.ReadWord(word, sizeof word)) ++words;
    return words == 2 * count;
}

std::string FormatLauncherText(const LauncherListRecord& list) {
    const int count = CountForUse(list.Count);
    std::string out = std::to_string(count) + '\n';
    for (int i = 0; i < count; ++i) {
        AppendFileForm(&out, list.Entries[i].Path);
        AppendFileForm(&out, list.Entries[i].Title);
    }
    return out;
}
