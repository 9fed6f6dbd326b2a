#include "services/simple-io/file-services.h"

#include <climits>
#include <ctime>
#include <vector>

#include "platform/os/files.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/memory/series-memory.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "services/simple-io/text-load.h"

namespace xel {

namespace {

bool ends_with(const std::string& s, const char* tail) {
    size_t n = std::char_traits<char>::length(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

[[noreturn]] void cannot_open(const Cell* file) {
    Cell f = *file;
    error_fire(kCatAccess, err::access::kCannotOpen, &f);
}

// A /part or /seek count: none (-1) when absent, whole numbers of a float.
int64_t count_of(const Cell* n) {
    if (!n) return -1;
    if (type_of(n) == T_INTEGER) return integer_get(n);
    double d = float_get(n);
    if (!(d > -1e15 && d < 1e15)) return -1;
    return static_cast<int64_t>(d);
}

void empty_value(bool binary, Cell* out) {
    if (binary)
        binary_make_at(out, 0);
    else
        string_make_at(out, 0);
}

void bytes_to_value(const std::string& bytes, bool binary, bool lines, Cell* out) {
    auto n = static_cast<uint32_t>(bytes.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (binary) {
        uint8_t* dst = binary_make_sized(out, n);
        if (n) std::memcpy(dst, p, n);
    } else if (lines) {
        simple_io_split_lines(p, n, out);
    } else {
        simple_io_load_text(p, n, out);
    }
}

// UTF-8 of at most part code points of the text.
std::string first_chars(std::string text, int64_t part) {
    if (part < 0) return text;
    size_t i = 0;
    for (int64_t k = 0; k < part && i < text.size(); k++) {
        i++;
        while (i < text.size() && (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80)
            i++;
    }
    text.resize(i);
    return text;
}

std::string value_bytes(Cell* value, int64_t part) {
    switch (type_of(value)) {
    case T_STRING:
        return first_chars(string_utf8_text(value), part);
    case T_BINARY: {
        uint32_t n = binary_xs_length(value);
        if (part >= 0 && part < n) n = static_cast<uint32_t>(part);
        return std::string(reinterpret_cast<const char*>(binary_xs_head(value)), n);
    }
    default: {
        Cell* text = stack_push_cell();
        string_make_at(text, 64);
        Cell v = *value;
        actions_mold_typed(&v, text, false, false, false, nullptr, INT_MAX, 0);
        std::string bytes = first_chars(string_utf8_text(text), part);
        stack_pop(1);
        return bytes;
    }
    }
}

} // namespace

bool simple_io_dir_text(const std::string& s) {
    if (s == "." || s == "..") return true;
    if (ends_with(s, "/") || ends_with(s, "\\")) return true;
    for (const char* tail : {"/.", "\\.", "/..", "\\.."})
        if (ends_with(s, tail)) return true;
    return false;
}

bool simple_io_dir_path(const Cell* file) {
    return simple_io_dir_text(string_utf8_text(file));
}

void simple_io_list_dir(Cell* folder, Cell* out) {
    std::string path = string_utf8_text(folder);
    std::vector<DirEntry> entries;
    if (!os_list_dir(path.empty() ? "." : path.c_str(), &entries)) cannot_open(folder);
    block_make_at(out, static_cast<int>(entries.size()));
    for (DirEntry& e : entries) {
        if (e.folder) e.name += '/';
        Offset node = string_load_utf8_new(reinterpret_cast<const uint8_t*>(e.name.data()),
                                           static_cast<uint32_t>(e.name.size()));
        series_set_cell(series_alloc_tail_cell(block_buffer(out)), T_FILE, node, 0);
    }
}

void simple_io_read(Cell* file, Cell* part, Cell* seek, bool binary, bool lines, Cell* out) {
    std::string path = string_utf8_text(file);
    if (simple_io_dir_text(path)) return simple_io_list_dir(file, out);
    int64_t limit = count_of(part);
    ReadFile f;
    if (!os_open_read(path.c_str(), count_of(seek), &f)) cannot_open(file);
    if (limit == 0) {
        os_close_read(&f);
        return empty_value(binary, out);
    }
    std::string bytes;
    bool ok;
    if (f.size >= 0) {
        int64_t n = limit > 0 && limit < f.size ? limit : f.size;
        ok = n <= INT32_MAX;
        if (ok) {
            bytes.resize(static_cast<size_t>(n));
            int64_t got = os_read_into(f, reinterpret_cast<uint8_t*>(bytes.data()), n);
            ok = got >= 0;
            if (ok) bytes.resize(static_cast<size_t>(got));
        }
    } else {
        ok = os_read_rest(f, limit, &bytes);
    }
    os_close_read(&f);
    if (!ok) cannot_open(file);
    bytes_to_value(bytes, binary, lines, out);
}

void simple_io_write(Cell* file, Cell* value, Cell* part, Cell* seek, bool, bool append,
                     bool lines) {
    if (part && type_of(part) != T_INTEGER) {
        Cell word = *word_load("part");
        Cell p = *part;
        error_fire(kCatScript, err::script::kInvalidRefineArg, &word, &p);
    }
    int64_t limit = count_of(part);
    // A negative part writes nothing and reports the file as not written.
    if (part && limit < 0) {
        if (file) cannot_open(file);
        return;
    }
    std::vector<std::string> pieces;
    if (lines && type_of(value) == T_BLOCK) {
        Cell block = *value;
        int32_t n = block_length_at(&block);
        auto from = static_cast<uint32_t>(block_index(&block));
        for (int32_t i = 0; i < n; i++) {
            Cell item = *block_cell_at(&block, from + static_cast<uint32_t>(i));
            pieces.push_back(value_bytes(&item, limit) + "\n");
        }
    } else {
        pieces.push_back(value_bytes(value, limit));
        if (lines) pieces.back() += '\n';
    }
    int64_t position = count_of(seek);
    WriteMode mode = append ? WriteMode::Append : seek ? WriteMode::At : WriteMode::Replace;
    std::string path = file ? string_utf8_text(file) : std::string();
    if (!os_write_file(file ? path.c_str() : nullptr, mode, position, pieces) && file)
        cannot_open(file);
}

bool simple_io_delete(const Cell* file) {
    std::string path = string_utf8_text(file);
    return os_delete(path.c_str(), simple_io_dir_text(path));
}

bool simple_io_rename(const Cell* from, const Cell* to) {
    return os_rename(string_utf8_text(from).c_str(), string_utf8_text(to).c_str());
}

void simple_io_query(const Cell* file, Cell* out) {
    std::string path = string_utf8_text(file);
    int64_t seconds = 0;
    int32_t nanoseconds = 0;
    bool folder = false;
    bool slash = ends_with(path, "/") || ends_with(path, "\\");
    if (!os_modified(path.c_str(), &seconds, &nanoseconds, &folder) || (slash && !folder))
        return set_none(out);
    auto t = static_cast<time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    date_make_at_hms(out, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec, nanoseconds);
}

bool simple_io_exists(const Cell* file) {
    return os_exists(string_utf8_text(file).c_str());
}

bool simple_io_make_dir(const Cell* file) {
    return os_make_dir(string_utf8_text(file).c_str());
}

} // namespace xel
