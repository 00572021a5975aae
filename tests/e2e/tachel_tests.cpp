// The CPU meter Tachel: two meters on their own threads, what ends them, the
// library's lifetime in the host, and the reading under load.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "target_support.h"
#include "win98_shim_support.h"

namespace {

using namespace e2e;

const char kMeterCaption[] = "Quorval Tachel";
constexpr int kBarId = 1000;
constexpr int kCloseId = 1001;

int TachelRow(const PeltoSession& s) { return RowOf(PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi"}), "Tachel.ppi"); }

int Reading(HWND meter) { return static_cast<int>(SendMessageA(GetDlgItem(meter, kBarId), PBM_GETPOS, 0, 0)); }

// Starts Tachel from the popup and returns the meter that was not there
// before; `which` names it in the failure that stops the test without one.
HWND OpenMeter(const PeltoSession& s, int row, const char* which) {
    const std::vector<HWND> before = DialogsCaptioned(s.pelto.pid(), kMeterCaption);
    HWND meter = nullptr;
    if (ChooseFromPluginPopup(s, row, 2))
        WaitUntil(8000, [&] {
            for (HWND w : DialogsCaptioned(s.pelto.pid(), kMeterCaption))
                if (std::find(before.begin(), before.end(), w) == before.end()) meter = w;
            return meter != nullptr;
        }, 5);
    [&] { ASSERT_TRUE(meter != nullptr) << Format("no %s meter: ", which) << s.pelto; }();
    return meter;
}

int Median(std::vector<int> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Mean(const std::vector<int>& values) {
    if (values.empty()) return -1;
    return static_cast<int>(std::accumulate(values.begin(), values.end(), 0L) / static_cast<long>(values.size()));
}

std::string Listed(const std::vector<int>& values) {
    std::string text;
    for (int v : values) text += Format("%s%d", text.empty() ? "" : " ", v);
    return text;
}

// One reading per tick for about ms milliseconds, each checked to be 0 to 100.
std::vector<int> Readings(HWND meter, DWORD ms) {
    std::vector<int> values;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        PumpFor(500);
        const int v = Reading(meter);
        EXPECT_TRUE(v >= 0 && v <= 100) << Format("the bar reads %d", v);
        values.push_back(v);
    }
    return values;
}

const HKEY kDynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));
const char kStartStat[] = "PerfStats\\StartStat";
const char kStopStat[] = "PerfStats\\StopStat";

// Windows 98 collects the processor statistic from a read of its value under
// StartStat until a read under StopStat. Wine has neither key: these are made
// for the test (and removed after it), so that the meter's reads go through and
// the Windows 98 shim records them.
class StatisticOrderKeys {
public:
    explicit StatisticOrderKeys(bool wanted) : wanted_(wanted) {
        if (!wanted_) return;
        for (const char* name : {kStartStat, kStopStat}) {
            HKEY key;
            if (RegCreateKeyExA(kDynData, name, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
                continue;
            const DWORD zero = 0;
            ok_ = RegSetValueExA(key, "KERNEL\\CPUUsage", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&zero),
                                 sizeof zero) == ERROR_SUCCESS && ok_;
            RegCloseKey(key);
            ++made_;
        }
    }
    ~StatisticOrderKeys() {
        if (wanted_)
            for (const char* name : {kStartStat, kStopStat}) RegDeleteKeyA(kDynData, name);
    }
    bool ok() const { return !wanted_ || (ok_ && made_ == 2); }

private:
    bool wanted_;
    bool ok_ = true;
    int made_ = 0;
};

// How often the meters read the statistic's value under key, as the Windows
// 98 shim recorded it in this test.
int StatisticReads(const char* key) {
    const std::string read = std::string(" READ HKEY_DYN_DATA\\") + key + "\\KERNEL\\CPUUsage";
    int count = 0;
    for (const std::string& line : Win98ShimLines()) count += line.find(read) != std::string::npos;
    return count;
}

TEST_F(StartedPelto, Tachel_TwoMetersOnTheirOwnThreadsEachClosedOnlyByItsOwnX) {
    // On the Windows 98 run: every tick starts the statistic, and each meter
    // that ends stops it, once.
    const bool win98 = Win98ShimWanted();
    StatisticOrderKeys orders(win98);
    ASSERT_TRUE(orders.ok()) << "cannot make the StartStat and StopStat keys";

    const int row = TachelRow(s);
    ASSERT_TRUE(row >= 0) << "Tachel.ppi is not installed";
    EXPECT_TRUE(!ModuleLoaded(s.pelto.pid(), "Tachel.ppi")) << "Tachel.ppi is loaded before any start";
    EXPECT_TRUE(ModuleLoaded(s.pelto.pid(), "Pelto.exe")) << "the module list of Pelto cannot be read";

    BusyProcessors busy;  // so that the first tick's reading is far from 0
    HWND first = OpenMeter(s, row, "first");
    EXPECT_EQ(Reading(first), 0);  // before the first tick, 500 ms after it opened
    HWND second = OpenMeter(s, row, "second");
    EXPECT_TRUE(first != second) << "the second start showed no second meter";

    auto threadOf = [](HWND w) { return static_cast<unsigned long>(GetWindowThreadProcessId(w, nullptr)); };
    const unsigned long skinThread = threadOf(s.skin), firstThread = threadOf(first), secondThread = threadOf(second);
    EXPECT_TRUE(firstThread != skinThread && secondThread != skinThread && firstThread != secondThread) << Format("threads: skin %lu, meters %lu and %lu", skinThread, firstThread, secondThread);
    for (HWND meter : {first, second}) {
        RECT r = WindowRect(meter);
        EXPECT_TRUE(r.left == 0 && r.top == 0) << Format("a meter at %s, expected at (0, 0)", RectText(r).c_str());
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(meter, GWL_STYLE));
        EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && !(style & WS_SYSMENU)) << Format("meter styles 0x%08lX: a caption and no system menu (no close box) expected", static_cast<unsigned long>(style));
        EXPECT_TRUE(GetWindow(meter, GW_OWNER) == nullptr) << Format("a meter is owned by %p", static_cast<void*>(GetWindow(meter, GW_OWNER)));
    }
    EXPECT_TRUE(ModuleLoaded(s.pelto.pid(), "Tachel.ppi")) << "Tachel.ppi is not loaded while meters run";
    EXPECT_TRUE(WaitUntil(3000, [&] { return Reading(first) > 0 && Reading(second) > 0; })) << Format("the busy processors never showed on the bars: %d and %d", Reading(first), Reading(second));

    // IDOK, IDCANCEL and Esc end neither meter. (No button carries IDOK or
    // IDCANCEL: the command messages Enter and Esc would give are posted.)
    ClickDialogButton(first, IDOK);
    ClickDialogButton(first, IDCANCEL);
    ClickDialogButton(second, IDCANCEL);
    WaitForWindowIdle(first);
    WaitForWindowIdle(second);
    EXPECT_TRUE(IsWindow(first) && IsWindow(second)) << "IDOK or IDCANCEL ended a meter";
    // Real keys (SendInput) on the top meter, brought to the foreground: Esc
    // does nothing; the space bar, the control, presses its focused "x".
    HWND top = second;
    ASSERT_TRUE(PressKeysOn(top, {VK_ESCAPE})) << "the meter did not come to the foreground";
    EXPECT_TRUE(IsWindow(first) && IsWindow(second)) << "Esc ended a meter";
    if (win98) {
        EXPECT_GE(StatisticReads(kStartStat), 2) << "the running meters did not start the statistic at their ticks";
        EXPECT_EQ(StatisticReads(kStopStat), 0) << "a running meter stopped the statistic";
    }
    ASSERT_TRUE(PressKeysOn(top, {VK_SPACE})) << "the meter did not come to the foreground";
    const bool ended = WaitUntil(3000, [&] { return !IsWindow(top); });
    EXPECT_TRUE(ended) << "the space bar on the top meter's x did not end it";
    EXPECT_TRUE(IsWindow(first)) << "keys on the top meter ended the other";
    if (win98) {
        EXPECT_EQ(StatisticReads(kStopStat), 1) << "the ended meter did not stop the statistic once";
    }
    second = OpenMeter(s, row, "third");

    // Each "x" ends its own meter only; the library stays for the other one.
    // Checked once the first meter's thread has ended and Pelto has dealt with
    // what that gave it.
    HANDLE firstEnds = OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(first, nullptr));
    ClickDialogButton(first, kCloseId);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(first); })) << "the first meter's x did not end it";
    if (firstEnds) {
        EXPECT_TRUE(WaitForSingleObject(firstEnds, 5000) == WAIT_OBJECT_0) << "the first meter's thread did not end";
        CloseHandle(firstEnds);
    }
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(IsWindow(second)) << "the first meter's x ended the second";
    EXPECT_TRUE(ModuleLoaded(s.pelto.pid(), "Tachel.ppi")) << "Tachel.ppi unloaded while a meter still runs";
    EXPECT_TRUE(WaitUntil(3000, [&] { return Reading(second) > 0; })) << "the second meter does not read";

    // A real click on the second meter's x, where it is not covered (the click
    // waits until no glide to the new meter can carry the release off it).
    EXPECT_TRUE(ClickDialogButton(second, kCloseId)) << "the second meter's x cannot be clicked";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(second); })) << "the second meter's x did not end it";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !ModuleLoaded(s.pelto.pid(), "Tachel.ppi"); })) << "Tachel.ppi is still loaded after the last meter closed";
    EXPECT_TRUE(s.pelto.Running());
    if (win98) {
        EXPECT_EQ(StatisticReads(kStopStat), 3) << "three meters ended";
    }
}

// The machine's processor time so far, busy and in all, measured by the driver
// itself (GetSystemTimes, looked up: Windows 2000 has none), to hold the meter
// against. The kernel time includes the idle time.
bool ReadSystemTimes(unsigned long long* busy, unsigned long long* all) {
    typedef BOOL(WINAPI * GetSystemTimesFunction)(FILETIME*, FILETIME*, FILETIME*);
    static const GetSystemTimesFunction get = reinterpret_cast<GetSystemTimesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimes")));
    FILETIME idle, kernel, user;
    if (!get || !get(&idle, &kernel, &user)) return false;
    auto value = [](const FILETIME& f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    *all = value(kernel) + value(user);
    *busy = *all - value(idle);
    return true;
}

// Readings for about ms, with the machine's own load (percent) over the same span.
struct LoadSpan {
    std::vector<int> readings;
    int machine = -1;
};

LoadSpan WatchLoad(HWND meter, DWORD ms) {
    LoadSpan span;
    unsigned long long busyBefore = 0, allBefore = 0, busyAfter = 0, allAfter = 0;
    const bool measured = ReadSystemTimes(&busyBefore, &allBefore);
    span.readings = Readings(meter, ms);
    if (measured && ReadSystemTimes(&busyAfter, &allAfter) && allAfter > allBefore)
        span.machine = static_cast<int>(100 * (busyAfter - busyBefore) / (allAfter - allBefore));
    return span;
}

const char kDynStatData[] = "PerfStats\\StatData";

// The Windows 9x processor statistic set to percent, or removed with -1.
bool SetCpuUsageStatistic(long percent) {
    HKEY key;
    if (RegCreateKeyExA(kDynData, kDynStatData, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD value = static_cast<DWORD>(percent);
    const LONG result = percent < 0 ? RegDeleteValueA(key, "KERNEL\\CPUUsage")
                                    : RegSetValueExA(key, "KERNEL\\CPUUsage", 0, REG_DWORD,
                                                     reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

TEST_F(StartedPelto, Tachel_ReadingFollowsTheProcessorLoad) {
    SetTestTimeLimit(120);
    const int row = TachelRow(s);
    ASSERT_TRUE(row >= 0) << "Tachel.ppi is not installed";
    HWND meter = OpenMeter(s, row, "first");

    // Windows 95/98 keep the load as a statistic of their own: given one, the
    // meter shows exactly it, tick by tick (a stuck bar cannot follow 37 then 4).
    // The NT family never reads it.
    if (ReportedWindowsFamily() == ReportedFamily::Windows9x) {
        for (long percent : {37L, 4L}) {
            ASSERT_TRUE(SetCpuUsageStatistic(percent)) << "cannot write the processor statistic";
            EXPECT_TRUE(WaitUntil(3000, [&] { return Reading(meter) == static_cast<int>(percent); })) << Format("with the statistic at %ld the bar reads %d", percent, Reading(meter));
        }
        SetCpuUsageStatistic(-1);
    } else {
        ASSERT_TRUE(SetCpuUsageStatistic(4)) << "cannot write the processor statistic";
        const std::vector<int> seen = Readings(meter, 2000);
        SetCpuUsageStatistic(-1);
        EXPECT_TRUE(std::count(seen.begin(), seen.end(), 4) < static_cast<int>(seen.size())) << Format("on the NT family the bar followed the Windows 9x statistic: %s", Listed(seen).c_str());
    }

    // Quiet: the meter agrees with the machine's own load over the same span. A
    // span tells most when the machine was not near full load (a stuck bar then
    // shows); with other work on the shared machine that may take a few tries.
    PumpFor(1000);
    LoadSpan quiet;
    for (int attempt = 0; attempt < 8; ++attempt) {
        quiet = WatchLoad(meter, 2500);
        if (quiet.machine >= 0 && quiet.machine < 70) break;
    }
    LoadSpan loaded;
    {
        BusyProcessors busy;
        PumpFor(1000);
        loaded = WatchLoad(meter, 3000);
    }
    Trace("quiet readings %s (machine %d%%), busy readings %s (machine %d%%)", Listed(quiet.readings).c_str(),
          quiet.machine, Listed(loaded.readings).c_str(), loaded.machine);
    // The machine's figure is an average over the span, and so is the bar's
    // here: a burst of other work in the span moves both alike.
    const int quietMean = Mean(quiet.readings);
    const int loadedMedian = Median(loaded.readings);
    // The agreement tells a bar stuck high from a working one whenever the
    // machine ran below about 75%; the Windows 9x run above tells it always.
    ASSERT_TRUE(quiet.machine >= 0) << "the driver cannot measure the machine's load";
    EXPECT_TRUE(std::abs(quietMean - quiet.machine) <= 25) << Format("quiet: the bar read %s while the machine ran at %d%%", Listed(quiet.readings).c_str(), quiet.machine);
    // Every processor busy: the whole machine near full load, on either family
    // (the Windows 98 setting falls back to the processor times under Wine).
    EXPECT_TRUE(loadedMedian >= 80) << Format("with every processor busy the bar read %s (%s reported)", Listed(loaded.readings).c_str(), ReportedWindows().empty() ? "default" : ReportedWindows().c_str());
    EXPECT_TRUE(std::abs(loadedMedian - loaded.machine) <= 25) << Format("busy: the bar read %s while the machine ran at %d%%", Listed(loaded.readings).c_str(), loaded.machine);
    EXPECT_TRUE(ClickDialogButton(meter, kCloseId)) << "the meter's x cannot be clicked";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(meter); })) << "the x did not end the meter";
}

}  // namespace
