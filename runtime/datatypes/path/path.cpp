#include "runtime/datatypes/path/path.h"

#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

int append_char(Cell* buffer, uint32_t cp, int part) {
    string_append_char(string_buffer(buffer), cp);
    return part - 1;
}

// Writes the elements from the position with "/" between them; mold selects
// the element writer. With a /part limit, writing stops once it is used up.
template <class Write>
int write_elements(Cell* value, Cell* buffer, Cell* arg, int part, bool mold, Write write) {
    if (cycles_detect(value, buffer, &part, mold)) return part;
    // Held by value: the path's buffer may move while its elements are written.
    Cell path = *value;
    cycles_push(path.data2);
    uint32_t from = block_index(&path) < 0 ? 0 : static_cast<uint32_t>(block_index(&path));
    for (uint32_t i = from; i < block_buffer_length(&path); i++) {
        if (i > from) part = append_char(buffer, '/', part);
        Cell cell = *block_cell_at(&path, i);
        part = write(&cell, part);
        if (arg && part <= 0) break;
    }
    cycles_pop();
    return part;
}

} // namespace

Cell* path_make(Cell* proto, Cell* spec, int type) {
    Cell s = *spec;
    switch (type_of(&s)) {
    case T_PERCENT:
        // Same payload as a float: the block maker truncates it and checks its range.
        cell_set_type(&s, T_FLOAT);
        return block_make(proto, &s, type);
    case T_INTEGER:
    case T_FLOAT:
        return block_make(proto, &s, type);
    default:
        if (is_block_kind(type_of(&s))) return block_to(proto, &s, type);
        Cell datatype = datatype_cell(static_cast<uint32_t>(type));
        error_fire_bad_make_arg(&datatype, &s);
    }
}

Cell* path_to(Cell* proto, Cell* spec, int type) {
    uint8_t t = type_of(spec);
    if (t != T_MAP && t != T_OBJECT && t != T_TYPESET) return block_to(proto, spec, type);
    Cell value = *spec;
    Cell path;
    block_make_at(&path, 1);
    block_append_copy(&path, &value);
    cell_set_type(&path, static_cast<uint8_t>(type));
    return stack_set_last(&path);
}

int path_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return write_elements(value, buffer, arg, part, false, [&](Cell* cell, int left) {
        return element_form(cell, buffer, arg, left);
    });
}

int path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent) {
    return write_elements(value, buffer, arg, part, true, [&](Cell* cell, int left) {
        return element_mold(cell, buffer, only, all, flat, arg, left, indent);
    });
}

int lit_path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent) {
    part = append_char(buffer, '\'', part);
    return path_mold(value, buffer, only, all, flat, arg, part, indent);
}

int set_path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent) {
    part = path_mold(value, buffer, only, all, flat, arg, part, indent);
    return append_char(buffer, ':', part);
}

int get_path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent) {
    part = append_char(buffer, ':', part);
    return path_mold(value, buffer, only, all, flat, arg, part, indent);
}

} // namespace xel
