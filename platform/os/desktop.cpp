#include "platform/os/desktop.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace xel {

bool os_open_with_desktop(const std::string& target) {
    // The shell starts the handler in the background and ends at once, so
    // the handler belongs to init and never stays behind as a zombie.
    char sh[] = "sh", dash_c[] = "-c", name[] = "xel-browse";
    char script[] = "command -v xdg-open >/dev/null || exit 127; "
                    "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
    std::string arg = target;
    char* argv[] = {sh, dash_c, script, name, arg.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string os_command_line() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        std::string arg = raw.substr(start, end - start);
        if (!line.empty()) line += ' ';
        if (arg.empty() || arg.find_first_of(" \t\"") != std::string::npos) {
            line += '"';
            for (char c : arg) {
                if (c == '"') line += '"';
                line += c;
            }
            line += '"';
        } else {
            line += arg;
        }
        start = end + 1;
    }
    return line;
}

} // namespace xel
