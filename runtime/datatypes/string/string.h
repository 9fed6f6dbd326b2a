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

// Concatenation of source's units from its position (at most part units when
// part >= 0) into target. A symbol! on either side reads as its spelling.
// The target widens to the source's unit; a narrower source is widened in
// place unless per_unit is set, in which case its units are written one by one.
enum ConcatMode : int {
    kConcatAppend = 0,    // at the tail
    kConcatInsert = 1,    // at target position + offset, moving the rest up
    kConcatOverwrite = 2, // at target position + offset
};
void string_concatenate(Cell* target, const Cell* source, int part, int offset, bool per_unit,
                        int mode);

// Widening in place (head indexes stay valid).
SeriesBuf* string_widen_1_to_2(SeriesBuf* buf);
SeriesBuf* string_widen_1_to_4(SeriesBuf* buf);
SeriesBuf* string_widen_2_to_4(SeriesBuf* buf);
SeriesBuf* string_widen_to(SeriesBuf* buf, uint32_t unit, uint32_t new_unit);

// Loading text from outside (the target's head is overwritten; the unit starts
// at 1, or stays the given buffer's, and widens by the poke rule).

enum StringEncoding : int {
    kEncodingUtf8 = 0,
    kEncodingUtf16 = -1,
};
// UTF-8: a leading EF BB BF is skipped; an invalid sequence raises access
// invalid-utf8 (argument a binary! of up to 4 bytes at it); an unfinished last
// sequence is left, its byte count in *bytes_left (may be null). With cr, CR LF
// and a lone CR read as LF. Returns the buffer's node (new when target is null).
Offset string_load_utf8(const uint8_t* src, uint32_t length, SeriesBuf* target,
                        uint32_t* bytes_left, bool cr);
Offset string_load_utf8_into(const uint8_t* src, uint32_t length, Cell* str, uint32_t* bytes_left);
Offset string_load_utf8_new(const uint8_t* src, uint32_t length);
// Into a new buffer; an unfinished last sequence also raises invalid-utf8.
Offset string_load_utf8_whole(const uint8_t* src, uint32_t length, bool cr);
// n UTF-16LE units (src null: the text in str's conversion buffer) into str's
// buffer or a new one, in the unit a pre-scan picks; with cr, CRs are dropped.
// A high surrogate without its low one ends the process (status 0) after
// printing "*** Input Error: invalid UTF-16LE codepoint".
Offset string_load_utf16(const char16_t* src, uint32_t n, Cell* str, bool cr);
// Windows-1251 bytes (src null: str's conversion buffer), CR handled as for UTF-8.
Offset string_load_cp1251(const uint8_t* src, uint32_t length, Cell* str, bool cr);
// A string! decoded from UTF-8 (length in bytes) or UTF-16LE (length in 16-bit
// units) into dst, or into a new cell on the argument stack when dst is null.
// Another encoding ends the process after "*** Loading Error: input encoding unsupported".
Cell* string_load_at(const uint8_t* src, uint32_t length, Cell* dst, int encoding);
Cell* string_load(const uint8_t* src, uint32_t length, int encoding);
// ... into a new cell appended to the block.
Cell* string_load_in(const uint8_t* src, uint32_t length, Cell* block, int encoding);
// A new string! on the stack, decoded strictly: an unfinished last sequence
// also raises invalid-utf8, with those bytes.
Cell* string_from_utf8(const uint8_t* src, uint32_t length);
// The cell becomes a binary! holding a copy of the bytes (error arguments).
Cell* string_bytes_to_binary(Cell* c, const uint8_t* bytes, uint32_t n);

// Text for outside. The conversion buffer of a cell (word 3) is reused by each
// conversion through that cell; results point into it and stay valid until the
// next conversion through the same cell or the next allocation.

// Data address of the cell's conversion buffer, at least n bytes.
uint8_t* string_conversion_buffer(Cell* str, uint32_t n);
// UTF-8 of the units from the position (at most *length units; -1 for all),
// NUL-terminated; *length receives the bytes before the NUL. With lf every LF
// is written CR LF. A code point above 0x10FFFF raises script invalid-char.
uint8_t* string_encode_utf8_cached(Cell* str, int* length, bool lf);
uint8_t* string_to_utf8(Cell* str, int* length);
uint8_t* string_to_utf8_data(Cell* str, int* length, bool lf);
// UTF-8 written at out (limit in units, -1 for all), then a NUL when asked;
// returns the bytes written without the NUL.
uint32_t string_encode_utf8_into(const Cell* str, uint8_t* out, int limit, bool nul);
// As above within room bytes (a character that does not fit is cut after its
// leading bytes and ends the text); the NUL goes after the written bytes.
uint32_t string_encode_utf8_bounded(const Cell* str, uint8_t* out, int room, int limit, bool nul);
// UTF-16LE ending in a zero unit; *length (in: limit in units, -1 for all)
// receives the units written. Null when a code point is above 0x10FFFF.
char16_t* string_to_utf16_part(Cell* str, int* length, bool lf);
// The whole string from its position, every LF as CR LF.
char16_t* string_to_utf16(Cell* str);

// Texts in static buffers that the next call overwrites.
// Two upper-case hex digits.
const char* string_byte_to_hex(uint8_t byte);
// Eight upper-case hex digits (negatives padded with F); with significant only
// the digits written, and "00" for 0.
const char* string_int_to_hex(int32_t value, bool significant);

// The number that decimal Latin-1 digits denote.
double string_to_float(const uint8_t* digits, uint32_t length);

// Actions of string! (the row is string_row in rows.h).
Cell* string_make(Cell* proto, Cell* spec, int type);
Cell* string_to(Cell* proto, Cell* spec, int type);
int string_form(Cell* value, Cell* buffer, Cell* arg, int part);
// The conversion of other values into binary!, for make binary! (set by binary!).
extern Cell* (*g_binary_conversion)(Cell* spec, int type);

// Appends one character in molded form: caret escapes for control
// characters, the double quote, the caret and DEL; the hex form ^(..) for 30,
// 128 to 159, and with all for everything above 127.
void string_mold_char(Cell* out, uint32_t cp, bool all);

// Appends n times "    "; returns limit - 4 * n.
int mold_indent(Cell* str, int n, int limit);

} // namespace xel
