#include "runtime/datatypes/handle/handle.h"

#include <cstring>
#include <vector>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

std::vector<const char*>& class_names() {
    static std::vector<const char*> names;
    return names;
}

int append_text(Cell* buffer, const char* text, int part) {
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

} // namespace

uint32_t handle_register_class(const char* name) {
    class_names().push_back(name);
    return static_cast<uint32_t>(class_names().size());
}

void handle_make_at(Cell* c, uint32_t value, uint32_t class_index) {
    *c = Cell{T_HANDLE, class_index, value, 0xFFFFFFFFu};
}

Cell* handle_box(uint32_t value, uint32_t class_index) {
    Cell* c = stack_arguments();
    handle_make_at(c, value, class_index);
    return c;
}

Cell* handle_make_in(Cell* block, uint32_t value, uint32_t class_index) {
    Cell* c = block_alloc_tail_cell(block);
    handle_make_at(c, value, class_index);
    return c;
}

Cell* handle_push_null() {
    Cell* c = stack_push_cell();
    handle_make_at(c, 0, 0);
    return c;
}

int handle_form(Cell* value, Cell* buffer, Cell*, int part) {
    part = append_text(buffer, string_int_to_hex(static_cast<int32_t>(value->data2), false), part);
    return append_text(buffer, "h", part);
}

int handle_mold(Cell* value, Cell* buffer, bool, bool all, bool, Cell* arg, int part, int) {
    if (!all) return append_text(buffer, "handle!", part);
    part = append_text(buffer, "#[handle! ", part);
    part = handle_form(value, buffer, arg, part);
    uint32_t index = value->data1;
    if (index >= 1 && index <= class_names().size()) {
        part = append_text(buffer, " ", part);
        part = append_text(buffer, class_names()[index - 1], part);
    }
    return append_text(buffer, "]", part);
}

int handle_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_HANDLE) return -2;
    if (op == kCmpSame)
        return value1->data1 == value2->data1 && value1->data2 == value2->data2 ? 0 : -1;
    uint32_t a = value1->data2;
    uint32_t b = value2->data2;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void handle_row(ActionList& row) {
    row.set<A_FORM>(handle_form).set<A_MOLD>(handle_mold).set<A_COMPARE>(handle_compare);
}

} // namespace xel
