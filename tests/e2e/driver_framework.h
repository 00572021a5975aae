// A very small test framework for the end-to-end driver: named test functions,
// checks that record a failure and go on, and checks that end the test.
#pragma once
#include <string>

#ifdef __MINGW_PRINTF_FORMAT
#define E2E_PRINTF(a, b) __attribute__((format(__MINGW_PRINTF_FORMAT, a, b)))
#else
#define E2E_PRINTF(a, b) __attribute__((format(printf, a, b)))
#endif

namespace e2e {

using TestFunction = void (*)();

// Adds a test to the list the driver runs, in the order of registration.
struct TestRegistration {
    TestRegistration(const char* name, TestFunction function);
};

// Thrown by REQUIRE checks: ends the running test, which then counts as failed.
struct TestAbort {};

// Notes a failure of the running test ("file:line: message").
void RecordFailure(const char* file, int line, const std::string& message);

// Whether the running test has recorded a failure so far.
bool CurrentTestFailed();

// With PELTO_E2E_TRACE=1 in the environment, prints a line with the milliseconds
// since the running test began; otherwise does nothing.
void Trace(const char* format, ...) E2E_PRINTF(1, 2);

// printf into a std::string.
std::string Format(const char* format, ...) E2E_PRINTF(1, 2);

// Text with every byte outside printable ASCII written as \xNN (and \n as \n),
// so that CP932 texts can be shown in ASCII output.
std::string Printable(const std::string& text);

}  // namespace e2e

#define E2E_TEST(name)                                                              \
    static void name();                                                             \
    static const ::e2e::TestRegistration name##_registration(#name, name);          \
    static void name()

#define CHECK(cond)                                                                 \
    do {                                                                            \
        if (!(cond)) ::e2e::RecordFailure(__FILE__, __LINE__, "CHECK(" #cond ")"); \
    } while (0)

#define CHECK_MSG(cond, ...)                                                            \
    do {                                                                                \
        if (!(cond)) ::e2e::RecordFailure(__FILE__, __LINE__, ::e2e::Format(__VA_ARGS__)); \
    } while (0)

#define REQUIRE_MSG(cond, ...)                                                          \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            ::e2e::RecordFailure(__FILE__, __LINE__, ::e2e::Format(__VA_ARGS__));       \
            throw ::e2e::TestAbort();                                                   \
        }                                                                               \
    } while (0)

#define CHECK_EQ_INT(actual, expected)                                                        \
    do {                                                                                      \
        long long e2e_a_ = static_cast<long long>(actual);                                    \
        long long e2e_e_ = static_cast<long long>(expected);                                  \
        if (e2e_a_ != e2e_e_)                                                                 \
            ::e2e::RecordFailure(__FILE__, __LINE__,                                          \
                                 ::e2e::Format("%s is %lld, expected %lld", #actual, e2e_a_, e2e_e_)); \
    } while (0)

#define CHECK_EQ_STR(actual, expected)                                                        \
    do {                                                                                      \
        std::string e2e_a_ = (actual);                                                        \
        std::string e2e_e_ = (expected);                                                      \
        if (e2e_a_ != e2e_e_)                                                                 \
            ::e2e::RecordFailure(__FILE__, __LINE__,                                          \
                                 ::e2e::Format("%s is \"%s\", expected \"%s\"", #actual,       \
                                               ::e2e::Printable(e2e_a_).c_str(),              \
                                               ::e2e::Printable(e2e_e_).c_str()));            \
    } while (0)
