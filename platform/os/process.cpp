#include "platform/os/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace xel {

namespace {

// Children started without waiting: reaped once they have ended, so none
// lingers as a zombie.
std::vector<pid_t> g_unwaited;

void reap_unwaited() {
    std::erase_if(g_unwaited, [](pid_t pid) {
        int status;
        return waitpid(pid, &status, WNOHANG) != 0;
    });
}

// Descriptors of one run, closed however it ends.
struct Descriptors {
    std::vector<int> fds;
    ~Descriptors() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
    int keep(int fd) {
        fds.push_back(fd);
        return fd;
    }
    void close(int fd) {
        for (int& f : fds)
            if (f == fd) {
                ::close(f);
                f = -1;
            }
    }
};

// One end of a pipe that the parent reads or writes, with the other end (the
// child's) dup'ed onto target in the child.
struct Pipe {
    int parent = -1;
    int child = -1;
};

bool make_pipe(Descriptors& d, Pipe& p, bool parent_writes) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    d.keep(fds[0]);
    d.keep(fds[1]);
    p.parent = parent_writes ? fds[1] : fds[0];
    p.child = parent_writes ? fds[0] : fds[1];
    return fcntl(p.parent, F_SETFL, O_NONBLOCK) == 0;
}

// Sets up the child's descriptor target for a stream; the parent's pipe end
// goes to *parent_end. False when a pipe or a file cannot be opened.
bool plan_stream(Descriptors& d, posix_spawn_file_actions_t* actions, const ProcessStream& s,
                 int target, bool console, int* parent_end) {
    bool input = target == 0;
    switch (s.kind) {
    case StreamKind::None:
        if (console) return true;
        return posix_spawn_file_actions_addopen(actions, target, "/dev/null",
                                                input ? O_RDONLY : O_WRONLY, 0) == 0;
    case StreamKind::Data: {
        Pipe p;
        if (!make_pipe(d, p, input)) return false;
        *parent_end = p.parent;
        return posix_spawn_file_actions_adddup2(actions, p.child, target) == 0;
    }
    case StreamKind::File: {
        int flags = input ? O_RDONLY : O_WRONLY | O_CREAT | O_APPEND;
        int fd = ::open(s.path.c_str(), flags | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        d.keep(fd);
        return posix_spawn_file_actions_adddup2(actions, fd, target) == 0;
    }
    }
    return false;
}

// Writing to a pipe whose reader has gone raises SIGPIPE, which would end
// the program: it stays blocked in this thread while the pipes are served and
// any instance raised meanwhile is consumed before the mask is restored.
struct SigpipeBlock {
    sigset_t old{};
    SigpipeBlock() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &set, &old);
    }
    ~SigpipeBlock() {
        sigset_t set, pending;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        timespec zero{0, 0};
        while (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE))
            if (sigtimedwait(&set, nullptr, &zero) < 0) break;
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }
};

// Feeds the input and drains output and error until every pipe is closed.
void serve_pipes(Descriptors& d, int in_fd, const std::string& in_data, int out_fd,
                 std::string* out_data, int err_fd, std::string* err_data) {
    SigpipeBlock block;
    size_t written = 0;
    if (in_fd >= 0 && in_data.empty()) {
        d.close(in_fd);
        in_fd = -1;
    }
    char chunk[4096];
    while (in_fd >= 0 || out_fd >= 0 || err_fd >= 0) {
        pollfd polls[3];
        int n = 0;
        if (in_fd >= 0) polls[n++] = {in_fd, POLLOUT, 0};
        if (out_fd >= 0) polls[n++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0) polls[n++] = {err_fd, POLLIN, 0};
        if (poll(polls, static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < n; i++) {
            if (!polls[i].revents) continue;
            int fd = polls[i].fd;
            if (fd == in_fd) {
                ssize_t k = ::write(fd, in_data.data() + written, in_data.size() - written);
                if (k > 0) written += static_cast<size_t>(k);
                if ((k < 0 && errno != EAGAIN && errno != EINTR) || written == in_data.size()) {
                    d.close(fd);
                    in_fd = -1;
                }
                continue;
            }
            std::string* sink = fd == out_fd ? out_data : err_data;
            ssize_t k = ::read(fd, chunk, sizeof chunk);
            if (k > 0) {
                sink->append(chunk, static_cast<size_t>(k));
            } else if (k == 0 || (errno != EAGAIN && errno != EINTR)) {
                d.close(fd);
                (fd == out_fd ? out_fd : err_fd) = -1;
            }
        }
    }
}

int exit_status(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

int os_run_process(ProcessRequest& r) {
    reap_unwaited();
    Descriptors d;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    struct Cleanup {
        posix_spawn_file_actions_t* a;
        posix_spawnattr_t* b;
        ~Cleanup() {
            posix_spawn_file_actions_destroy(a);
            posix_spawnattr_destroy(b);
        }
    } cleanup{&actions, &attr};

    int in_fd = -1, out_fd = -1, err_fd = -1;
    if (!plan_stream(d, &actions, r.input, 0, r.console, &in_fd) ||
        !plan_stream(d, &actions, r.output, 1, r.console, &out_fd) ||
        !plan_stream(d, &actions, r.error, 2, r.console, &err_fd))
        return -1;

    // The child starts with no blocked signals and SIGPIPE at its default.
    sigset_t none, pipe_only;
    sigemptyset(&none);
    sigemptyset(&pipe_only);
    sigaddset(&pipe_only, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &pipe_only);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char sh[] = "sh", dash_c[] = "-c";
    char* argv[] = {sh, dash_c, r.command.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, "/bin/sh", &actions, &attr, argv, environ) != 0) return -1;

    // Only the parent's pipe ends stay open here, so each pipe ends when the
    // child closes its end.
    for (int fd : d.fds)
        if (fd >= 0 && fd != in_fd && fd != out_fd && fd != err_fd) d.close(fd);
    serve_pipes(d, in_fd, r.input.data, out_fd, &r.output.data, err_fd, &r.error.data);

    if (r.wait || r.console) return exit_status(pid);
    g_unwaited.push_back(pid);
    return static_cast<int>(pid);
}

} // namespace xel
