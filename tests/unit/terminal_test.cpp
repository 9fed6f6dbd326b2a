// The line editor's hand-over of the terminal, in a child process whose
// standard input is a pseudo-terminal.
#include <gtest/gtest.h>

#include <csignal>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "platform/os/terminal.h"

using namespace xel;

namespace {

volatile std::sig_atomic_t g_interrupts = 0;
volatile std::sig_atomic_t g_interrupts_in_taken = -1;
volatile std::sig_atomic_t g_signals_on_in_taken = 0;

// A Ctrl+C at the last moment before taken clears what came while waiting:
// the terminal already makes signals of it, and it must not be lost.
void taken() {
    termios modes{};
    g_signals_on_in_taken = tcgetattr(0, &modes) == 0 && (modes.c_lflag & ISIG) != 0;
    std::raise(SIGINT);
    g_interrupts_in_taken = g_interrupts;
}

} // namespace

TEST(Terminal, AnInterruptAsTheLineIsTakenComesAfterTaken) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 0);
        dup2(slave, 1);
        struct sigaction sa {};
        sa.sa_handler = [](int) { g_interrupts = g_interrupts + 1; };
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, nullptr);
        if (write(master, "ab\r", 3) != 3) _exit(10);
        EditedLine line = terminal_read_line("", "> ", "", 0, false, {}, taken);
        if (line.end != LineEnd::kEnter || line.text != "ab") _exit(11);
        if (!g_signals_on_in_taken) _exit(12);
        if (g_interrupts_in_taken != 0) _exit(13);
        _exit(g_interrupts == 1 ? 0 : 14);
    }
    close(slave);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
