// native!, action! and op!: the values of the built-in functions.
//   native! (21) and action! (22): word 1 the 1-based entry of the natives
//   table (1-120) or of the actions table (1-62); word 2 the spec block node;
//   word 3 the node of a two-cell block: a copy of the context cell of a
//   context made from the spec's words, then the interpreter's argument-list
//   cache (none! until it stores a block!).
//   op! (23): a copy of its source (native!, action!, function! or routine!)
//   whose header is 23 | source type << 16.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

inline uint8_t op_source_type(const Cell* op) {
    return static_cast<uint8_t>(op->header >> 16);
}
// An op! made from a function! becomes that function again (it shares the
// function's record); any other value is left as it is.
inline void op_unwrap_function(Cell* c) {
    if (type_of(c) == T_OP && op_source_type(c) == T_FUNCTION) c->header = T_FUNCTION;
}
// An op!'s source type, else the value's own type.
inline uint8_t code_kind(const Cell* c) {
    return type_of(c) == T_OP ? op_source_type(c) : uint8_t{type_of(c)};
}
// The 1-based entry of the natives or actions table.
inline uint32_t native_entry(const Cell* value) {
    return value->data1;
}
inline Offset native_spec_node(const Cell* value) {
    return value->data2;
}

// Whether a spec block fits an operator: exactly two arguments, the first a
// word!, no refinement but /local and /extern.
bool op_spec_fits(const Cell* spec);

// A native! or action! of a table entry (1-based) with its spec block (read
// from the block's head); the entry is not checked.
Cell native_value(uint8_t type, uint32_t index, const Cell* spec);

Cell* native_make(Cell* proto, Cell* spec, int type);
Cell* op_make(Cell* proto, Cell* spec, int type);
Cell* native_reflect(Cell* value, Cell* field);
int native_form(Cell* value, Cell* buffer, Cell* arg, int part);
int native_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);
int native_compare(Cell* value1, Cell* value2, int op);

} // namespace xel
