// file! mold and the file! row.
#include "runtime/datatypes/file/file.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/url/url.h"

namespace xel {

namespace {

// Inside the quotes the lexer reads caret escapes and percent escapes, so
// the characters that would start one are written escaped.
void append_quoted(Cell* out, uint32_t cp) {
    switch (cp) {
    case '"':
        string_concatenate_literal(out, "^\"");
        break;
    case '^':
        string_concatenate_literal(out, "^^");
        break;
    case '%':
        string_concatenate_literal(out, "%25");
        break;
    default:
        if (cp < ' ')
            string_mold_char(out, cp, false);
        else
            string_append_char(string_buffer(out), cp);
    }
}

} // namespace

int file_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    Cell file = *value;
    string_char_at_index(&file);
    uint32_t from = file.data1;
    uint32_t end = string_xs_length_from_head(&file);
    if (arg && int64_t{end} - from > (part < 0 ? 0 : part))
        end = from + static_cast<uint32_t>(part < 0 ? 0 : part);

    string_append_char(string_buffer(buffer), '%');
    uint32_t before = string_xs_length_from_head(buffer);
    bool quoted = from == end;
    for (uint32_t i = from; i < end && !quoted; i++) {
        uint32_t cp = string_char_at(&file, i);
        quoted = cp < 127 && !url_byte_allowed(static_cast<uint8_t>(cp));
    }
    if (quoted) string_append_char(string_buffer(buffer), '"');
    for (uint32_t i = from; i < end; i++) {
        uint32_t cp = string_char_at(&file, i);
        if (quoted)
            append_quoted(buffer, cp);
        else
            string_append_char(string_buffer(buffer), cp);
    }
    if (quoted) string_append_char(string_buffer(buffer), '"');
    int written = static_cast<int>(string_xs_length_from_head(buffer) - before);
    return part - 1 - written;
}

void file_row(ActionList& row) {
    row.inherit_all()
        .set<A_MOLD>(file_mold)
        .set<A_OPEN>(nullptr)
        .set<A_READ>(file_read)
        .set<A_WRITE>(file_write)
        .set<A_DELETE>(file_delete)
        .set<A_QUERY>(file_query)
        .set<A_RENAME>(file_rename);
}

} // namespace xel
