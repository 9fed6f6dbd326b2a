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

// Runs body in a child whose standard input and output are a
// pseudo-terminal, with the terminal's other side given to it; the child's
// exit status (-1 when it did not exit).
template <class Body> int in_pseudo_terminal(Body body) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 0);
        dup2(slave, 1);
        _exit(body(master));
    }
    close(slave);
    int status = -1;
    pid_t waited = waitpid(pid, &status, 0);
    close(master);
    return waited == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// What came while waiting is dropped in taken while Ctrl+C is still a key:
// one typed after the terminal turns it into a signal again is never lost.
TEST(Terminal, TakenRunsBeforeCtrlCIsASignalAgain) {
    EXPECT_EQ(in_pseudo_terminal([](int master) {
                  if (!signals_on()) return 10;
                  if (write(master, "ab\r", 3) != 3) return 11;
                  EditedLine line = terminal_read_line("", "> ", "", 0, false, {}, taken);
                  if (line.end != LineEnd::kEnter || line.text != "ab") return 12;
                  if (!g_raw_in_taken) return 13;
                  return signals_on() ? 0 : 14;
              }),
              0);
}

// An escape sequence with a number longer than any key's is one unknown key.
TEST(Terminal, AnEscapeSequenceWithAHugeNumberIsOneKey) {
    EXPECT_EQ(in_pseudo_terminal([](int master) {
                  std::string keys = "\x1b[" + std::string(40, '9') + "~ab\r";
                  if (write(master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
                      return 10;
                  EditedLine line = terminal_read_line("", "> ", "", 0, false, {}, [] {});
                  return line.end == LineEnd::kEnter && line.text == "ab" ? 0 : 11;
              }),
              0);
}
