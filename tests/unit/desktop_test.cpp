// Handing targets to the desktop's handler, and the command line.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/os/desktop.h"

namespace xel {
namespace {

// A stand-in handler on the PATH records what it was given.
TEST(Desktop, HandsTheTargetToTheHandlerAsOneArgument) {
    std::string pattern = std::string(::testing::TempDir()) + "xel-desktop-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    std::string dir = pattern;
    std::string record = dir + "/record";
    {
        std::ofstream script(dir + "/xdg-open");
        script << "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$#\" > '" << record << ".tmp'\nmv '" << record
               << ".tmp' '" << record << "'\n";
    }
    ASSERT_EQ(chmod((dir + "/xdg-open").c_str(), 0755), 0);
    const char* old_path = std::getenv("PATH");
    std::string saved = old_path ? old_path : "";
    setenv("PATH", (dir + ":" + saved).c_str(), 1);
    bool started = os_open_with_desktop("http://h/a b?x=1&y='2'");
    setenv("PATH", saved.c_str(), 1);
    EXPECT_TRUE(started);

    std::string got;
    for (int i = 0; i < 500 && got.empty(); i++) {
        std::ifstream in(record);
        std::stringstream s;
        s << in.rdbuf();
        got = s.str();
        if (got.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(got, "http://h/a b?x=1&y='2'|1");
    EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

TEST(Desktop, NoHandlerIsReportedNotRaised) {
    const char* old_path = std::getenv("PATH");
    std::string saved = old_path ? old_path : "";
    setenv("PATH", "/nonexistent", 1);
    EXPECT_FALSE(os_open_with_desktop("http://h/"));
    setenv("PATH", saved.c_str(), 1);
}

TEST(Desktop, CommandLineStartsWithTheProgram) {
    std::string line = os_command_line();
    EXPECT_NE(line.find("xel-unit"), std::string::npos) << line;
}

} // namespace
} // namespace xel
