// The line editor's hand-over of the terminal, in a child process whose
// standard input is a pseudo-terminal.
#include <gtest/gtest.h>

#include <csignal>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "platform/os/terminal.h"

using namespace xel;

namespace {

volatile std::sig_atomic_t g_raw_in_taken = 0;

bool signals_on() {
    termios modes{};
    return tcgetattr(0, &modes) == 0 && (modes.c_lflag & ISIG) != 0;
}

void taken() {
    g_raw_in_taken = !signals_on();
}

} // namespace

// What came while waiting is dropped in taken while Ctrl+C is still a key:
// one typed after the terminal turns it into a signal again is never lost.
TEST(Terminal, TakenRunsBeforeCtrlCIsASignalAgain) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 0);
        dup2(slave, 1);
        if (!signals_on()) _exit(10);
        if (write(master, "ab\r", 3) != 3) _exit(11);
        EditedLine line = terminal_read_line("", "> ", "", 0, false, {}, taken);
        if (line.end != LineEnd::kEnter || line.text != "ab") _exit(12);
        if (!g_raw_in_taken) _exit(13);
        _exit(signals_on() ? 0 : 14);
    }
    close(slave);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// An escape sequence with a number longer than any key's is one unknown key.
TEST(Terminal, AnEscapeSequenceWithAHugeNumberIsOneKey) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 0);
        dup2(slave, 1);
        std::string keys = "\x1b[" + std::string(40, '9') + "~ab\r";
        if (write(master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) _exit(10);
        EditedLine line = terminal_read_line("", "> ", "", 0, false, {}, [] {});
        _exit(line.end == LineEnd::kEnter && line.text == "ab" ? 0 : 11);
    }
    close(slave);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
