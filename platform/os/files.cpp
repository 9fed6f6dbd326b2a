#include "platform/os/files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xel {

namespace {

bool write_all(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool write_pieces(int fd, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces)
        if (!write_all(fd, piece)) return false;
    return true;
}

mode_t creation_mode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool write_direct(const char* path, int flags, int64_t position,
                  const std::vector<std::string>& pieces) {
    int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
    if (fd < 0) return false;
    bool ok = position <= 0 || lseek(fd, position, SEEK_SET) >= 0;
    ok = ok && write_pieces(fd, pieces);
    return close(fd) == 0 && ok;
}

// The new content goes to a temporary file in the same folder (so the rename
// stays on one file system), which replaces the old file only when complete.
bool write_replacing(const char* given, const std::vector<std::string>& pieces) {
    std::string path = given;
    struct stat st {};
    bool existed = stat(given, &st) == 0;
    if (existed) {
        if (S_ISDIR(st.st_mode)) return false;
        // A device or a pipe cannot be replaced, only written to.
        if (!S_ISREG(st.st_mode)) return write_direct(given, O_TRUNC, -1, pieces);
        // Through a link the file it names is replaced, not the link.
        if (char* real = realpath(given, nullptr)) {
            path = real;
            std::free(real);
        }
    }
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "." + base + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // A folder we may not add to, holding a file we may write: write in place.
        if (errno == EACCES && existed) return write_direct(given, O_TRUNC, -1, pieces);
        return false;
    }
    if (existed) {
        fchmod(fd, st.st_mode & 07777);
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner can be kept by a privileged process; the content matters more.
        }
    } else {
        fchmod(fd, creation_mode());
    }
    bool ok = write_pieces(fd, pieces);
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

} // namespace

bool os_open_read(const char* path, int64_t seek, ReadFile* file) {
    // Non-blocking, so that a named pipe without a writer does not hang the open.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return false;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file->fd = fd;
    // Files of /proc and /sys report 0: their size is known only by reading.
    file->size = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<int64_t>(st.st_size) : -1;
    if (seek > 0) {
        if (file->size >= 0) {
            if (lseek(fd, seek, SEEK_SET) < 0) {
                os_close_read(file);
                return false;
            }
            file->size = seek < file->size ? file->size - seek : 0;
        } else {
            std::string skipped;
            if (!os_read_rest(*file, seek, &skipped)) {
                os_close_read(file);
                return false;
            }
        }
    }
    return true;
}

int64_t os_read_into(const ReadFile& file, uint8_t* dst, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = read(file.fd, dst + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

bool os_read_rest(const ReadFile& file, int64_t limit, std::string* out) {
    char chunk[65536];
    while (limit < 0 || static_cast<int64_t>(out->size()) < limit) {
        size_t want = sizeof chunk;
        if (limit >= 0) {
            auto left = static_cast<size_t>(limit - static_cast<int64_t>(out->size()));
            if (left < want) want = left;
        }
        ssize_t n = read(file.fd, chunk, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        out->append(chunk, static_cast<size_t>(n));
        if (out->size() > INT32_MAX) return false;
    }
    return true;
}

void os_close_read(ReadFile* file) {
    if (file->fd >= 0) close(file->fd);
    file->fd = -1;
}

bool os_write_file(const char* path, WriteMode mode, int64_t position,
                   const std::vector<std::string>& pieces) {
    if (!path) {
        // What stdio holds back goes first, so output keeps its order.
        std::fflush(stdout);
        return write_pieces(STDOUT_FILENO, pieces);
    }
    switch (mode) {
    case WriteMode::Replace:
        return write_replacing(path, pieces);
    case WriteMode::Append:
        return write_direct(path, O_APPEND, -1, pieces);
    case WriteMode::At:
        return write_direct(path, 0, position, pieces);
    }
    return false;
}

bool os_list_dir(const char* path, std::vector<DirEntry>* out) {
    DIR* dir = opendir(path);
    if (!dir) return false;
    std::string prefix = path;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        bool folder = e->d_type == DT_DIR;
        // Links and file systems that do not say: ask about what the name leads to.
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK)
            folder = os_is_folder((prefix + name).c_str());
        out->push_back({std::move(name), folder});
    }
    closedir(dir);
    return true;
}

bool os_exists(const char* path) {
    struct stat st {};
    return stat(path, &st) == 0;
}

bool os_is_folder(const char* path) {
    struct stat st {};
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool os_make_dir(const char* path) {
    return mkdir(path, 0777) == 0;
}

bool os_delete(const char* path, bool folder) {
    return (folder ? rmdir(path) : unlink(path)) == 0;
}

bool os_rename(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    // File systems without the no-replace flag: check first, then rename.
    if (errno != EINVAL && errno != ENOSYS) return false;
    struct stat st {};
    if (lstat(to, &st) == 0) return false;
    return rename(from, to) == 0;
}

bool os_modified(const char* path, int64_t* seconds, int32_t* nanoseconds, bool* folder) {
    struct stat st {};
    if (stat(path, &st) != 0) return false;
    *seconds = st.st_mtim.tv_sec;
    *nanoseconds = static_cast<int32_t>(st.st_mtim.tv_nsec);
    *folder = S_ISDIR(st.st_mode);
    return true;
}

} // namespace xel
