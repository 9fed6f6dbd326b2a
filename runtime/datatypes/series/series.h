// series!: the abstract parent of every value that is a position in a buffer
// of units (cells for blocks, 1/2/4-byte units for strings, bytes for
// binaries). Word 1 of a series cell is the index in units from the buffer's
// head (signed; it may lie past the tail or, transiently, below 0 and readers
// clamp it), word 2 the buffer's node, word 3 belongs to the type.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

inline Offset series_node(const Cell* s) {
    return s->data2;
}
// The node word itself, for marking roots: the collector rewrites it as
// nodes move.
inline Offset* series_node_slot(Cell* s) {
    return &s->data2;
}
inline SeriesBuf* series_buffer(const Cell* s) {
    return buffer_of(series_node(s));
}
inline int32_t series_index(const Cell* s) {
    return static_cast<int32_t>(s->data1);
}
inline void series_set_index(Cell* s, int32_t index) {
    s->data1 = static_cast<uint32_t>(index);
}
// Moves the position by n units; the stored word wraps, never overflows.
inline void series_move_index(Cell* s, int32_t n) {
    s->data1 += static_cast<uint32_t>(n);
}
// Whether two series values are positions in one buffer.
inline bool series_same_buffer(const Cell* a, const Cell* b) {
    return a->data2 == b->data2;
}
// Writes a whole series value: type, buffer node and position, word 3 clear.
inline void series_set_cell(Cell* c, uint8_t type, Offset node, int32_t index) {
    *c = Cell{type, static_cast<uint32_t>(index), node, 0};
}
inline uint32_t series_unit(const Cell* s) {
    return series_buffer(s)->unit();
}
// log2 of a unit size of 1, 2, 4 or 16.
inline uint32_t unit_shift(uint32_t unit) {
    return static_cast<uint32_t>(__builtin_ctz(unit));
}

inline bool is_string_kind(uint8_t type) {
    return type == T_STRING || type == T_FILE || type == T_URL || type == T_TAG ||
           type == T_EMAIL || type == T_REF;
}
// Every type whose value is a position in a series buffer.
inline bool is_series_kind(uint8_t type) {
    return type == T_BLOCK || type == T_PAREN || (type >= T_PATH && type <= T_GET_PATH) ||
           type == T_HASH || is_string_kind(type) || type == T_BINARY || type == T_VECTOR ||
           type == T_IMAGE;
}

// Position helpers.
// True when the position is at or past the tail.
bool series_xs_tail(const Cell* s);
// Units from head to tail, position ignored.
uint32_t series_buffer_length(const Cell* s);
// Moves the position by n units only when it stays at or before the tail;
// returns whether it is then at the tail.
bool series_xs_skip(Cell* s, int32_t n);
// Units from the position (or from the head) to the tail; a position past the
// tail is moved back to it (the cell is rewritten).
int32_t series_length_at(Cell* s, bool from_head = false);
// The index that `at` (at set) or `skip` gives for the offset cell.
int32_t series_at_index(const Cell* s, const Cell* offset, bool at);
// The position clamped to 0..buffer length.
uint32_t series_clamped_index(const Cell* s);
// The cell's position becomes its clamped index.
inline void series_clamp_position(Cell* s) {
    series_set_index(s, static_cast<int32_t>(series_clamped_index(s)));
}
// Units from an index to the tail as the buffer stands now: an owner's change
// handler, run before a change, may itself have changed the series.
inline uint32_t series_units_after(const Cell* s, uint32_t index) {
    SeriesBuf* buf = series_buffer(s);
    uint32_t len = buf->used() >> unit_shift(buf->unit());
    return index < len ? len - index : 0;
}

// A count taken from a /part argument: an integer!, or a series of the same
// type and buffer (its index less s's index); anything else raises script
// invalid-refine-arg with the word part and the value.
int32_t series_part_count(const Cell* s, const Cell* part);

// Direct actions: they work on the current frame (series first, offset
// second) and leave the result in the frame's result slot.
void series_head_q();
void series_tail_q();
void series_index_q();
void series_head();
void series_tail();
void series_next();
void series_back();
void series_at();
void series_skip();

// Typed actions; results go to the current frame's result slot.
int series_length_q(Cell* s);
Cell* series_pick(Cell* s, int index, Cell* boxed);
Cell* series_poke(Cell* s, int index, Cell* data, Cell* boxed);
Cell* series_clear(Cell* s);
Cell* series_remove(Cell* s, Cell* part, Cell* key);
Cell* series_reverse(Cell* s, Cell* part, Cell* skip);
Cell* series_take(Cell* s, Cell* part, bool deep, bool last);
Cell* series_copy(Cell* s, Cell* part, bool deep, Cell* types);
Cell* series_move(Cell* origin, Cell* target, Cell* part);
Cell* series_random(Cell* s, bool seed, bool secure, bool only);
Cell* series_reflect(Cell* s, Cell* field);
Cell* series_modify(Cell* target, Cell* field, Cell* value, bool case_);

} // namespace xel
