// The OS layer of call: streams, exit statuses and children left running.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/os/file-size.h"
#include "platform/os/process.h"

namespace xel {
namespace {

std::string temp_path(const char* name) {
    return std::string(::testing::TempDir()) + name + std::to_string(getpid());
}

ProcessRequest request(const char* command) {
    ProcessRequest r;
    r.command = command;
    r.wait = true;
    return r;
}

TEST(Process, ExitStatusAndSignals) {
    struct Case {
        const char* command;
        int status;
    } cases[] = {
        {"exit 0", 0}, {"exit 7", 7}, {"kill -TERM $$", 128 + 15}, {"no-such-cmd 2>&-", 127}};
    for (const Case& c : cases) {
        ProcessRequest r = request(c.command);
        EXPECT_EQ(os_run_process(r), c.status) << c.command;
    }
}

TEST(Process, CapturesOutputAndErrorAndFeedsInput) {
    ProcessRequest r = request("cat; echo err >&2");
    r.input = {StreamKind::Data, "", "in\n"};
    r.output.kind = StreamKind::Data;
    r.error.kind = StreamKind::Data;
    EXPECT_EQ(os_run_process(r), 0);
    EXPECT_EQ(r.output.data, "in\n");
    EXPECT_EQ(r.error.data, "err\n");
}

// A child that stops reading early must not end the program with SIGPIPE,
// and a child that writes much while its input is pending must not stall it.
TEST(Process, LargeStreamsBothWays) {
    ProcessRequest r = request("head -c 10 >/dev/null; head -c 3000000 /dev/zero");
    r.input = {StreamKind::Data, "", std::string(5000000, 'x')};
    r.output.kind = StreamKind::Data;
    EXPECT_EQ(os_run_process(r), 0);
    EXPECT_EQ(r.output.data.size(), 3000000u);
}

TEST(Process, FilesRedirectAndAppend) {
    std::string out = temp_path("xel-process-out");
    std::remove(out.c_str());
    for (const char* word : {"one", "two"}) {
        ProcessRequest r = request((std::string("echo ") + word).c_str());
        r.output = {StreamKind::File, out, ""};
        ASSERT_EQ(os_run_process(r), 0);
    }
    ProcessRequest r = request("cat");
    r.input = {StreamKind::File, out, ""};
    r.output.kind = StreamKind::Data;
    EXPECT_EQ(os_run_process(r), 0);
    EXPECT_EQ(r.output.data, "one\ntwo\n");
    std::remove(out.c_str());

    ProcessRequest missing = request("cat");
    missing.input = {StreamKind::File, "/definitely/not/here", ""};
    EXPECT_EQ(os_run_process(missing), -1);
}

TEST(Process, WithoutWaitingAnswersThePidAndReapsItLater) {
    ProcessRequest r = request("exit 0");
    r.wait = false;
    int pid = os_run_process(r);
    ASSERT_GT(pid, 0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    ProcessRequest next = request("exit 0");
    EXPECT_EQ(os_run_process(next), 0);
    int status;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), -1) << "the ended child was reaped";
}

TEST(FileSize, FilesFoldersAndPipes) {
    std::string file = temp_path("xel-size");
    std::ofstream(file) << "12345";
    EXPECT_EQ(os_file_size(file.c_str()), 5);
    std::remove(file.c_str());
    EXPECT_EQ(os_file_size(file.c_str()), -1);
    EXPECT_EQ(os_file_size("/"), -1);
    std::string fifo = temp_path("xel-fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(os_file_size(fifo.c_str()), 0) << "opened without waiting for a writer";
    std::remove(fifo.c_str());
}

} // namespace
} // namespace xel
