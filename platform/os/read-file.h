// A whole file's bytes, for the natives that take a file! as data.
#pragma once
#include <string>

namespace xel {

// Reads the file at path (UTF-8) into bytes; false when it cannot be opened,
// is a directory, or a read fails.
bool os_read_file(const char* path, std::string& bytes);

} // namespace xel
