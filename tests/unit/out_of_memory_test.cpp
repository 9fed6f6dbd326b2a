// Running out of memory, watched from outside: the probe runs a script with
// only a few megabytes to commit beyond start-up. The no-memory error is an
// error like any other: try catches it, and uncaught it is reported as such.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int status;
    std::string out; // standard output, then standard error
};

Outcome run_script(const std::string& code, int megabytes) {
    std::string cmd = std::string(XEL_EXIT_PROBE) + " script '" + code + "' " +
                      std::to_string(megabytes) + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    Outcome o{-1, ""};
    if (!p) return o;
    std::array<char, 256> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        o.out.append(buf.data(), n);
    int raw = pclose(p);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
    return o;
}

bool is_count(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// Fills memory with ever smaller values until even the smallest one fails.
// length? runs once first: a native's first call takes memory for its spec.
TEST(OutOfMemory, TryCatchesItAtEverySize) {
    const char* fills[] = {
        "b: copy [] length? b foreach sz [10000000 1000000 100000 10000 1000 100 10 1] [while "
        "[block! = "
        "type? try [append b make binary! sz]] []] length? b",
        "b: copy [] length? b foreach sz [600000 60000 6000 600 60] [while [block! = type? try "
        "[append/only "
        "b make block! sz]] []] foreach sz [10 1] [while [block! = type? try [append b copy "
        "\"x\"]] []] length? b",
    };
    for (const char* code : fills) {
        Outcome o = run_script(code, 48);
        EXPECT_EQ(o.status, 0) << o.out;
        EXPECT_TRUE(is_count(o.out)) << o.out;
    }
}

TEST(OutOfMemory, TheCaughtErrorFormsAsUsual) {
    Outcome o =
        run_script("b: copy [] e: try [forever [append b make binary! 100000]] b: none form e", 32);
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_EQ(o.out.rfind("{*** Internal Error: not enough memory^/*** Where: make", 0), 0u)
        << o.out;
}

TEST(OutOfMemory, UncaughtItEndsTheScriptWithItsReport) {
    for (const char* code : {"b: copy [] forever [append b make binary! 100000]",
                             "b: copy [] forever [append b copy \"abc\"]"}) {
        Outcome o = run_script(code, 32);
        EXPECT_EQ(o.status, 254) << o.out;
        EXPECT_EQ(o.out.rfind("*** Internal Error: not enough memory", 0), 0u) << o.out;
    }
}

} // namespace
