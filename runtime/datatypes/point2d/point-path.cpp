// The coordinates of a point by path and by pick.
#include <cstring>

#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/pair/coordinate-path.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

Cell* point_pick(Cell* series, int index, Cell* boxed) {
    int i = coordinate_of_pick(index, boxed, point_size(type_of(series)));
    return float_box(point_coordinate(series, i));
}

Cell* point_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool, bool, bool) {
    int i = coordinate_of_path(element, parent, path, point_size(type_of(parent)));
    if (!value) return float_box(point_coordinate(parent, i));
    Cell v = *value;
    float f;
    if (type_of(&v) == T_INTEGER) {
        f = static_cast<float>(static_cast<int32_t>(v.data2));
    } else if (type_of(&v) == T_FLOAT) {
        f = static_cast<float>(cell_double(&v));
    } else {
        Cell type = datatype_cell(type_of(&v));
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    std::memcpy(reinterpret_cast<uint8_t*>(&parent->data1) + 4 * i, &f, sizeof f);
    path_store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

} // namespace xel
