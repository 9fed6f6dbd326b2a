// path!, lit-path!, set-path! and get-path!: blocks written with their
// elements joined by slashes. They share the block layout and most block
// actions; these are the actions in which they differ.
#pragma once
#include "runtime/cell.h"

namespace xel {

inline bool is_path_kind(uint8_t type) {
    return type >= T_PATH && type <= T_GET_PATH;
}

Cell* path_make(Cell* proto, Cell* spec, int type);
Cell* path_to(Cell* proto, Cell* spec, int type);
// The elements from the position joined by "/", formed or molded.
int path_form(Cell* value, Cell* buffer, Cell* arg, int part);
int path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);
// path_mold with the variant's sigil: "'" before, ":" after, ":" before.
int lit_path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent);
int set_path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent);
int get_path_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent);

} // namespace xel
