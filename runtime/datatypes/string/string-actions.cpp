// The make, to and form actions of string! and its row.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

Cell* (*g_binary_conversion)(Cell* spec, int type) = nullptr;

namespace {

constexpr uint32_t kFormRoom = 16;

bool is_string_family(uint8_t t) {
    return t == T_STRING || t == T_FILE || t == T_URL || t == T_TAG || t == T_EMAIL || t == T_REF;
}

Cell datatype_cell(int type) {
    return Cell{T_DATATYPE, static_cast<uint32_t>(type), 0, 0};
}

[[noreturn]] void lacks_action(const Cell* value) {
    Cell type = datatype_cell(type_of(value));
    error_fire(kCatScript, err::script::kExpectArg, &type);
}

void form_into(Cell* out, Cell* value) {
    auto fn = action_of<A_FORM>(type_of(value));
    if (!fn) lacks_action(value);
    fn(value, out, nullptr, INT32_MAX);
}

void mold_into(Cell* out, Cell* value) {
    auto fn = action_of<A_MOLD>(type_of(value));
    if (!fn) lacks_action(value);
    fn(value, out, false, false, false, nullptr, INT32_MAX, 0);
}

// A copy of the units from the position, in the same unit.
void copy_units(Cell* out, const Cell* spec) {
    const SeriesBuf* src = string_buffer(spec);
    uint32_t unit = src->unit();
    auto n = static_cast<uint32_t>(string_xs_length(spec));
    string_make_at_unit(out, n, unit);
    src = string_buffer(spec);
    SeriesBuf* dst = string_buffer(out);
    std::memcpy(at(dst->head), at(src->head + spec->data1 * unit), n * unit);
    dst->tail = dst->head + n * unit;
}

Cell* to_result(const Cell* made) {
    return stack_set_last(made);
}

} // namespace

Cell* string_make(Cell* proto, Cell* spec, int type) {
    uint8_t st = type_of(spec);
    if (st == T_INTEGER || st == T_FLOAT) {
        double capacity =
            st == T_INTEGER ? static_cast<int32_t>(spec->data2) : std::trunc(cell_double(spec));
        if (!(capacity >= 0)) error_fire(kCatScript, err::script::kOutOfRange, spec);
        // Beyond 32 bits no buffer fits: the allocation reports no-memory.
        uint32_t bytes = capacity < 4294967295.0 ? static_cast<uint32_t>(capacity) : 0xFFFFFFFFu;
        Cell made;
        string_make_at(&made, bytes);
        cell_set_type(&made, static_cast<uint8_t>(type));
        return to_result(&made);
    }
    if (type != T_BINARY) return string_to(proto, spec, type);
    Cell dt = datatype_cell(type);
    if (st == T_MONEY || !g_binary_conversion) error_fire_bad_make_arg(&dt, spec);
    return g_binary_conversion(spec, type);
}

Cell* string_to(Cell*, Cell* spec, int type) {
    Cell made;
    uint8_t st = type_of(spec);
    if (st == T_NONE) {
        Cell dt = datatype_cell(type);
        error_fire(kCatScript, err::script::kBadToArg, &dt, spec);
    }
    if (st == T_BLOCK || st == T_PAREN || st == T_HASH) {
        string_make_at(&made, kFormRoom);
        for (uint32_t i = spec->data1;; i++) {
            const SeriesBuf* buf = buffer_of(spec->data2);
            if (buf->head + i * sizeof(Cell) >= buf->tail) break;
            Cell item = *at<Cell>(buf->head + i * sizeof(Cell));
            form_into(&made, &item);
        }
    } else if (is_string_family(st)) {
        copy_units(&made, spec);
    } else if (st == T_BINARY) {
        const SeriesBuf* buf = buffer_of(spec->data2);
        uint32_t used = buf->used();
        uint32_t pos = spec->data1 < used ? spec->data1 : used;
        made = *string_from_utf8(at(buf->head + pos), used - pos);
        stack_pop(1);
    } else {
        string_make_at(&made, kFormRoom);
        if (st == T_REFINEMENT && type != T_STRING)
            mold_into(&made, spec);
        else
            form_into(&made, spec);
    }
    cell_set_type(&made, static_cast<uint8_t>(type));
    return to_result(&made);
}

int string_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    int count = string_xs_length(value);
    if (arg && part < count) count = part > 0 ? part : 0;
    string_concatenate(buffer, value, count, 0, true, kConcatAppend);
    return part - count;
}

void string_row(ActionList& row) {
    row.inherit_all()
        .set<A_MAKE>(string_make)
        .set<A_TO>(string_to)
        .set<A_FORM>(string_form)
        .set<A_MOLD>(string_mold)
        .set<A_EVAL_PATH>(string_eval_path)
        .set<A_COMPARE>(string_compare)
        .set<A_FIND>(string_find)
        .set<A_SELECT>(string_select)
        .set<A_APPEND>(string_append)
        .set<A_INSERT>(string_insert)
        .set<A_CHANGE>(string_change)
        .set<A_SORT>(string_sort)
        .set<A_SWAP>(string_swap)
        .set<A_TAKE>(string_take)
        .set<A_TRIM>(string_trim);
}

void string_mark_cell(Cell* c) {
    collector_mark_series(&c->data2);
    collector_mark_series(&c->data3);
}

} // namespace xel
