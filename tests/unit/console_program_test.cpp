// The program from a shell: scripts with arguments and exit statuses, piped
// commands, and a session typed into a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(30);

struct Outcome {
    std::string out;
    int status = -1;
};

// Runs xel with the arguments in dir, input on its standard input; the
// output is standard output and standard error together.
Outcome run_xel(const std::vector<std::string>& args, const std::string& input,
                const std::string& dir) {
    int in[2], out[2];
    EXPECT_EQ(pipe(in), 0);
    EXPECT_EQ(pipe(out), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(in[1]);
        close(out[0]);
        if (chdir(dir.c_str()) != 0) _exit(120);
        std::vector<char*> argv{const_cast<char*>(XEL_PROGRAM)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(XEL_PROGRAM, argv.data());
        _exit(121);
    }
    close(in[0]);
    close(out[1]);
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty()) {
        EXPECT_EQ(write(in[1], input.data(), input.size()), (ssize_t)input.size());
    }
    close(in[1]);
    Outcome r;
    auto deadline = Clock::now() + kTimeout;
    char buf[4096];
    while (Clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        r.out.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    if (Clock::now() >= deadline) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

class ConsoleProgram : public ::testing::Test {
  protected:
    std::string dir;
    void SetUp() override {
        std::string pattern = std::string(::testing::TempDir()) + "xel-console-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0); }
    void write_file(const std::string& name, const std::string& text) {
        std::ofstream f(dir + "/" + name);
        f << text;
    }
};

TEST_F(ConsoleProgram, PipedCommandsPrintTheirOutputAndResults) {
    Outcome r = run_xel({}, "print 1 + 2\n1 + 2\nb: [1\n2]\nlength? b\n", dir);
    EXPECT_EQ(r.out, "3\n== 3\n== [1\n2]\n== 2\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(ConsoleProgram, AnUnfinishedCommandIsReportedWhenInputEnds) {
    Outcome r = run_xel({}, "[1 2\n", dir);
    EXPECT_NE(r.out.find("*** Syntax Error"), std::string::npos) << r.out;
    EXPECT_EQ(r.status, 0);
}

TEST_F(ConsoleProgram, AFailingPromptIsReportedOnceAndPutBack) {
    Outcome r =
        run_xel({}, "system/console/prompt: does [1 / 0] ()\n1\nsystem/console/prompt\n", dir);
    EXPECT_EQ(r.out, "*** Math Error: attempt to divide by zero\n"
                     "*** Where: system/console/prompt\n"
                     "*** Near : 1 / 0\n"
                     "== 1\n"
                     "== \">> \"\n");
}

// A halt while the console checks a line's delimiters drops the command
// collected so far; it is neither run nor taken as continued.
TEST_F(ConsoleProgram, AHaltAsALineIsCheckedDropsTheCommand) {
    Outcome r = run_xel({},
                        "lex: :system/console/delimiter-lex ()\n"
                        "system/console/delimiter-lex: func [e i t l k] "
                        "[system/console/delimiter-lex: :lex halt] ()\n"
                        "print \"not run\" b: [1\n"
                        "print \"next\"\n",
                        dir);
    EXPECT_EQ(r.out, "(halted)\nnext\n");
    EXPECT_EQ(r.status, 0);
}

// Input that is no UTF-8 is bad code on its line, not the console's end.
TEST_F(ConsoleProgram, BytesThatAreNoUtf8AreReportedAndTheConsoleGoesOn) {
    Outcome r = run_xel({}, "print {caf\xE9}\nprint \"next\"\n", dir);
    EXPECT_EQ(r.out, "caf\xEF\xBF\xBD\nnext\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(ConsoleProgram, ScriptSeesItsArguments) {
    write_file("s.xel", "#!/usr/bin/env xel\nXel [Title: \"s\"]\n"
                        "print mold system/options/args print mold system/script/args\n");
    Outcome r = run_xel({"s.xel", "a", "b c"}, "", dir);
    EXPECT_EQ(r.out, "[\"a\" \"b c\"]\n{a \"b c\"}\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(ConsoleProgram, ScriptRunsInItsOwnFolder) {
    ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0755), 0);
    write_file("sub/s.xel", "Xel [] print exists? %s.xel\n");
    Outcome r = run_xel({"sub/s.xel"}, "", dir);
    EXPECT_EQ(r.out, "true\n");
}

struct StatusCase {
    const char* name;
    const char* script;
    int status;
    const char* printed;
};

const StatusCase kStatusCases[] = {
    {"quit_return", "Xel [] print 1 quit/return 7 print 2", 7, "1\n"},
    {"normal_end", "Xel [] print 1", 0, "1\n"},
    {"error", "Xel [] 1 / 0 print 2", 254, "*** Math Error: attempt to divide by zero\n"},
    {"no_header", "print 1", 254, "*** Error: Xel header not found!\n"},
    {"system_dialect", "Xel/System [] 1", 254,
     "*** Error: contains Xel/System code which requires compilation!\n"},
    {"load_error", "Xel [] [1 2", 254, "*** Syntax Error"},
};

class ScriptStatus : public ConsoleProgram, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ScriptStatus, EndsWithTheScriptsStatus) {
    const StatusCase& c = GetParam();
    write_file("t.xel", c.script);
    Outcome r = run_xel({"t.xel"}, "", dir);
    EXPECT_EQ(r.status, c.status) << r.out;
    EXPECT_EQ(r.out.compare(0, std::strlen(c.printed), c.printed), 0) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Table, ScriptStatus, ::testing::ValuesIn(kStatusCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsoleProgram, CatchStaysInTheConsoleAfterTheScript) {
    write_file("s.xel", "Xel [] x: 20");
    Outcome r = run_xel({"--catch", "s.xel", "arg"}, "x + 1\nsystem/options/args\n", dir);
    EXPECT_EQ(r.out, "== 21\n== [\"arg\"]\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(ConsoleProgram, AMissingScriptIsReportedAndTheConsoleStarts) {
    Outcome r = run_xel({"missing.xel"}, "1 + 1\n", dir);
    EXPECT_EQ(r.out.compare(0, 38, "*** Access Error: cannot open: %missin"), 0) << r.out;
    EXPECT_NE(r.out.find("Type HELP for starting information."), std::string::npos);
    EXPECT_NE(r.out.find("== 2\n"), std::string::npos);
}

// A session in a pseudo-terminal: what the terminal shows is read until the
// expected text appears, never by waiting a fixed time.
class Terminal {
  public:
    explicit Terminal(const std::string& dir) {
        winsize size{24, 80, 0, 0};
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            if (chdir(dir.c_str()) != 0) _exit(120);
            execl(XEL_PROGRAM, XEL_PROGRAM, static_cast<char*>(nullptr));
            _exit(121);
        }
    }
    ~Terminal() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) close(fd_);
    }
    bool started() const { return pid_ > 0; }
    void type(const std::string& keys) {
        ASSERT_EQ(write(fd_, keys.data(), keys.size()), (ssize_t)keys.size());
    }
    // Reads until text appears after what earlier calls consumed.
    bool expect(const std::string& text, Clock::duration within = kTimeout) {
        auto deadline = Clock::now() + within;
        while (true) {
            size_t at = screen_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return true;
            }
            if (Clock::now() >= deadline) return false;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buf[4096];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) return false;
            screen_.append(buf, static_cast<size_t>(n));
        }
    }
    int wait_exit() {
        auto deadline = Clock::now() + kTimeout;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() >= deadline) return -1;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char buf[4096];
                if (read(fd_, buf, sizeof buf) > 0) continue;
            }
        }
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    const std::string& screen() const { return screen_; }
    // Waits, without sleeping, until the line editor holds the terminal
    // (keys are bytes) or has handed it back (Ctrl+C is a signal). What it
    // shows meanwhile is kept, so that it never waits for room to write.
    bool wait_keys_raw(bool raw) {
        auto deadline = Clock::now() + kTimeout;
        termios modes{};
        while (tcgetattr(fd_, &modes) == 0 && Clock::now() < deadline) {
            if (((modes.c_lflag & ISIG) == 0) == raw) return true;
            pollfd p{fd_, POLLIN, 0};
            char buf[4096];
            ssize_t n = poll(&p, 1, 0) > 0 ? read(fd_, buf, sizeof buf) : 0;
            if (n > 0) screen_.append(buf, static_cast<size_t>(n));
        }
        return false;
    }

  private:
    int fd_ = -1;
    pid_t pid_ = -1;
    bool exited_ = false;
    std::string screen_;
    size_t seen_ = 0;
};

const char kLeft[] = "\x1b[D";
const char kRight[] = "\x1b[C";
const char kUp[] = "\x1b[A";
const char kHome[] = "\x1b[H";

TEST_F(ConsoleProgram, TerminalSessionEditsRecallsAndHalts) {
    Terminal t(dir);
    ASSERT_TRUE(t.started());
    ASSERT_TRUE(t.expect("Type HELP for starting information.")) << t.screen();
    ASSERT_TRUE(t.expect(">> ")) << t.screen();

    t.type("1 + 2\r");
    EXPECT_TRUE(t.expect("== 3")) << t.screen();

    // Home, then right twice, to mend a word.
    t.type(std::string("prnt 40") + kHome + kRight + kRight + "i\r");
    EXPECT_TRUE(t.expect("\r\n40\r\n")) << t.screen();

    // Ctrl+A and Ctrl+E.
    t.type("rint 4\x01p\x05"
           "1\r");
    EXPECT_TRUE(t.expect("\r\n41\r\n")) << t.screen();

    // Ctrl+U drops what is before the caret, Ctrl+K what is after it.
    t.type("junk\x15print 42xyz");
    t.type(std::string(kLeft) + kLeft + kLeft + "\x0b\r");
    EXPECT_TRUE(t.expect("\r\n42\r\n")) << t.screen();

    // Ctrl+W drops the word before the caret.
    t.type("print 43 junk\x17\r");
    EXPECT_TRUE(t.expect("\r\n43\r\n")) << t.screen();

    // Up recalls the last line.
    t.type(std::string(kUp) + "\r");
    EXPECT_TRUE(t.expect("\r\n43\r\n")) << t.screen();

    // Tab completes a word, or shows the candidates above the line.
    t.type("lengt\t");
    t.type(" [1 2 3]\r");
    EXPECT_TRUE(t.expect("== 3")) << t.screen();
    t.type("prin\t");
    EXPECT_TRUE(t.expect(">> prin print\r\n")) << t.screen();
    t.type("t 45\r");
    EXPECT_TRUE(t.expect("\r\n45\r\n")) << t.screen();

    // An open block continues with its cue.
    t.type("b: [1\r");
    EXPECT_TRUE(t.expect("[    ")) << t.screen();
    t.type("2] length? b\r");
    EXPECT_TRUE(t.expect("== 2")) << t.screen();

    // Esc drops the line. Keys typed before the next prompt would meet the
    // terminal's own line mode, where Ctrl+C throws them away.
    t.type("print 99\x1b");
    EXPECT_TRUE(t.expect("(escape)")) << t.screen();
    ASSERT_TRUE(t.expect(">> ")) << t.screen();

    // Ctrl+C stops an evaluation and the console goes on. It is sent once the
    // evaluation printed: before, it may meet the line editor, for which it
    // is only a key.
    t.type("print \"go\" loop 2000000000 [1 + 1]\r");
    ASSERT_TRUE(t.expect("\r\ngo\r\n")) << t.screen();
    t.type("\x03");
    EXPECT_TRUE(t.expect("(halted)")) << t.screen();
    t.type("print 44\r");
    EXPECT_TRUE(t.expect("\r\n44\r\n")) << t.screen();

    t.type("quit/return 3\r");
    EXPECT_EQ(t.wait_exit(), 3);
}

// Ctrl+C typed the moment the line editor gives the terminal back belongs to
// the command just entered: it halts it, however early it comes. The blocks
// after the loop keep the console busy checking delimiters and loading
// before the loop starts.
TEST_F(ConsoleProgram, CtrlCRightAfterEnterHaltsTheCommand) {
    Terminal t(dir);
    ASSERT_TRUE(t.started());
    std::string command = "loop 2000000000 [1 + 1]";
    for (int i = 0; i < 300; i++)
        command += " [[]]";
    for (int round = 0; round < 3; round++) {
        ASSERT_TRUE(t.expect(">> ")) << t.screen();
        ASSERT_TRUE(t.wait_keys_raw(true));
        t.type(command + "\r");
        ASSERT_TRUE(t.wait_keys_raw(false));
        t.type("\x03");
        ASSERT_TRUE(t.expect("(halted)")) << t.screen();
    }
    t.type("print 44\r");
    EXPECT_TRUE(t.expect("\r\n44\r\n")) << t.screen();
    t.type("quit\r");
    EXPECT_EQ(t.wait_exit(), 0);
}

// Ctrl+C cuts a wait short: the console does not sleep on to its end.
TEST_F(ConsoleProgram, CtrlCHaltsAWait) {
    Terminal t(dir);
    ASSERT_TRUE(t.started());
    ASSERT_TRUE(t.expect(">> ")) << t.screen();
    t.type("print \"go\" wait 1000 print \"woke\"\r");
    ASSERT_TRUE(t.expect("\r\ngo\r\n")) << t.screen();
    t.type("\x03");
    EXPECT_TRUE(t.expect("(halted)")) << t.screen();
    EXPECT_EQ(t.screen().find("\r\nwoke\r\n"), std::string::npos);
}

TEST_F(ConsoleProgram, TerminalEndOfInputEndsTheConsole) {
    Terminal t(dir);
    ASSERT_TRUE(t.started());
    ASSERT_TRUE(t.expect(">> ")) << t.screen();
    t.type("\x04");
    EXPECT_EQ(t.wait_exit(), 0);
}

} // namespace
