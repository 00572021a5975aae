// The end-to-end driver's test framework: GoogleTest's assertions, a per-test
// time limit, a trace and the text helpers of failure messages.
#pragma once
#include <gtest/gtest.h>

#include <exception>
#include <string>

#ifdef __MINGW_PRINTF_FORMAT
#define E2E_PRINTF(a, b) __attribute__((format(__MINGW_PRINTF_FORMAT, a, b)))
#else
#define E2E_PRINTF(a, b) __attribute__((format(printf, a, b)))
#endif

namespace e2e {

// Thrown by a wait once the test's time is up: ends the running test.
// GoogleTest catches it and counts the test as failed.
struct TestAbort : std::exception {
    const char* what() const noexcept override { return "the test stopped at the failure above"; }
};

// With PELTO_E2E_TRACE=1 in the environment, prints a line with the milliseconds
// since the running test began; otherwise does nothing.
void Trace(const char* format, ...) E2E_PRINTF(1, 2);

// printf into a std::string.
std::string Format(const char* format, ...) E2E_PRINTF(1, 2);

// Text with every byte outside printable ASCII written as \xNN (and \n as \n),
// so that CP932 texts can be shown in ASCII output.
std::string Printable(const std::string& text);

// The running test's time limit, in seconds (60 unless a test sets more at its
// start). Past it the test fails with its name, the processes it started are
// ended, and its next wait stops it.
void SetTestTimeLimit(unsigned seconds);
constexpr unsigned kDefaultTestTimeLimit = 60;

// Whether the running test has run past its time limit (the first call that
// finds it so records the failure).
bool TestTimeIsUp();

// "Group.Name" of the running test ("" outside a test).
std::string CurrentTestName();

}  // namespace e2e
