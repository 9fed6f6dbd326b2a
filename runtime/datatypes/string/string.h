// string! and the string family (file!, url!, tag!, email!, ref!): one cell
// layout and one buffer model. Word 1 the head index in units, word 2 the node
// of the string buffer, word 3 the node of the value's conversion buffer or 0.
// A buffer holds code points in units of 1 byte (0-255), 2 bytes (0-0xFFFF) or
// 4 bytes; it widens in place when a wider code point arrives and narrows only
// through string_xs_reset. Positions count units, so widening keeps them valid.
//
// Buffers move on allocation: functions that take or return a SeriesBuf* hand
// back the buffer as it stands after the call; hold cells or nodes across calls.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

// Cells.

inline SeriesBuf* string_buffer(const Cell* str) {
    return buffer_of(str->data2);
}
// The cell becomes an empty string! with a new 1-byte-unit buffer (0 counts as 1).
Cell* string_make_at(Cell* c, uint32_t capacity_bytes);
Cell* string_make_at_unit(Cell* c, uint32_t units, uint32_t unit);
// A copy of the cell on the argument stack.
Cell* string_push(const Cell* str);

// Reading.

// Units from the position to the tail (0 past the tail).
int string_xs_length(const Cell* str);
// Units from the buffer's head to the tail.
uint32_t string_xs_length_from_head(const Cell* str);
bool string_xs_tail(const Cell* str);
uint8_t* string_xs_tail_address(const Cell* str);
// Address of the unit at the position; a position past the tail is first set
// back to the tail (the cell is rewritten).
uint8_t* string_char_at_index(Cell* str);
// Code point at an absolute unit index (counted from the buffer's head).
uint32_t string_char_at(const Cell* str, uint32_t index);
// A unit other than 1, 2 or 4 breaks the buffer invariant: run-time fault 101.
[[noreturn]] void string_unit_fault();
inline uint32_t string_get_char(const uint8_t* p, uint32_t unit) {
    switch (unit) {
    case 1:
        return *p;
    case 2:
        return static_cast<uint32_t>(p[0] | (p[1] << 8));
    case 4: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    default:
        string_unit_fault();
    }
}
inline void string_put_char(uint8_t* p, uint32_t unit, uint32_t cp) {
    switch (unit) {
    case 1:
        *p = static_cast<uint8_t>(cp);
        break;
    case 2:
        p[0] = static_cast<uint8_t>(cp);
        p[1] = static_cast<uint8_t>(cp >> 8);
        break;
    case 4:
        std::memcpy(p, &cp, 4);
        break;
    default:
        string_unit_fault();
    }
}
// Offset in units of the first occurrence from the position, or -1.
int string_find_char(const Cell* str, uint32_t cp);
// Whether cp occurs at the position or at any multiple of step after it;
// case-insensitive (both sides folded to lower case) unless strict.
bool string_contains_char(const Cell* str, uint32_t cp, uint32_t step, bool strict);
// Whether the string from its position begins with the 8-bit text.
bool string_starts_with(const Cell* str, const char* text);

// The string's text from its position as UTF-8, copied for C++ callers.
std::string string_utf8_text(const Cell* str);

// Writing. The append and poke thresholds differ: appending keeps 0-127 in a
// 1-byte buffer, poking and loading keep 0-255 (Latin-1).

// Empties the buffer, back to unit 1, head index 0.
void string_xs_reset(Cell* str);
// Moves the tail back to the unit index when it lies inside the size and below the tail.
void string_truncate_at(SeriesBuf* buf, uint32_t index);
SeriesBuf* string_append_char(SeriesBuf* buf, uint32_t cp);
SeriesBuf* string_poke_char(SeriesBuf* buf, uint8_t* unit_address, uint32_t cp);
SeriesBuf* string_poke_char_at(SeriesBuf* buf, uint32_t index, uint32_t cp);
SeriesBuf* string_insert_char_at(SeriesBuf* buf, uint32_t index, uint32_t cp);
// Removes n units at the absolute unit index.
void string_remove_units(Cell* str, uint32_t index, uint32_t n);
// Appends each byte of the text as a code point (bytes above 127 widen); not empty.
void string_concatenate_literal(Cell* str, const char* text);
// Appends n bytes the same way. The bytes must not lie in a series buffer that
// an expansion of str could move.
void string_append_bytes(Cell* str, const uint8_t* bytes, uint32_t n);

// Widening in place (head indexes stay valid).
SeriesBuf* string_widen_1_to_2(SeriesBuf* buf);
SeriesBuf* string_widen_1_to_4(SeriesBuf* buf);
SeriesBuf* string_widen_2_to_4(SeriesBuf* buf);
SeriesBuf* string_widen_to(SeriesBuf* buf, uint32_t unit, uint32_t new_unit);

// Appends n times "    "; returns limit - 4 * n.
int mold_indent(Cell* str, int n, int limit);

} // namespace xel
