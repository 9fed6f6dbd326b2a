#include "platform/os/read-file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xel {

bool os_read_file(const char* path, std::string& bytes) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    bytes.clear();
    // The size is a hint only: files of /proc report 0 and still have bytes.
    if (ok && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    while (ok) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0)
            bytes.append(chunk, static_cast<size_t>(n));
        else if (n == 0)
            break;
        else if (errno != EINTR)
            ok = false;
    }
    close(fd);
    return ok;
}

} // namespace xel
