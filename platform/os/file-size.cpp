#include "platform/os/file-size.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xel {

int64_t os_file_size(const char* path) {
    // Non-blocking, so that a named pipe without a writer does not hang the open.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    close(fd);
    return ok ? static_cast<int64_t>(st.st_size) : -1;
}

} // namespace xel
