// form and mold of map!: the live pairs, key then value. mold writes each
// pair on its own line, indented one level, inside "#[" and "]".
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/map/map-cell.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/printing/cycles.h"

namespace xel {

namespace {

int append_char(Cell* buffer, uint32_t cp, int part) {
    string_append_char(string_buffer(buffer), cp);
    return part - 1;
}

} // namespace

int map_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
             int indent) {
    if (cycles_detect(value, buffer, &part, true)) return part;
    Cell m = *value;
    if (!only) {
        part = append_char(buffer, '#', part);
        part = append_char(buffer, '[', part);
    }
    cycles_push(m.data2);
    bool any = false;
    for (uint32_t i = 0; i + 1 < map_cell_count(&m); i += 2) {
        Cell key = map_cell_at(&m, i);
        Cell v = map_cell_at(&m, i + 1);
        if (v.header == 0) continue;
        if (!flat) {
            part = append_char(buffer, '\n', part);
            part = mold_indent(buffer, indent + 1, part);
        } else if (any) {
            part = append_char(buffer, ' ', part);
        }
        any = true;
        part = actions_mold_typed(&key, buffer, false, all, flat, arg, part, indent + 1);
        part = append_char(buffer, ' ', part);
        part = actions_mold_typed(&v, buffer, false, all, flat, arg, part, indent + 1);
        if (arg && part <= 0) {
            cycles_pop();
            return part;
        }
    }
    cycles_pop();
    if (!flat && any) {
        part = append_char(buffer, '\n', part);
        part = mold_indent(buffer, indent, part);
    }
    if (!only) part = append_char(buffer, ']', part);
    return part;
}

int map_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    if (cycles_detect(value, buffer, &part, false)) return part;
    Cell m = *value;
    cycles_push(m.data2);
    for (uint32_t i = 0; i + 1 < map_cell_count(&m); i += 2) {
        Cell key = map_cell_at(&m, i);
        Cell v = map_cell_at(&m, i + 1);
        if (v.header == 0) continue;
        part = actions_form_typed(&key, buffer, arg, part);
        part = append_char(buffer, ' ', part);
        part = actions_form_typed(&v, buffer, arg, part);
        part = append_char(buffer, '\n', part);
        if (arg && part <= 0) break;
    }
    cycles_pop();
    return part;
}

} // namespace xel
