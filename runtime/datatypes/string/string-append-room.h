// The common append, with no refinement: a char! or the units of another
// string (not a tag!, not its own) written at the tail of a value whose type
// appends as a string, when its buffer has the room and a unit wide enough
// and no object owns it (no change event can fire). Inline for append's
// entry, which tries it before anything else.
#pragma once
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

// The unit a character needs.
inline uint32_t string_char_unit(uint32_t cp) {
    return cp <= 0x7F ? 1 : (cp <= 0xFFFF ? 2 : 4);
}

// The units of a narrower text widened one by one at the tail, when they fit.
bool string_append_widened_in_room(SeriesBuf* buf, uint32_t unit, const Cell* value);

// n bytes of units of the same width: the short runs of one or a few
// letters without the library call.
inline void string_copy_same_units(uint8_t* dest, const uint8_t* text, uint32_t n) {
    // One letter, the most frequent, tested first.
    if (n == 1) {
        *dest = *text;
        return;
    }
    switch (n) {
    case 2:
        std::memcpy(dest, text, 2);
        break;
    case 4:
        std::memcpy(dest, text, 4);
        break;
    default:
        std::memcpy(dest, text, n);
        break;
    }
}

// The cell becomes the series at its head. False, with nothing done, for
// every other case: string_append then takes it.
inline bool string_append_in_room(Cell* series, const Cell* value) {
    // Only a type whose row appends as a string does (ref! has no append);
    // string!'s own row does, which spares the common case the row's read.
    uint8_t st = type_of(series);
    if (st != T_STRING && action_of<A_APPEND>(st) != string_append) return false;
    SeriesBuf* buf = string_buffer(series);
    // One read gives the unit and whether change events are owed.
    uint32_t flags = buf->flags;
    if (flags & kFlagOwned) return false;
    uint32_t unit = flags & kUnitMask;
    uint8_t* dest = at(buf->tail);
    uint32_t room = buf->data_end() - buf->tail;
    uint8_t vt = type_of(value);
    // string! first: the common text, without the test of every string kind.
    if (vt == T_STRING || (is_string_kind(vt) && vt != T_TAG)) {
        if (series_same_buffer(value, series)) return false;
        const SeriesBuf* src = string_buffer(value);
        if ((src->flags & kUnitMask) != unit) {
            if ((src->flags & kUnitMask) > unit || !string_append_widened_in_room(buf, unit, value))
                return false;
        } else {
            // A position past the tail (or below the head) gives no units, as
            // string_view_of reads it.
            uint64_t from = uint64_t{static_cast<uint32_t>(series_index(value))}
                            << unit_shift(unit);
            uint32_t used = src->used();
            uint32_t bytes = from < used ? used - static_cast<uint32_t>(from) : 0;
            if (bytes > room) return false;
            string_copy_same_units(dest, at(src->head) + from, bytes);
            buf->tail += bytes;
        }
    } else if (vt == T_CHAR) {
        uint32_t cp = char_value(value);
        if (string_char_unit(cp) > unit || unit > room) return false;
        string_put_char(dest, unit, cp);
        buf->tail += unit;
    } else {
        return false;
    }
    cell_clear_new_line(series);
    series_set_index(series, 0);
    return true;
}

} // namespace xel
