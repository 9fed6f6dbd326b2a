// The size of a file, as size? asks for it.
#pragma once
#include <cstdint>

namespace xel {

// Bytes in the file at path (UTF-8), which is opened for reading; -1 when it
// cannot be opened or is a directory.
int64_t os_file_size(const char* path);

} // namespace xel
