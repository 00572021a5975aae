// PeltoDriver: starts Pelto.exe from fresh copies of an installed folder and
// checks what it does, from the outside, as another Win32 process.
//
//   PeltoDriver.exe acp                          prints the ANSI code page; 0 only for 932
//   PeltoDriver.exe <install-dir> [filter ...]   runs every test whose name contains a filter
//                                                (all tests when none is given)
//
// The install folder may also come from the environment variable PELTO_E2E_INSTALL;
// then every argument is a filter.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "target_support.h"

namespace e2e {
namespace {

struct TestEntry {
    const char* name;
    TestFunction function;
};

std::vector<TestEntry>& Registry() {
    static std::vector<TestEntry> registry;
    return registry;
}

std::vector<std::string>* currentFailures = nullptr;
DWORD testStart = 0;

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

}  // namespace

TestRegistration::TestRegistration(const char* name, TestFunction function) {
    Registry().push_back({name, function});
}

void RecordFailure(const char* file, int line, const std::string& message) {
    std::string entry = Format("%s:%d: %s", BaseName(file), line, message.c_str());
    if (currentFailures)
        currentFailures->push_back(entry);
    else
        std::printf("failure outside a test: %s\n", entry.c_str());
}

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

bool CurrentTestFailed() { return currentFailures && !currentFailures->empty(); }

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

}  // namespace e2e

namespace {

int RunAcp() {
    UINT acp = GetACP();
    std::printf("ANSI code page: %u\n", acp);
    std::fflush(stdout);
    return acp == 932 ? 0 : 1;
}

bool Selected(const char* name, const std::vector<std::string>& filters) {
    if (filters.empty()) return true;
    for (const std::string& f : filters)
        if (std::strstr(name, f.c_str())) return true;
    return false;
}

int RunTests(const std::vector<std::string>& filters) {
    int passed = 0, failed = 0;
    std::string why;
    if (!e2e::DriverToolsWork(&why)) {
        std::printf("e2e run aborted: the driver's tools do not work: %s\n", why.c_str());
        std::printf("e2e: 0 passed, 1 failed\n");
        std::fflush(stdout);
        return 1;
    }
    for (const e2e::TestEntry& test : e2e::Registry()) {
        if (!Selected(test.name, filters)) continue;
        // A key release that Wine missed in an earlier test would hold a
        // modifier down for this one.
        e2e::ReleaseModifierKeys();
        std::vector<std::string> failures;
        e2e::currentFailures = &failures;
        DWORD start = GetTickCount();
        e2e::testStart = start;
        try {
            test.function();
        } catch (const e2e::TestAbort&) {
            // The failure that ended the test is already recorded.
        } catch (const std::exception& ex) {
            failures.push_back(e2e::Format("exception: %s", ex.what()));
        }
        e2e::currentFailures = nullptr;
        double seconds = (GetTickCount() - start) / 1000.0;
        if (failures.empty()) {
            ++passed;
            std::printf("PASS %s\n", test.name);
        } else {
            ++failed;
            std::string reasons;
            for (const std::string& f : failures) reasons += (reasons.empty() ? "" : "; ") + f;
            std::printf("FAIL %s: %s\n", test.name, reasons.c_str());
        }
        std::printf("  (%s took %.1f s)\n", test.name, seconds);
        std::fflush(stdout);
    }
    if (passed + failed == 0) {
        std::printf("no test matches the filter\n");
        ++failed;
    }
    std::printf("e2e: %d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "acp") == 0) return RunAcp();

    std::vector<std::string> args(argv + 1, argv + argc);
    std::string install;
    const char* fromEnvironment = std::getenv("PELTO_E2E_INSTALL");
    if (fromEnvironment && *fromEnvironment) {
        install = fromEnvironment;
    } else if (!args.empty()) {
        install = args.front();
        args.erase(args.begin());
    }
    if (install.empty()) {
        std::printf("usage: PeltoDriver.exe acp | PeltoDriver.exe <install-dir> [test-name-filter ...]\n");
        std::printf("e2e: 0 passed, 1 failed\n");
        return 1;
    }
    if (!e2e::SetStagedInstall(install)) {
        std::printf("no Pelto.exe in the install folder %s\n", install.c_str());
        std::printf("e2e: 0 passed, 1 failed\n");
        return 1;
    }
    std::printf("install folder: %s (ANSI code page %u)\n", e2e::StagedInstall().c_str(), GetACP());
    std::fflush(stdout);
    return RunTests(args);
}
