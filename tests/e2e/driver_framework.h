// The end-to-end driver's test framework: GoogleTest, with a few shims that keep
// the driver's older check macros working (CHECK, CHECK_MSG, CHECK_EQ_INT,
// CHECK_EQ_STR: a failure that lets the test go on; REQUIRE_MSG: a failure that
// ends the test, also from inside a helper function), a per-test time limit and
// a trace.
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

// Thrown by REQUIRE_MSG (and by a wait once the test's time is up): ends the
// running test. GoogleTest catches it and counts the test as failed; the failure
// that stopped it is recorded before the throw.
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

// Each shim is one statement, so that "if (x) CHECK(y); else ..." means what it says.
#define CHECK(cond)          \
    do {                     \
        EXPECT_TRUE(cond);   \
    } while (0)

#define CHECK_MSG(cond, ...)                                   \
    do {                                                       \
        EXPECT_TRUE(cond) << ::e2e::Format(__VA_ARGS__);       \
    } while (0)

#define REQUIRE_MSG(cond, ...)                                                       \
    do {                                                                             \
        if (!(cond)) {                                                               \
            ADD_FAILURE() << "REQUIRE(" #cond "): " << ::e2e::Format(__VA_ARGS__);   \
            throw ::e2e::TestAbort();                                                \
        }                                                                            \
    } while (0)

#define CHECK_EQ_INT(actual, expected)                                                  \
    do {                                                                                \
        EXPECT_EQ(static_cast<long long>(actual), static_cast<long long>(expected));    \
    } while (0)

// Compared as printable text, so CP932 bytes show as \xNN in a failure.
#define CHECK_EQ_STR(actual, expected)                                                                 \
    do {                                                                                               \
        EXPECT_EQ(::e2e::Printable(std::string(actual)), ::e2e::Printable(std::string(expected)));    \
    } while (0)
