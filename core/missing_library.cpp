#include "core/missing_library.h"

#include <string>

#include "common/text_buffers.h"
#include "core/app_state.h"
#include "core/delay_load_rules.h"

namespace {

// Reports waiting for the skin window's thread. Each is written before its
// number is posted and read only after, so no lock is needed; a number is never
// handed out twice.
constexpr LONG kReportSlots = 16;
struct MissingReport {
    char Text[320];
    volatile LONG Shown;
};
MissingReport Reports[kReportSlots];
volatile LONG ReportsUsed = 0;
volatile LONG MissingLibraries = 0;  // one bit per library of DelayLoadedLibraryIndex
HWND volatile Owner = nullptr;

// The name as the archive messages give theirs: upper case ("SHELL32.DLL").
void UpperName(char* out, std::size_t size, const char* name) {
    std::size_t n = 0;
    for (; name[n] && n + 1 < size; ++n) {
        const char c = name[n];
        out[n] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    out[n] = '\0';
}

}  // namespace

void SetMissingLibraryOwner(HWND skinWindow) { Owner = skinWindow; }

bool SystemLibraryMissing(const char* library) {
    const int index = DelayLoadedLibraryIndex(library);
    return index >= 0 && (MissingLibraries & (1L << index)) != 0;
}

void ReportMissingLibrary(const char* library, const char* function) {
    const int index = DelayLoadedLibraryIndex(library);
    if (index >= 0) {
        const LONG bit = 1L << index;
        if (!function) {
            LONG seen;
            do seen = MissingLibraries;
            while (InterlockedCompareExchange(&MissingLibraries, seen | bit, seen) != seen);
            if (seen & bit) return;  // told already
        } else if (MissingLibraries & bit) {
            return;  // the library's own report covers its functions
        }
    }
    char name[64];
    UpperName(name, sizeof name, library ? library : "?");
    // Joined and cut to the report's size (the function's name comes from a
    // library's import table); no printf, which the 32-bit build goes without.
    const std::string joined = function ? std::string(name) + "の中に『 " + function +
                                              " 』関数を見つけられませんでした。\nこの関数を使う機能は使えません。"
                                        : std::string(name) + "を読み込めませんでした。\nこのライブラリを使う機能は使えません。";
    char text[sizeof Reports[0].Text];
    CopyText(text, sizeof text, joined.c_str());
    HWND owner = Owner;
    const LONG slot = owner ? InterlockedIncrement(&ReportsUsed) - 1 : kReportSlots;
    if (slot >= kReportSlots) {
        if (!owner) MessageBoxA(nullptr, text, kMessageCaption, MB_OK);
        return;
    }
    CopyText(Reports[slot].Text, sizeof Reports[slot].Text, text);
    if (!PostMessageA(owner, kMissingLibraryMessage, static_cast<WPARAM>(slot), 0))
        MessageBoxA(nullptr, text, kMessageCaption, MB_OK);
}

LRESULT OnMissingLibraryMessage(HWND skinWindow, WPARAM wParam) {
    const LONG used = ReportsUsed < kReportSlots ? ReportsUsed : kReportSlots;
    if (wParam >= static_cast<WPARAM>(used)) return 0;
    MissingReport& report = Reports[wParam];
    if (InterlockedExchange(&report.Shown, 1) != 0) return 0;
    MessageBoxA(skinWindow, report.Text, kMessageCaption, MB_OK);
    return 0;
}
