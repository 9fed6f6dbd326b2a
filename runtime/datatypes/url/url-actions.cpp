// url! actions: mold with percent escapes, make/to from parts, path access.
#include <string>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/url/url.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

constexpr uint32_t kUrlRoom = 16;

void form_into(Cell* out, const Cell* value) {
    Cell v = *value;
    actions_form_typed(&v, out, nullptr, INT32_MAX);
}

bool builds_from_parts(const Cell* spec, int type) {
    uint8_t t = type_of(spec);
    return type != T_FILE && (t == T_BLOCK || t == T_PAREN || t == T_HASH);
}

// scheme "://" host [":" port] then "/" segments, "#" before an issue!.
Cell* from_parts(const Cell* spec, int type) {
    Cell blk = *spec;
    int32_t n = block_length_at(&blk);
    if (n == 0) {
        Cell datatype = datatype_cell(static_cast<uint32_t>(type));
        error_fire(kCatScript, err::script::kBadToArg, &datatype, &blk);
    }
    Cell* made = stack_push_cell();
    string_make_at(made, kUrlRoom);
    uint32_t from = static_cast<uint32_t>(block_index(&blk));
    auto part = [&](int32_t i) { return *block_cell_at(&blk, from + static_cast<uint32_t>(i)); };
    Cell scheme = part(0);
    form_into(made, &scheme);
    string_concatenate_literal(made, "://");
    int32_t i = 1;
    if (i < n) {
        Cell host = part(i++);
        form_into(made, &host);
    }
    if (i < n && type_of(block_cell_at(&blk, from + static_cast<uint32_t>(i))) == T_INTEGER) {
        Cell port = part(i++);
        string_append_char(string_buffer(made), ':');
        form_into(made, &port);
    }
    for (bool first = true; i < n; i++, first = false) {
        Cell segment = part(i);
        bool fragment = !first && type_of(&segment) == T_ISSUE;
        string_append_char(string_buffer(made), fragment ? '#' : '/');
        form_into(made, &segment);
    }
    Cell url = *made;
    stack_pop(1);
    cell_set_type(&url, static_cast<uint8_t>(type));
    return stack_set_last(&url);
}

} // namespace

int url_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    Cell url = *value;
    string_char_at_index(&url);
    std::string bytes = string_utf8_text(&url);
    int written = 0;
    for (char c : bytes) {
        if (arg && written >= part) break;
        auto b = static_cast<uint8_t>(c);
        if (url_byte_allowed(b)) {
            string_append_char(string_buffer(buffer), b);
            written++;
        } else {
            string_append_char(string_buffer(buffer), '%');
            string_concatenate_literal(buffer, string_byte_to_hex(b));
            written += 3;
        }
    }
    return part - written;
}

Cell* url_make(Cell* proto, Cell* spec, int type) {
    return builds_from_parts(spec, type) ? from_parts(spec, type) : string_make(proto, spec, type);
}

Cell* url_to(Cell* proto, Cell* spec, int type) {
    return builds_from_parts(spec, type) ? from_parts(spec, type) : string_to(proto, spec, type);
}

Cell* url_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell*, Cell*, int, bool,
                    bool, bool, bool) {
    Cell url = *parent;
    Cell elem = *element;
    if (value) error_fire(kCatScript, err::script::kBadPathSet, path ? path : &elem, &elem);
    if (type_of(&elem) == T_GET_WORD) elem = *word_get_checked(&elem);

    Cell* segment = stack_push_cell();
    string_make_at(segment, kUrlRoom);
    form_into(segment, &elem);
    Cell* made = stack_push_cell();
    string_make_at(made, static_cast<uint32_t>(string_xs_length(&url) + 1));
    string_concatenate(made, &url, -1, 0, false, kConcatAppend);

    uint32_t length = string_xs_length_from_head(made);
    bool ends_with_slash = length > 0 && string_char_at(made, length - 1) == '/';
    bool starts_with_slash = string_xs_length(segment) > 0 && string_char_at(segment, 0) == '/';
    if (ends_with_slash && starts_with_slash)
        segment->data1 = 1;
    else if (!ends_with_slash && !starts_with_slash)
        string_append_char(string_buffer(made), '/');
    string_concatenate(made, segment, -1, 0, false, kConcatAppend);

    Cell result = *made;
    stack_pop(2);
    cell_set_type(&result, type_of(&url));
    return stack_set_last(&result);
}

void url_row(ActionList& row) {
    row.inherit_all()
        .set<A_MAKE>(url_make)
        .set<A_TO>(url_to)
        .set<A_MOLD>(url_mold)
        .set<A_EVAL_PATH>(url_eval_path)
        .set<A_READ>(url_read)
        .set<A_WRITE>(url_write)
        .set<A_RANDOM>(nullptr)
        .set<A_REFLECT>(nullptr)
        .set<A_SORT>(nullptr)
        .set<A_TRIM>(nullptr);
}

} // namespace xel
