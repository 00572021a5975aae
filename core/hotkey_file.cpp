#include "core/hotkey_file.h"

#include <cstring>


const char* const kHotkeyFileNames[kHotkeyCount] = {"LauncherList", "PluginList", "MainMenu", "Attachment",
                                                    "MoveUp",       "MoveDown",   "MoveLeft", "MoveRight"};

namespace {

struct KeyName {
    const char* name;
    unsigned key;
};

// The keys a line can name besides letters, digits and F1 to F12.
const KeyName kKeyNames[] = {
    {"Up", 0x26},     {"Down", 0x28},   {"Left", 0x25},      {"Right", 0x27},    {"Enter", 0x0D},
    {"Space", 0x20},  {"Tab", 0x09},    {"Esc", 0x1B},       {"Backspace", 0x08}, {"Insert", 0x2D},
    {"Delete", 0x2E}, {"Home", 0x24},   {"End", 0x23},       {"PageUp", 0x21},   {"PageDown", 0x22},
    {"Pause", 0x13},
};

const KeyName kModifierNames[] = {
    {"Ctrl", kHotkeyControl}, {"Shift", kHotkeyShift}, {"Alt", kHotkeyAlt}, {"Win", kHotkeyWin}};

// A piece of a line, [begin, end).
struct Span {
    const char* begin;
    const char* end;
    std::size_t size() const { return static_cast<std::size_t>(end - begin); }
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

Span Trimmed(Span s) {
    while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(Span s, const char* name) {
    if (s.size() != std::strlen(name)) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (Lower(s.begin[i]) != Lower(name[i])) return false;
    return true;
}

bool KeyOf(Span s, unsigned* key) {
    if (s.size() == 1) {
        // A letter's virtual-key code is its capital, a digit's the digit.
        const char c = Lower(s.begin[0]);
        if (c >= '0' && c <= '9') return *key = static_cast<unsigned>(c), true;
        if (c >= 'a' && c <= 'z') return *key = static_cast<unsigned>(c - 'a' + 'A'), true;
        return false;
    }
    if ((s.size() == 2 || s.size() == 3) && Lower(s.begin[0]) == 'f' && s.begin[1] >= '1' && s.begin[1] <= '9') {
        int n = s.begin[1] - '0';
        if (s.size() == 3) {
            if (n != 1 || s.begin[2] < '0' || s.begin[2] > '2') return false;
            n = 10 + (s.begin[2] - '0');
        }
        *key = 0x70 + static_cast<unsigned>(n - 1);  // VK_F1 ...
        return true;
    }
    for (const KeyName& k : kKeyNames)
        if (SameName(s, k.name)) return *key = k.key, true;
    return false;
}

// "Ctrl+Alt+Right": modifiers, then one key.
bool ParseKeys(Span value, HotkeyChoiceRow* row) {
    unsigned modifiers = 0;
    const char* p = value.begin;
    for (;;) {
        const char* plus = static_cast<const char*>(std::memchr(p, '+', static_cast<std::size_t>(value.end - p)));
        Span part = Trimmed({p, plus ? plus : value.end});
        if (!plus) {
            unsigned key;
            if (!KeyOf(part, &key)) return false;
            row->Choice = HotkeyChoice::Keys;
            row->Modifiers = modifiers;
            row->Key = key;
            return true;
        }
        bool known = false;
        for (const KeyName& m : kModifierNames)
            if (SameName(part, m.name)) {
                modifiers |= m.key;
                known = true;
            }
        if (!known) return false;
        p = plus + 1;
    }
}

struct LineOutcome {
    bool bad;
    HotkeyLineProblem problem;
    int hotkey;  // the hotkey the line names, -1 when none is known
};

LineOutcome ReadLine(Span line, const bool* named, HotkeyChoiceRow* choices) {
    if (line.size() > kHotkeyLineMaxBytes) return {true, HotkeyLineProblem::TooLong, -1};
    const char* equals = static_cast<const char*>(std::memchr(line.begin, '=', line.size()));
    if (!equals) return {true, HotkeyLineProblem::NoEquals, -1};
    const Span name = Trimmed({line.begin, equals});
    int hotkey = -1;
    for (int i = 0; i < kHotkeyCount; ++i)
        if (SameName(name, kHotkeyFileNames[i])) hotkey = i;
    if (hotkey < 0) return {true, HotkeyLineProblem::UnknownHotkey, -1};
    if (named[hotkey]) return {true, HotkeyLineProblem::GivenTwice, hotkey};
    const Span value = Trimmed({equals + 1, line.end});
    HotkeyChoiceRow row = {HotkeyChoice::Off, 0, 0};
    if (!SameName(value, "off") && !ParseKeys(value, &row)) return {true, HotkeyLineProblem::UnknownKey, hotkey};
    choices[hotkey] = row;
    return {false, HotkeyLineProblem::NoEquals, hotkey};
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The start of the line for the message, never cut inside a double-byte
// character.
void KeepShownText(Span line, HotkeyFileResult* result) {
    char* out = result->FirstBadText;
    std::size_t n = 0;
    for (const char* p = line.begin; p < line.end;) {
        const unsigned char c = static_cast<unsigned char>(*p);
        const std::size_t width = IsLeadByte(c) && line.end - p >= 2 ? 2 : 1;
        if (n + width > kHotkeyShownLineBytes) break;
        if (width == 2) {
            out[n++] = p[0];
            out[n++] = p[1];
        } else {
            out[n++] = c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
        }
        p += width;
    }
    out[n] = '\0';
}

}  // namespace

void ParseHotkeyFile(const char* data, std::size_t size, HotkeyFileResult* result) {
    for (HotkeyChoiceRow& row : result->Hotkeys) row = {HotkeyChoice::Default, 0, 0};
    result->BadLines = 0;
    result->FirstBadLine = 0;
    result->FirstProblem = HotkeyLineProblem::NoEquals;
    result->FirstBadText[0] = '\0';

    bool named[kHotkeyCount] = {};
    bool keepsDefault[kHotkeyCount] = {};
    const char* p = data;
    const char* const end = data + size;
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) p += 3;
    for (int number = 1; p < end; ++number) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lineEnd) lineEnd = end;
        const Span line = Trimmed({p, lineEnd});
        if (line.size() > 0 && *line.begin != ';' && *line.begin != '#') {
            const LineOutcome outcome = ReadLine(line, named, result->Hotkeys);
            if (outcome.hotkey >= 0) named[outcome.hotkey] = true;
            if (outcome.bad) {
                if (outcome.hotkey >= 0) keepsDefault[outcome.hotkey] = true;
                if (result->BadLines++ == 0) {
                    result->FirstBadLine = number;
                    result->FirstProblem = outcome.problem;
                    KeepShownText(line, result);
                }
            }
        }
        if (lineEnd == end) break;
        p = lineEnd + 1;
    }
    for (int i = 0; i < kHotkeyCount; ++i)
        if (keepsDefault[i]) result->Hotkeys[i] = {HotkeyChoice::Default, 0, 0};
}

std::string HotkeyFileMessage(const HotkeyFileResult& result) {
    if (result.BadLines == 0) return std::string();
    const char* why = "";
    switch (result.FirstProblem) {
    case HotkeyLineProblem::NoEquals: why = "「=」がありません"; break;
    case HotkeyLineProblem::UnknownHotkey: why = "ホットキーの名前が違います"; break;
    case HotkeyLineProblem::UnknownKey: why = "キーの名前が違います"; break;
    case HotkeyLineProblem::GivenTwice: why = "同じホットキーが前の行にもあります"; break;
    case HotkeyLineProblem::TooLong: why = "行が長すぎます"; break;
    }
    std::string text = "ホットキーの設定ファイル ";
    text += kHotkeyFileName;
    text += " の " + std::to_string(result.FirstBadLine) + " 行目を読めませんでした（";
    text += why;
    text += "）。\n";
    text += result.FirstBadText;
    text += "\nこの行は使わず、そのホットキーは元のキーのままにします。";
    if (result.BadLines > 1) text += "\nほかにも読めない行が " + std::to_string(result.BadLines - 1) + " 行あります。";
    return text;
}
