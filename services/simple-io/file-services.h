// The file services behind the file! actions and the I/O routines: each call
// opens, works and closes. Paths are file! values taken as POSIX paths
// (their UTF-8 text from the position); results go to the out cell, which
// must be a cell the collector sees (a stack cell).
#pragma once
#include <string>

#include "runtime/cell.h"

namespace xel {

// A path that names a folder by its text alone: it ends with "/" or "\",
// is "." or "..", or ends with a separator and one or two dots.
bool simple_io_dir_text(const std::string& path);
bool simple_io_dir_path(const Cell* file);

// A file's text, bytes (binary) or lines; a folder path lists the folder.
// part and seek (number! or nullptr) count bytes. Raises access cannot-open
// with the file when it cannot be read.
void simple_io_read(Cell* file, Cell* part, Cell* seek, bool binary, bool lines, Cell* out);
// A block of file! names, folders ending in "/"; access cannot-open when
// the folder cannot be listed.
void simple_io_list_dir(Cell* folder, Cell* out);

// Writes a value to the file (nullptr: standard output): a string! as UTF-8,
// a binary! as its bytes, any other value molded; with lines, a block's
// values one a line and any other value as one line. The whole file is
// replaced only once the new content is written; append and seek write into
// it. Raises script invalid-refine-arg for a part that is not an integer!,
// access cannot-open when the file cannot be written (or part is negative).
void simple_io_write(Cell* file, Cell* value, Cell* part, Cell* seek, bool binary, bool append,
                     bool lines);

// A folder path removes the (empty) folder, any other path the file.
bool simple_io_delete(const Cell* file);
bool simple_io_rename(const Cell* from, const Cell* to);
// out: date! of the last write (UTC), or none when it cannot be read or a
// folder path names a file.
void simple_io_query(const Cell* file, Cell* out);
bool simple_io_exists(const Cell* file);
// One level: the parent must exist.
bool simple_io_make_dir(const Cell* file);

} // namespace xel
