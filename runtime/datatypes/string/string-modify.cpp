// append, insert and change on strings: the value becomes incoming text (a
// character, a string's units, or formed text), which is written at the tail,
// at the position, or over units from the position, repeated /dup times.
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-append-room.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

constexpr uint32_t kFormRoom = 16;

struct Incoming {
    bool is_char;
    uint32_t cp;
    Cell text;         // the units, from its position (when not a char)
    uint32_t count;    // units
    uint32_t unit;     // the unit the text needs
    uint32_t elements; // what change replaces by default: elements of a block or path
    int pushed;        // scratch strings left on the stack
};

// A count from /part (an integer!, or a position in the value's series); a
// negative count gives nothing.
uint32_t part_of(const Cell* value, const Cell* part) {
    int32_t n = series_part_count(value, part);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

Cell* new_scratch(Incoming& in, uint32_t units, uint32_t unit) {
    Cell* s = stack_push_cell();
    string_make_at_unit(s, units, unit);
    in.pushed++;
    return s;
}

void set_text(Incoming& in, const Cell* text) {
    in.text = *text;
    string_char_at_index(&in.text);
    in.count = static_cast<uint32_t>(string_xs_length(&in.text));
    in.unit = string_buffer(&in.text)->unit();
}

void form_value(Cell* into, const Cell* value, const Cell* budget, int limit) {
    Cell v = *value;
    actions_form_typed(&v, into, const_cast<Cell*>(budget), limit);
}

// Each element from the block's position formed, nothing between them. /part
// counts elements; with /only it is a budget of characters instead.
void form_elements(Incoming& in, const Cell* block, const Cell* part, bool only) {
    Cell* text = new_scratch(in, kFormRoom, 1);
    Cell blk = *block;
    uint32_t len = block_buffer_length(&blk);
    uint32_t from = block_index(&blk) < 0 ? 0 : static_cast<uint32_t>(block_index(&blk));
    if (from > len) from = len;
    uint32_t last = len;
    if (part && !only && part_of(&blk, part) < len - from) last = from + part_of(&blk, part);
    if (part && only) {
        uint32_t budget = part_of(&blk, part);
        Cell limit{T_INTEGER, 0, budget, 0};
        int left = static_cast<int>(budget);
        for (uint32_t i = from; i < last && left > 0; i++) {
            Cell item = *block_cell_at(&blk, i);
            left = actions_form_typed(&item, text, &limit, left);
        }
        string_truncate_at(string_buffer(text), budget);
    } else {
        for (uint32_t i = from; i < last; i++) {
            Cell item = *block_cell_at(&blk, i);
            form_value(text, &item, nullptr, INT32_MAX);
        }
    }
    set_text(in, text);
}

Incoming incoming_of(const Cell* target, const Cell* value, const Cell* part, bool only) {
    Incoming in{false, 0, {}, 0, 1, 0, 0};
    uint8_t vt = type_of(value);
    if (vt == T_CHAR) {
        in.is_char = true;
        in.cp = value->data2;
        in.count = 1;
        in.unit = string_char_unit(in.cp);
        return in;
    }
    if (vt == T_BLOCK || vt == T_PAREN || vt == T_HASH) {
        form_elements(in, value, part, only);
        return in;
    }
    if (is_string_kind(vt) && vt != T_TAG) {
        set_text(in, value);
        if (in.text.data2 == target->data2) {
            // Writing a string into itself: its units are read from a copy.
            Cell source = in.text;
            Cell* copy = new_scratch(in, in.count, in.unit);
            string_concatenate(copy, &source, -1, 0, false, kConcatAppend);
            set_text(in, copy);
        }
    } else if (vt == T_TAG) {
        Cell tag = *value;
        string_char_at_index(&tag);
        Cell* text = new_scratch(in, string_xs_length(&tag) + 2, string_buffer(&tag)->unit());
        string_append_char(string_buffer(text), '<');
        string_concatenate(text, &tag, -1, 0, false, kConcatAppend);
        string_append_char(string_buffer(text), '>');
        set_text(in, text);
    } else {
        Cell* text = new_scratch(in, kFormRoom, 1);
        form_value(text, value, nullptr, INT32_MAX);
        set_text(in, text);
        // Formed text is cut by /part only under /only.
        if (!only) return in;
    }
    if (part) {
        uint32_t n = part_of(value, part);
        if (n < in.count) in.count = n;
    }
    return in;
}

// The units change replaces by default, before /dup: the elements of a block
// or path value, else the incoming units.
Incoming measured(const Cell* target, const Cell* value, const Cell* part, bool only) {
    Incoming in = incoming_of(target, value, part, only);
    Cell v = *value;
    in.elements =
        is_block_kind(type_of(&v)) ? static_cast<uint32_t>(block_length_at(&v)) : in.count;
    return in;
}

[[noreturn]] void no_memory() {
    error_fire(kCatInternal, err::internal::kNoMemory);
}

// n units of the incoming text written at dest, in the buffer's unit.
void write_text(uint8_t* dest, uint32_t unit, const Incoming& in, uint32_t n) {
    if (in.is_char) {
        string_put_char(dest, unit, in.cp);
        return;
    }
    StringView src = string_view_of(&in.text);
    if (src.unit == unit) {
        std::memcpy(dest, src.data, n * unit);
        return;
    }
    for (uint32_t i = 0; i < n; i++)
        string_put_char(dest + i * unit, unit, src[i]);
}

// Room for new_len units of the wider unit: a buffer too small grows to twice
// its size, or to the need when that is more; then it widens in place.
SeriesBuf* make_room(Offset node, uint64_t new_len, uint32_t unit) {
    SeriesBuf* buf = buffer_of(node);
    uint64_t need = new_len * unit;
    if (need > INT32_MAX) no_memory();
    if (buf->head + need > buf->data_end()) {
        uint64_t grown = uint64_t{buf->size} * 2;
        buf = expand_series_copy(buf, static_cast<int64_t>(need < grown ? grown : need));
    }
    if (unit > buf->unit()) buf = string_widen_to(buf, buf->unit(), unit);
    return buf;
}

Cell* result_at(const Cell* series, uint32_t index) {
    Cell* result = stack_arguments();
    *result = *series;
    cell_clear_new_line(result);
    result->data1 = index;
    return result;
}

Change change_word(StringWrite how) {
    switch (how) {
    case StringWrite::Append:
        return Change::Append;
    case StringWrite::Insert:
        return Change::Insert;
    default:
        return Change::Change;
    }
}

// The common append: the units of another string (from its index), without
// /part or /dup, to a string that no object owns, so no change event fires.
Cell* append_units(const Cell* series, const Cell* value) {
    Cell s = *series;
    Cell text = *value;
    StringView src = string_view_of(&text);
    uint32_t count = src.count;
    if (count == 0) return result_at(&s, 0);
    uint32_t len = string_xs_length_from_head(&s);
    uint32_t unit = string_buffer(&s)->unit();
    if (src.unit > unit) unit = src.unit;
    SeriesBuf* buf = make_room(s.data2, uint64_t{len} + count, unit);
    // The growth may have moved the text's buffer too.
    src = string_view_of(&text);
    uint8_t* dest = at(buf->head) + uint64_t{len} * unit;
    if (src.unit == unit)
        std::memcpy(dest, src.data, uint64_t{count} * unit);
    else
        for (uint32_t i = 0; i < count; i++)
            string_put_char(dest + i * unit, unit, src[i]);
    buf->tail = buf->head + (len + count) * unit;
    return result_at(&s, 0);
}

} // namespace

Cell* string_write_value(StringWrite how, Cell* series, Cell* value, Cell* part, bool only,
                         Cell* dup, bool notify) {
    if (how == StringWrite::Append && !part && !dup && is_string_kind(type_of(value)) &&
        type_of(value) != T_TAG && !series_same_buffer(value, series) &&
        !(string_buffer(series)->flags & kFlagOwned))
        return append_units(series, value);
    Cell s = *series;
    int64_t copies = dup ? static_cast<int32_t>(dup->data2) : 1;
    uint32_t len = string_xs_length_from_head(&s);
    uint32_t index = series_index(&s) < 0 ? 0 : static_cast<uint32_t>(series_index(&s));
    if (index > len) index = len;
    uint32_t done_at = how == StringWrite::Append ? 0 : index;
    if (copies < 1) return result_at(&s, done_at);

    Incoming in = measured(&s, value, how == StringWrite::Change ? nullptr : part, only);
    int64_t total = int64_t{in.count} * copies;
    if (total > INT32_MAX) no_memory();
    int64_t replaced = 0;
    if (how == StringWrite::Change) {
        replaced = part ? series_part_count(&s, part) : int64_t{in.elements} * copies;
        if (replaced < 0) replaced = 0;
    }
    uint32_t at_index = how == StringWrite::Append ? len : index;
    if (total == 0 && replaced == 0) {
        stack_pop(in.pushed);
        return result_at(&s, done_at);
    }

    Change word = change_word(how);
    // Only a string whose buffer carries the owned flag can have a handler.
    bool told = notify && (string_buffer(&s)->flags & kFlagOwned) &&
                ownership_notify_before(&s, word, value, static_cast<int>(at_index),
                                        static_cast<int>(total));
    if (told) {
        // The change handler may have changed the string meanwhile.
        len = string_xs_length_from_head(&s);
        if (how == StringWrite::Append || at_index > len) at_index = len;
        if (!in.is_char) {
            auto there = static_cast<uint32_t>(string_xs_length(&in.text));
            if (there < in.count) {
                in.count = there;
                total = int64_t{in.count} * copies;
            }
        }
    }
    if (replaced > len - at_index) replaced = len - at_index;

    uint32_t unit = string_buffer(&s)->unit();
    if (in.unit > unit) unit = in.unit;
    uint64_t new_len =
        uint64_t{len} - static_cast<uint64_t>(replaced) + static_cast<uint64_t>(total);
    SeriesBuf* buf = make_room(s.data2, new_len, unit);
    uint8_t* base = at(buf->head);
    uint64_t rest = at_index + static_cast<uint64_t>(replaced);
    if (rest < len)
        std::memmove(base + (at_index + total) * unit, base + rest * unit, (len - rest) * unit);
    uint8_t* dest = base + uint64_t{at_index} * unit;
    write_text(dest, unit, in, in.count);
    if (in.count && copies > 1)
        memory_repeat_fill(dest, in.count * unit, static_cast<uint32_t>(copies));
    buf->tail = buf->head + static_cast<uint32_t>(new_len * unit);
    stack_pop(in.pushed);

    if (told)
        ownership_notify_after(&s, word, value, static_cast<int>(at_index),
                               static_cast<int>(total));
    if (how == StringWrite::Append) return result_at(&s, 0);
    return result_at(&s, at_index + static_cast<uint32_t>(total));
}

bool string_append_widened_in_room(SeriesBuf* buf, uint32_t unit, const Cell* value) {
    StringView text = string_view_of(value);
    uint64_t bytes = uint64_t{text.count} * unit;
    if (buf->tail + bytes > buf->data_end()) return false;
    uint8_t* dest = at(buf->tail);
    for (uint32_t i = 0; i < text.count; i++)
        string_put_char(dest + i * unit, unit, text[i]);
    buf->tail += static_cast<uint32_t>(bytes);
    return true;
}

Cell* string_append(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return string_write_value(StringWrite::Append, series, value, part, only, dup, true);
}

Cell* string_insert(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return string_write_value(StringWrite::Insert, series, value, part, only, dup, true);
}

Cell* string_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return string_write_value(StringWrite::Change, series, value, part, only, dup, true);
}

} // namespace xel
