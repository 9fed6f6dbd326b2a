// The process exit paths, watched from outside: each case runs the probe in a
// child process and checks its status and what it wrote on standard error.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "runtime/core/fatal.h"

namespace {

struct Outcome {
    int status;
    std::string err;
};

Outcome run_probe(const std::string& mode) {
    std::string cmd = std::string(XEL_EXIT_PROBE) + " " + mode + " 2>&1 >/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    Outcome out{-1, ""};
    if (!p) return out;
    std::array<char, 256> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        out.err.append(buf.data(), n);
    int raw = pclose(p);
    out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
    return out;
}

struct ExitCase {
    const char* mode;
    int status;
    const char* err_prefix; // nullptr: nothing may be written
};

class ExitPaths : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitPaths, StatusAndReport) {
    const ExitCase& c = GetParam();
    Outcome out = run_probe(c.mode);
    EXPECT_EQ(out.status, c.status) << out.err;
    if (!c.err_prefix)
        EXPECT_EQ(out.err, "");
    else
        EXPECT_EQ(out.err.rfind(c.err_prefix, 0), 0u) << out.err;
    if (c.err_prefix) {
        // "*** at: " then eight upper-case hex digits and "h", then a line end.
        auto at = out.err.find("\n*** at: ");
        ASSERT_NE(at, std::string::npos) << out.err;
        std::string addr = out.err.substr(at + 9);
        ASSERT_GE(addr.size(), 10u);
        for (int i = 0; i < 8; i++)
            EXPECT_TRUE(std::isxdigit(addr[i]) && !std::islower(addr[i]));
        EXPECT_EQ(addr.substr(8), "h\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ExitPaths,
    ::testing::Values(ExitCase{"normal", 0, nullptr}, ExitCase{"quit", 0, nullptr},
                      ExitCase{"caught", 0, nullptr},
                      ExitCase{"throw", 95, "*** Runtime Error 95: no CATCH for THROW\n"},
                      ExitCase{"segv", 16, "*** Runtime Error 16: invalid virtual address\n"},
                      ExitCase{"divide", 13, "*** Runtime Error 13: integer divide by zero\n"},
                      ExitCase{"deep", 19, "*** Runtime Error 19: stack error or overflow\n"},
                      ExitCase{"heap", 94, "*** Runtime Error 94: out of memory\n"}),
    [](const auto& info) { return std::string(info.param.mode); });

TEST(FatalText, TableAndUnknownNumbers) {
    EXPECT_STREQ(xel::runtime_error_text(6), "float denormal operan");
    EXPECT_STREQ(xel::runtime_error_text(34), "Bus error");
    EXPECT_STREQ(xel::runtime_error_text(101), "no value matched in SWITCH");
    EXPECT_STREQ(xel::runtime_error_text(35), "unknown error code!");
    EXPECT_STREQ(xel::runtime_error_text(-3), "unknown error code!");
    char buf[512];
    xel::format_runtime_error(buf, sizeof buf, 95, 0x00ABCDEFu);
    EXPECT_STREQ(buf, "*** Runtime Error 95: no CATCH for THROW\n*** at: 00ABCDEFh");
}

TEST(Program, StartsAndExitsCleanly) {
    std::string cmd = std::string(XEL_PROGRAM) + " </dev/null 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[64];
    EXPECT_EQ(fread(buf, 1, sizeof buf, p), 0u);
    EXPECT_EQ(WEXITSTATUS(pclose(p)), 0);
}

} // namespace
