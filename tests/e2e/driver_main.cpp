// PeltoDriver: checks Pelto.exe from the outside, as another Win32 process, with GoogleTest.
//
//   PeltoDriver.exe acp                          prints the ANSI code page; 0 only for 932
//   PeltoDriver.exe <install-dir> [filter ...]   runs every test whose "Group.Name" contains
//                                                a filter (all tests when none is given)
//
// Arguments beginning with --gtest_ go to GoogleTest as they are. For the test command it
// prints "PASS name (N s)" or "FAIL name (N s)" per test and, at the end, "e2e: N passed,
// N failed" (over every repeat).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <exception>
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
    static const bool enabled = EnvironmentValue("PELTO_E2E_TRACE")[0] == '1';
    if (!enabled) return;
    va_list args;
    va_start(args, format);
    std::printf("  [%5lu ms] ", static_cast<unsigned long>(GetTickCount() - testStart));
    std::vprintf(format, args);
    std::printf("\n");
    va_end(args);
}

std::string CurrentTestName() { return currentTest; }

std::string Format(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    // Measured first, then written with room for the terminator, which is dropped.
    std::string text(length > 0 ? static_cast<std::size_t>(length) + 1 : 0, '\0');
    if (length > 0) std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out += c == '\n' ? "\\n" : c == '\\' ? "\\\\" : (c >= 0x20 && c < 0x7F) ? std::string(1, static_cast<char>(c)) : Format("\\x%02X", c);
    return out;
}

namespace {

// A fatal failure ends the whole test, also inside a helper (an ASSERT in a lambda): it
// becomes GoogleTest's own exception, caught without a second report.
class FatalFailureEndsTheTest : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.fatally_failed() && std::uncaught_exceptions() == 0) throw ::testing::AssertionException(result);
    }
};

// Each test from a clean key state with the watchdog armed; the lines the test command reads.
class RunLines : public ::testing::EmptyTestEventListener {
public:
    int passed = 0;
    int failed = 0;

    void OnTestStart(const ::testing::TestInfo& info) override {
        currentTest = std::string(info.test_suite_name()) + "." + info.name();
        testStart = GetTickCount();
        ArmWatchdog(currentTest);
        MarkWin98ShimLogStart();
        ReleaseModifierKeys();  // a release Wine missed earlier would hold a modifier down
    }

    void OnTestEnd(const ::testing::TestInfo& info) override {
        bool ok = !info.result()->Failed();
        if (DisarmWatchdog(ok)) ok = false;
        // A call that Windows 98 refuses fails the test that made it, whatever it checked.
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
        currentTest.clear();
    }
};

// The watchdog's own check (PELTO_E2E_WATCHDOG_CHECK=1): a test that starts Pelto and a
// target and waits for ever must fail by name after 10 s with both ended; the next must pass.
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
    if (EnvironmentValue("PELTO_E2E_WATCHDOG_CHECK")[0] != '1') return;
    ::testing::RegisterTest("WatchdogCheck", "HangsPastItsLimit", nullptr, nullptr, __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new HangsPastItsLimit; });
    ::testing::RegisterTest("WatchdogCheck", "RunsAfterTheHang", nullptr, nullptr, __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new RunsAfterTheHang; });
}

int RunAcp() {
    UINT acp = GetACP();
    std::printf("ANSI code page: %u\n", acp);
    return acp == 932 ? 0 : 1;
}

int Summary(int passed, int failed) {
    std::printf("e2e: %d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}

// Tests named for a display of their own run in a pass of their own (run_e2e.sh), with
// PELTO_E2E_DISPLAY_KIND naming it.
const char* const kOwnDisplayKinds[] = {"HighColor", "TwoMonitors"};

// This pass's tests whose "Group.Name" contains a filter (all without one) as a GoogleTest
// filter: patterns where they can say it, else the names themselves.
std::string SelectTests(const std::vector<std::string>& filters) {
    std::string pass = EnvironmentValue("PELTO_E2E_DISPLAY_KIND");
    if (pass == "main") pass.clear();
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
    // Unbuffered: each line reaches the log at once, also when the watchdog ends the driver.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
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
    auto fail = [](const std::string& why) {
        std::printf("%s\n", why.c_str());
        return e2e::Summary(0, 1);
    };
    if (install.empty()) return fail("usage: PeltoDriver.exe acp | PeltoDriver.exe <install-dir> [test-name-filter ...]");
    if (!e2e::SetStagedInstall(install)) return fail("no Pelto.exe in the install folder " + install);
    bool explicitFilter = false;
    for (const std::string& a : gtestArgs) explicitFilter = explicitFilter || a.rfind("--gtest_filter=", 0) == 0;

    std::vector<char*> gtestArgv = {argv[0]};
    for (std::string& a : gtestArgs) gtestArgv.push_back(&a[0]);
    int gtestArgc = static_cast<int>(gtestArgv.size());
    gtestArgv.push_back(nullptr);
    e2e::RegisterWatchdogCheck();
    ::testing::InitGoogleTest(&gtestArgc, gtestArgv.data());
    if (gtestArgc > 1) return fail(std::string("unknown option ") + gtestArgv[1]);
    // A --gtest_filter= is taken as it is; otherwise the plain arguments pick this pass's tests.
    if (!explicitFilter) ::testing::GTEST_FLAG(filter) = e2e::SelectTests(filters);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    std::printf("install folder: %s (ANSI code page %u)\n", e2e::StagedInstall().c_str(), GetACP());
    std::string why;
    if (!e2e::DriverToolsWork(&why)) return fail("e2e run aborted: the driver's tools do not work: " + why);
    if (!e2e::PrepareWin98Shim(&why)) return fail("e2e run aborted: " + why);

    auto* lines = new e2e::RunLines;  // the listener list owns it
    ::testing::UnitTest::GetInstance()->listeners().Append(lines);
    ::testing::UnitTest::GetInstance()->listeners().Append(new e2e::FatalFailureEndsTheTest);
    e2e::StartWatchdog();
    // The driver's own counts (with the watchdog's verdicts) decide, not GoogleTest's status.
    const int gtestStatus = RUN_ALL_TESTS();
    (void)gtestStatus;
    // A pass the filters select nothing from is no failure by itself (they may name only
    // another display's tests); run_e2e.sh fails a run without any.
    if (lines->passed + lines->failed == 0) std::printf("no test of this pass matches the filter\n");
    return e2e::Summary(lines->passed, lines->failed);
}
