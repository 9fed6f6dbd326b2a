// The state of one scan in progress and the buffers shared by all scans.
// Scans nest (a callback or a loader may load text), so states form a chain;
// each scan's output starts at the enclosing scan's tail in the one value
// buffer, and nested series are built there between open-series markers.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/lexer/lexer-tables.h"

namespace xel {

struct LexerState {
    LexerState* next;     // the nested scan started from this one
    LexerState* previous; // the enclosing scan
    // Cell indexes into the value buffer.
    uint32_t base; // first cell of this scan's output
    uint32_t head; // first cell of the innermost open series (after its marker)
    uint32_t tail; // next free cell
    const uint8_t* input_start;
    const uint8_t* input_end;
    const uint8_t* position;
    const uint8_t* token_start;
    const uint8_t* token_end;
    int32_t line;
    int32_t leading_lines; // line feeds skipped before the last token
    int32_t type;          // datatype of the last token
    int32_t start_state;
    int32_t previous_state; // state before the final transition
    int32_t closing_type;   // datatype of a pending missing-closer error
    int32_t last_type;
    const uint8_t* brace_start;
    int32_t brace_depth;
    uint32_t brace_flags;
    bool brace_new_line;
    uint32_t token_flags;
    uint8_t token_class;
    uint32_t mode; // ScanFlags
    Cell callback; // function! or none!
    uint32_t event_mask;
    Cell input_value; // string!, binary! or none!
    bool raise_errors;
    const uint8_t* cached_byte_position;
    uint32_t cached_code_point_offset;
    bool input_moved; // the last event's callback moved its input
};

// An open-series marker: header type 31, word 1 the cells from the enclosing
// series' head to it, word 2 the opened type (low 16 bits) and the comma count
// (high 16 bits), word 3 the opener's byte offset in the input.
constexpr uint8_t kMarkerType = 31;

inline void marker_make_at(Cell* m, uint32_t depth, uint8_t type, uint32_t opener, bool new_line) {
    *m = Cell{kMarkerType | (new_line ? kNewLineFlag : 0u), depth, type, opener};
}
// Cells from the enclosing series' head to the marker.
inline uint32_t marker_depth(const Cell* m) {
    return m->data1;
}
inline uint32_t marker_commas(const Cell* m) {
    return m->data2 >> 16;
}
// A paren with commas is a point.
inline void marker_set_point(Cell* m, uint32_t commas) {
    m->data2 = T_POINT2D | commas << 16;
}
inline uint32_t marker_opener_offset(const Cell* m) {
    return m->data3;
}

// Thrown inside a scan to stop it without raising: a non-raising error or a
// false answer of the error event.
struct LexerStop {};
// Thrown when the error event's callback answered false and moved its input:
// the scan goes on from there without raising.
struct LexerResume {};

extern LexerState* g_lexer_states; // outermost scan in progress
extern Cell* g_lexer_cells;
extern uint32_t g_lexer_capacity;

inline Cell* lexer_cell(uint32_t index) {
    return g_lexer_cells + index;
}
// A new cell at the tail (unset!); the buffer doubles when full. The pointer
// is valid until the next lexer_alloc_cell.
Cell* lexer_alloc_cell(LexerState* s);

// Text buffer used as a stack of converted texts.
uint8_t* lexer_text_reserve(uint32_t size);
void lexer_text_release(uint8_t* text);

// The innermost open marker, or null.
inline Cell* lexer_open_marker(const LexerState* s) {
    return s->head > s->base ? lexer_cell(s->head - 1) : nullptr;
}
inline uint8_t marker_type(const Cell* m) {
    return static_cast<uint8_t>(m->data2 & 0xFFFF);
}

// Runs the automaton over one token from the start state: sets the token's
// span, flags, class and type, and steps the position past it.
TokenClass lexer_next_token(LexerState* s);

// Code points in text converted from a string: every byte but continuation
// bytes starts one (a lone surrogate a string may hold included).
inline uint32_t lexer_count_code_points(const uint8_t* p, const uint8_t* end) {
    uint32_t n = 0;
    for (; p < end; p++)
        n += (*p & 0xC0) != 0x80;
    return n;
}
// The address after n code points of such text, never beyond end.
inline const uint8_t* lexer_skip_code_points(const uint8_t* p, const uint8_t* end, uint32_t n) {
    for (; p < end; p++)
        if ((*p & 0xC0) != 0x80 && n-- == 0) break;
    return p;
}

// Whether only blanks and comments lie in [p, end).
bool lexer_rest_is_blank(const uint8_t* p, const uint8_t* end);

// Whether p is at the end, an ASCII delimiter or a Unicode blank.
bool lexer_at_delimiter(const LexerState* s, const uint8_t* p);
// Length of the Unicode blank at p (0 when none).
int lexer_unicode_blank_length(const uint8_t* p, const uint8_t* end);

// Errors. code: a datatype id (invalid), -1 bad character, -2 bad
// construction, -3 and -4 a missing closer. start null: the innermost
// opener (or the input start).
[[noreturn]] void lexer_throw_error(LexerState* s, const uint8_t* start, const uint8_t* end,
                                    int code);
// The invalid error of a datatype, near the token / near the innermost opener.
[[noreturn]] void lexer_invalid(LexerState* s, int type);
[[noreturn]] void lexer_invalid_at_opener(LexerState* s, int type);
[[noreturn]] void lexer_scan_error(LexerState* s);

// Events: true when the scan goes on with the token (no callback, or the
// event not selected, or a true answer). token is the loaded value for load
// events; otherwise the token's span is passed.
bool lexer_fire_event(LexerState* s, uint32_t event, int type, const Cell* token);

// Whether a callback value is set, and the events its body selects.
bool lexer_callback_set(const Cell* callback);
uint32_t lexer_callback_mask(const Cell* callback);

// Appends a copy of a loaded value, with the new-line marker when its token
// started a line.
void lexer_append_value(LexerState* s, const Cell* value);

} // namespace xel
