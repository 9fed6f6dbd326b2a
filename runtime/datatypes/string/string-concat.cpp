// Concatenation of one string's units into another: append, insert or
// overwrite, with the target widened to the wider unit of the two.
#include <cstring>

#include "runtime/datatypes/string/string.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// A symbol! stands for its spelling, read from the start.
Cell as_string(const Cell* c) {
    if (type_of(c) == T_SYMBOL)
        return Cell{T_STRING, 0, symbol_string_node(const_cast<Cell*>(c)), 0};
    return *c;
}

} // namespace

void string_concatenate(Cell* target_cell, const Cell* source_cell, int part, int offset,
                        bool per_unit, int mode) {
    Cell target = as_string(target_cell);
    Cell source = as_string(source_cell);
    Offset tnode = target.data2;
    Offset snode = source.data2;

    uint32_t tu = buffer_of(tnode)->unit();
    uint32_t su = buffer_of(snode)->unit();
    if (tu < su) {
        string_widen_to(buffer_of(tnode), tu, su);
        tu = su;
    } else if (su < tu && !per_unit) {
        string_widen_to(buffer_of(snode), su, tu);
        su = tu;
    }

    auto count = static_cast<uint32_t>(string_xs_length(&source));
    if (part >= 0 && static_cast<uint32_t>(part) < count) count = static_cast<uint32_t>(part);
    uint32_t bytes = count * tu;

    SeriesBuf* tbuf = buffer_of(tnode);
    uint32_t used = tbuf->used();
    if (tbuf->data_end() - tbuf->head < used + bytes)
        tbuf = expand_series_copy(tbuf, 2 * (int64_t{used} + bytes));

    uint32_t old_tail = tbuf->tail;
    Offset write = mode == kConcatAppend ? old_tail : tbuf->head + (target.data1 + offset) * tu;
    if (write > old_tail) write = old_tail;
    if (mode == kConcatInsert) std::memmove(at(write + bytes), at(write), old_tail - write);

    SeriesBuf* sbuf = buffer_of(snode);
    Offset read = sbuf->head + source.data1 * su;
    if (su != tu) {
        // Narrower source kept as it is: each unit is written on its own.
        for (uint32_t i = 0; i < count; i++) {
            uint32_t cp = string_get_char(at(buffer_of(snode)->head + (source.data1 + i) * su), su);
            if (mode == kConcatAppend) {
                string_append_char(buffer_of(tnode), cp);
            } else {
                tbuf = buffer_of(tnode);
                string_poke_char(tbuf, at(write + i * tu), cp);
            }
        }
        if (mode == kConcatAppend) return;
    } else {
        std::memmove(at(write), at(read), bytes);
    }

    tbuf = buffer_of(tnode);
    Offset written_end = write + bytes;
    switch (mode) {
    case kConcatAppend:
        tbuf->tail = written_end;
        break;
    case kConcatInsert:
        tbuf->tail = old_tail + bytes;
        break;
    default:
        if (written_end > tbuf->tail) tbuf->tail = written_end;
        break;
    }
}

} // namespace xel
