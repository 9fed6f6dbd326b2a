// vector!: a packed series of numbers or characters of one item type and one
// width, a child of string! whose series actions work item by item. Word 1 is
// the head index in items, word 2 the node of the item buffer (its unit is
// the item width in bytes), word 3 the item type: char!, integer!, float! or
// percent!. Items are little-endian; char! and integer! items of 8 and 16
// bits read back sign-extended, 32-bit float! and percent! items are single
// precision, and a percent! item holds the fraction (1.0 is 100%).
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

inline uint8_t vector_item_type(const Cell* v) {
    return static_cast<uint8_t>(v->data3);
}
inline void vector_set_item_type(Cell* v, uint8_t type) {
    v->data3 = type;
}
// Whether values of the type may be vector items.
inline bool vector_item_type_ok(uint8_t type) {
    return type == T_CHAR || type == T_INTEGER || type == T_FLOAT || type == T_PERCENT;
}

// The cell becomes an empty vector with room for count items of unit bytes;
// a size beyond 32 bits raises internal no-memory.
Cell* vector_make_at(Cell* slot, uint32_t count, uint32_t unit, uint8_t item_type);
// The value of the item stored at item.
Cell vector_item_value(const uint8_t* item, uint32_t unit, uint8_t item_type);
// Pushes that value on the argument stack.
Cell* vector_push_item(const uint8_t* item, uint32_t unit, uint8_t item_type);
// Stores an integer! or char! in 1, 2 or 4 bytes (the low bits), a float! or
// percent! in 4 or 8; another type raises script invalid-type with its datatype.
void vector_set_item(uint8_t* item, const Cell* value, uint32_t unit);

// Address of the item at an index counted from the buffer's head.
uint8_t* vector_item_at(const Cell* v, uint32_t index);
// Items from the position to the tail (0 past the tail).
int vector_xs_length(const Cell* v);
// The tail goes back to the position.
void vector_xs_clear(Cell* v);
// Appends an item at the tail, the buffer growing as needed.
void vector_xs_append_int(Cell* v, int32_t value);
// out becomes a new block! of the items from the position, as values.
void vector_to_block(const Cell* v, Cell* out);

// The series code's item access (index from the buffer's head): pick's
// value, and poke's store, which takes only values of the item type (script
// invalid-arg with the value otherwise).
Cell vector_get(const Cell* v, uint32_t index);
void vector_poke(const Cell* v, uint32_t index, const Cell* value);

// Math on the current frame's two arguments, the result in the first.
// With a scalar (either side) every item becomes item op scalar, in place;
// two vectors give a new one of the shorter length.
void vector_do_math_scalar(int op);
void vector_do_math(int op);

// Actions (the row is vector_row in rows.h).
Cell* vector_make(Cell* proto, Cell* spec, int type);
int vector_form(Cell* value, Cell* buffer, Cell* arg, int part);
int vector_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);
int vector_compare(Cell* value1, Cell* value2, int op);
Cell* vector_append(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* vector_insert(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* vector_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* vector_find(Cell* series, Cell* value, const FindOptions& o);
Cell* vector_select(Cell* series, Cell* value, const FindOptions& o);
Cell* vector_take(Cell* series, Cell* part, bool deep, bool last);
Cell* vector_sort(Cell* series, const SortOptions& o);
Cell* vector_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                       Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);

} // namespace xel
