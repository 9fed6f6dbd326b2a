// The coordinates of a pair by path and by pick.
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/coordinate-path.h"
#include "runtime/datatypes/pair/pair.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

int32_t coordinate(const Cell* pair, int i) {
    return i == 0 ? pair_x(pair) : pair_y(pair);
}

} // namespace

Cell* pair_pick(Cell* series, int index, Cell* boxed) {
    int i = coordinate_of_pick(index, boxed, 2);
    return integer_box(coordinate(series, i));
}

Cell* pair_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                     Cell* p_item, int index, bool case_, bool, bool, bool) {
    int i = coordinate_of_path(element, parent, path, 2);
    if (!value) return integer_box(coordinate(parent, i));
    Cell v = *value;
    if (type_of(&v) != T_INTEGER) {
        Cell type = datatype_cell(type_of(&v));
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    if (i == 0)
        parent->data2 = v.data2;
    else
        parent->data3 = v.data2;
    path_store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

} // namespace xel
