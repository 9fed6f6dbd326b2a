// Files and folders at the OS border: POSIX paths given as UTF-8 texts.
// Every call opens, works and closes; none raises, failure is false or -1.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace xel {

// A file opened for reading: the descriptor and the bytes from the seek
// position to the end as far as the OS can tell (-1 for streams whose size
// it cannot tell). Folders are refused.
struct ReadFile {
    int fd = -1;
    int64_t size = -1;
};
// seek < 0: from the start.
bool os_open_read(const char* path, int64_t seek, ReadFile* file);
// Reads up to count bytes into dst until the end; answers the bytes read or -1.
int64_t os_read_into(const ReadFile& file, uint8_t* dst, int64_t count);
// Reads to the end (at most limit bytes when limit >= 0) into out.
bool os_read_rest(const ReadFile& file, int64_t limit, std::string* out);
void os_close_read(ReadFile* file);

enum class WriteMode {
    Replace, // the whole file: written beside it, then renamed over it
    Append,  // at the end, created when missing
    At,      // at a position, created when missing, not truncated
};
// Writes the pieces in turn; a null path is standard output. Replace keeps
// the old file intact until the new content is wholly written.
bool os_write_file(const char* path, WriteMode mode, int64_t position,
                   const std::vector<std::string>& pieces);

struct DirEntry {
    std::string name;
    bool folder;
};
// The entries of a folder but "." and "..", in the order the OS gives them.
bool os_list_dir(const char* path, std::vector<DirEntry>* out);

bool os_exists(const char* path);
bool os_is_folder(const char* path);
bool os_make_dir(const char* path);
// A folder must be empty to go.
bool os_delete(const char* path, bool folder);
// Refuses to replace an existing target.
bool os_rename(const char* from, const char* to);
// Last write time, seconds and nanoseconds since 1970 UTC.
bool os_modified(const char* path, int64_t* seconds, int32_t* nanoseconds, bool* folder);

} // namespace xel
