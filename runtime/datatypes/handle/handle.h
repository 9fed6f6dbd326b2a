// handle!: an opaque OS handle that the GUI and platform layers give to the
// language. Word 1 the class index (0 = no class), word 2 the handle's 32-bit
// value, word 3 always -1.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Names a class of handles for mold; returns its index (from 1). The layers
// that make handles register their classes once.
uint32_t handle_register_class(const char* name);

void handle_make_at(Cell* c, uint32_t value, uint32_t class_index);
inline uint32_t handle_value(const Cell* c) {
    return c->data2;
}
// Into the current call's result slot.
Cell* handle_box(uint32_t value, uint32_t class_index);
// Appended to a block.
Cell* handle_make_in(Cell* block, uint32_t value, uint32_t class_index);
// Value 0, no class, pushed on the argument stack.
Cell* handle_push_null();

// form: the value in eight hex digits and "h". mold: "handle!", or with /all
// "#[handle! " the form, a blank and the class name when there is one, "]".
int handle_form(Cell* value, Cell* buffer, Cell* arg, int part);
int handle_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);
// Handles order by value; any other type gives -2 (unequal). Same: the same
// value of the same class.
int handle_compare(Cell* value1, Cell* value2, int op);

} // namespace xel
