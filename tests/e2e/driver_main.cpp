// PeltoDriver: starts Pelto.exe from fresh copies of an installed folder and
// checks what it does, from the outside, as another Win32 process. The tests are
// GoogleTest tests.
//
//   PeltoDriver.exe acp                          prints the ANSI code page; 0 only for 932
//   PeltoDriver.exe <install-dir> [filter ...]   runs every test whose full name
//                                                ("Group.Name") contains a filter (all
//                                                tests when none is given)
//
// Arguments that begin with --gtest_ go to GoogleTest as they are (--gtest_repeat,
// --gtest_shuffle, --gtest_output=xml:..., --gtest_filter=... in its own patterns).
//
// Besides GoogleTest's own output the driver prints, for the test command, one
// line "PASS name (N s)" or "FAIL name (N s)" per test and, at the end,
// "e2e: N passed, N failed" (over every repeat).
#include <windows.h>

#include <cstdarg>
#include <exception>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "target_support.h"
#include "watchdog.h"
#include "win98_shim_support.h"

namespace e2e {
namespace {

DWORD testStart = 0;
std::string currentTest;

}  // namespace

void Trace(const char* format, ...) {
    static const bool enabled = [] {
        const char* value = std::getenv("PELTO_E2E_TRACE");
        return value && *value == '1';
    }();
    if (!enabled) return;
    va_list args;
    va_start(args, format);
    std::printf("  [%5lu ms] ", static_cast<unsigned long>(GetTickCount() - testStart));
    std::vprintf(format, args);
    std::printf("\n");
    std::fflush(stdout);
    va_end(args);
}

std::string CurrentTestName() { return currentTest; }

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else
            out += Format("\\x%02X", c);
    }
    return out;
}

namespace {

// A fatal failure ends the whole test, also from inside a helper (a value-
// returning helper states its precondition as an ASSERT in a lambda): the
// listener turns it into GoogleTest's own exception, which GoogleTest catches
// without a second report.
class FatalFailureEndsTheTest : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.fatally_failed() && std::uncaught_exceptions() == 0) throw ::testing::AssertionException(result);
    }
};

// Starts each test from a clean key state with the watchdog armed, and prints
// the lines the test command reads.
class RunLines : public ::testing::EmptyTestEventListener {
public:
    int passed = 0;
    int failed = 0;

    void OnTestStart(const ::testing::TestInfo& info) override {
        currentTest = std::string(info.test_suite_name()) + "." + info.name();
        testStart = GetTickCount();
        ArmWatchdog(currentTest);
        MarkWin98ShimLogStart();
        // A key release that Wine missed in an earlier test would hold a
        // modifier down for this one.
        ReleaseModifierKeys();
    }

    void OnTestEnd(const ::testing::TestInfo& info) override {
        bool ok = !info.result()->Failed();
        if (DisarmWatchdog(ok)) ok = false;
        // On the Windows 98 run, a call that Windows 98 refuses fails the test
        // that made it, whatever the test itself checked.
        const std::vector<std::string> refused = Win98ShimRefusals();
        if (!refused.empty()) {
            std::printf("Windows 98 refused %d call(s) during %s:\n", static_cast<int>(refused.size()),
                        currentTest.c_str());
            for (const std::string& line : refused) std::printf("  %s\n", line.c_str());
            ok = false;
        }
        double seconds = (GetTickCount() - testStart) / 1000.0;
        ++(ok ? passed : failed);
        std::printf("%s %s (%.1f s)\n", ok ? "PASS" : "FAIL", currentTest.c_str(), seconds);
        std::fflush(stdout);
        currentTest.clear();
    }
};

// The bench's check of its own watchdog, registered only with
// PELTO_E2E_WATCHDOG_CHECK=1: a test that starts Pelto and a target and then
// waits for ever (it must fail by name after its 10 s, with both processes
// ended), and a test after it that must run and pass.
class HangsPastItsLimit : public ::testing::Test {
public:
    void TestBody() override {
        SetTestTimeLimit(10);
        InstallFolder folder("watchdog");
        PeltoProcess pelto;
        ASSERT_TRUE(folder.ok() && pelto.Start(folder)) << "Pelto did not start";
        TargetProcess target;
        ASSERT_TRUE(StartPopupTarget(target, "Watchdog Target", {100, 100, 400, 300})) << "no target";
        std::printf("watchdog check: Pelto %lu, target %lu\n", static_cast<unsigned long>(pelto.pid()),
                    static_cast<unsigned long>(target.pid()));
        std::fflush(stdout);
        WaitUntil(1000000, [] { return false; });
    }
};

class RunsAfterTheHang : public ::testing::Test {
public:
    void TestBody() override {
        EXPECT_TRUE(OtherPeltoProcesses(GetCurrentProcessId()).empty()) << "a Pelto of the hung test still runs";
        EXPECT_TRUE(FindWindowA(nullptr, "Watchdog Target") == nullptr) << "the hung test's target still runs";
    }
};

void RegisterWatchdogCheck() {
    const char* wanted = std::getenv("PELTO_E2E_WATCHDOG_CHECK");
    if (!wanted || *wanted != '1') return;
    ::testing::RegisterTest("WatchdogCheck", "HangsPastItsLimit", nullptr, nullptr, __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new HangsPastItsLimit; });
    ::testing::RegisterTest("WatchdogCheck", "RunsAfterTheHang", nullptr, nullptr, __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new RunsAfterTheHang; });
}

int RunAcp() {
    UINT acp = GetACP();
    std::printf("ANSI code page: %u\n", acp);
    std::fflush(stdout);
    return acp == 932 ? 0 : 1;
}

int Summary(int passed, int failed) {
    std::printf("e2e: %d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed ? 1 : 0;
}

// Tests that need a display of their own are named for it; run_e2e.sh runs
// them in a pass of their own, with PELTO_E2E_DISPLAY_KIND naming the display.
const char* const kOwnDisplayKinds[] = {"HighColor", "TwoMonitors"};

// The tests of this pass whose full name ("Group.Name") contains one of the
// filters (every test of the pass when none is given), as a GoogleTest filter:
// patterns where they can say it, the names themselves for a display of its
// own picked by filters.
std::string SelectTests(const std::vector<std::string>& filters) {
    const char* named = std::getenv("PELTO_E2E_DISPLAY_KIND");
    const std::string pass = named && std::strcmp(named, "main") != 0 ? named : "";
    std::string others;
    for (const char* kind : kOwnDisplayKinds)
        if (pass != kind) others += (others.empty() ? "*." : ":*.") + std::string(kind) + "_*";
    if (pass.empty() || filters.empty()) {
        std::string wanted;
        for (const std::string& f : filters) wanted += (wanted.empty() ? "*" : ":*") + f + "*";
        if (wanted.empty()) wanted = pass.empty() ? "*" : "*." + pass + "_*";
        return wanted + "-" + others;
    }
    std::string names;
    const ::testing::UnitTest& all = *::testing::UnitTest::GetInstance();
    for (int i = 0; i < all.total_test_suite_count(); ++i) {
        const ::testing::TestSuite& suite = *all.GetTestSuite(i);
        for (int j = 0; j < suite.total_test_count(); ++j) {
            const std::string name = suite.GetTestInfo(j)->name();
            const std::string full = std::string(suite.name()) + "." + name;
            bool wanted = false;
            for (const std::string& f : filters) wanted = wanted || full.find(f) != std::string::npos;
            if (wanted && name.rfind(pass + "_", 0) == 0) names += (names.empty() ? "" : ":") + full;
        }
    }
    return names.empty() ? "-*" : names;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "acp") == 0) return e2e::RunAcp();

    std::vector<std::string> filters, gtestArgs;
    std::string install;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--gtest_", 0) == 0)
            gtestArgs.push_back(a);
        else if (install.empty())
            install = a;
        else
            filters.push_back(a);
    }
    if (install.empty()) {
        std::printf("usage: PeltoDriver.exe acp | PeltoDriver.exe <install-dir> [test-name-filter ...]\n");
        return e2e::Summary(0, 1);
    }
    if (!e2e::SetStagedInstall(install)) {
        std::printf("no Pelto.exe in the install folder %s\n", install.c_str());
        return e2e::Summary(0, 1);
    }
    bool explicitFilter = false;
    for (const std::string& a : gtestArgs) explicitFilter = explicitFilter || a.rfind("--gtest_filter=", 0) == 0;

    std::vector<char*> gtestArgv = {argv[0]};
    for (std::string& a : gtestArgs) gtestArgv.push_back(&a[0]);
    int gtestArgc = static_cast<int>(gtestArgv.size());
    gtestArgv.push_back(nullptr);
    e2e::RegisterWatchdogCheck();
    ::testing::InitGoogleTest(&gtestArgc, gtestArgv.data());
    if (gtestArgc > 1) {
        std::printf("unknown option %s\n", gtestArgv[1]);
        return e2e::Summary(0, 1);
    }
    // A filter given as --gtest_filter= is taken as it is; otherwise the
    // plain arguments pick among this pass's tests.
    if (!explicitFilter) ::testing::GTEST_FLAG(filter) = e2e::SelectTests(filters);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    std::printf("install folder: %s (ANSI code page %u)\n", e2e::StagedInstall().c_str(), GetACP());
    std::fflush(stdout);
    std::string why;
    if (!e2e::DriverToolsWork(&why)) {
        std::printf("e2e run aborted: the driver's tools do not work: %s\n", why.c_str());
        return e2e::Summary(0, 1);
    }

    if (!e2e::PrepareWin98Shim(&why)) {
        std::printf("e2e run aborted: %s\n", why.c_str());
        return e2e::Summary(0, 1);
    }

    auto* lines = new e2e::RunLines;  // the listener list owns it
    ::testing::UnitTest::GetInstance()->listeners().Append(lines);
    ::testing::UnitTest::GetInstance()->listeners().Append(new e2e::FatalFailureEndsTheTest);
    e2e::StartWatchdog();
    // The driver's own counts (which include the watchdog's verdicts) decide.
    const int gtestStatus = RUN_ALL_TESTS();
    (void)gtestStatus;
    // A pass the filters select nothing from is no failure by itself (they may
    // name only tests of another display); run_e2e.sh fails a run without any.
    if (lines->passed + lines->failed == 0) std::printf("no test of this pass matches the filter\n");
    return e2e::Summary(lines->passed, lines->failed);
}
