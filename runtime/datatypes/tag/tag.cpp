#include "runtime/datatypes/tag/tag.h"

#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/stack/stack.h"

namespace xel {

Cell* tag_push(const Cell* str) {
    Cell* c = stack_push(str);
    cell_set_type(c, T_TAG);
    return c;
}

int tag_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    string_append_char(string_buffer(buffer), '<');
    part = string_form(value, buffer, arg, part - 1);
    string_append_char(string_buffer(buffer), '>');
    return part - 1;
}

int tag_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return tag_form(value, buffer, arg, part);
}

void tag_row(ActionList& row) {
    for (int slot :
         {A_MAKE,     A_REFLECT, A_TO,   A_EVAL_PATH, A_COMPARE, A_APPEND, A_AT,      A_BACK,
          A_CHANGE,   A_CLEAR,   A_COPY, A_FIND,      A_HEAD,    A_HEAD_Q, A_INDEX_Q, A_INSERT,
          A_LENGTH_Q, A_MOVE,    A_NEXT, A_PICK,      A_POKE,    A_PUT,    A_REMOVE,  A_REVERSE,
          A_SELECT,   A_SKIP,    A_SWAP, A_TAIL,      A_TAIL_Q,  A_TAKE,   A_MODIFY})
        row.inherit(slot);
    row.set<A_FORM>(tag_form).set<A_MOLD>(tag_mold);
}

} // namespace xel
