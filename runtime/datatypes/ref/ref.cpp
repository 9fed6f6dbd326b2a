#include "runtime/datatypes/ref/ref.h"

#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/stack/stack.h"

namespace xel {

Cell* ref_push(const Cell* str) {
    Cell* c = stack_push(str);
    cell_set_type(c, T_REF);
    return c;
}

int ref_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    string_append_char(string_buffer(buffer), '@');
    return string_form(value, buffer, arg, part - 1);
}

void ref_row(ActionList& row) {
    for (int slot :
         {A_MAKE,  A_REFLECT, A_TO,     A_FORM, A_COMPARE, A_AT,      A_BACK,   A_CHANGE,
          A_CLEAR, A_COPY,    A_FIND,   A_HEAD, A_HEAD_Q,  A_INDEX_Q, A_INSERT, A_LENGTH_Q,
          A_MOVE,  A_NEXT,    A_PICK,   A_POKE, A_REMOVE,  A_REVERSE, A_SELECT, A_SKIP,
          A_SWAP,  A_TAIL,    A_TAIL_Q, A_TAKE, A_MODIFY})
        row.inherit(slot);
    row.set<A_MOLD>(ref_mold);
}

} // namespace xel
