// The driver's framework: GoogleTest, a per-test time limit, a trace, text for messages.
#pragma once
#include <gtest/gtest.h>

#include <string>

#define E2E_PRINTF(a, b) __attribute__((format(__MINGW_PRINTF_FORMAT, a, b)))

namespace e2e {

// Thrown by a wait once the test's time is up, its failure recorded. As an AssertionException
// GoogleTest ends just the test; any other exception, reported as a fatal failure, would
// meet the driver's listener inside GoogleTest's handler and end the whole run.
struct TestAbort : ::testing::AssertionException {
    TestAbort()
        : AssertionException(::testing::TestPartResult(::testing::TestPartResult::kFatalFailure, __FILE__, __LINE__,
                                                       "the test stopped at its time limit")) {}
};

// With PELTO_E2E_TRACE=1, a line with the ms since the test began.
void Trace(const char* format, ...) E2E_PRINTF(1, 2);
std::string Format(const char* format, ...) E2E_PRINTF(1, 2);
// Bytes outside printable ASCII as \xNN (\n as \n), so CP932 texts show in ASCII output.
std::string Printable(const std::string& text);

// The running test's limit in seconds (a test may set more at its start); past it the
// test fails by name, its processes are ended and its next wait stops it.
void SetTestTimeLimit(unsigned seconds);
constexpr unsigned kDefaultTestTimeLimit = 60;
// Whether the test is past its limit (the first call that finds it so records the failure).
bool TestTimeIsUp();
std::string CurrentTestName();  // "Group.Name", "" outside a test

}  // namespace e2e
