// The bytes of a tuple by path and by pick; setting none! cuts the tuple.
#include <algorithm>

#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/tuple/tuple.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

[[noreturn]] void out_of_range(const Cell* index) {
    Cell copy = *index;
    error_fire(kCatScript, err::script::kOutOfRange, &copy);
}

// Bytes i.. are zeroed and the count drops to i (0-based), never below 3.
void cut_at(Cell* tuple, uint32_t i) {
    uint8_t* bytes = tuple_bytes_mut(tuple);
    for (uint32_t k = i; k < kTupleMaxBytes; k++)
        bytes[k] = 0;
    tuple_set_count(tuple, std::max(i, kTupleMinBytes));
}

} // namespace

Cell* tuple_pick(Cell* series, int index, Cell* boxed) {
    if (index < 1 || index > static_cast<int>(tuple_count(series))) {
        pick_fire_out_of_range(index, boxed);
    }
    return integer_box(tuple_bytes(series)[index - 1]);
}

Cell* tuple_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool, bool, bool) {
    Cell elem = *element;
    if (type_of(&elem) != T_INTEGER) path_fire_invalid_selector(path, &elem);
    auto n = static_cast<int32_t>(elem.data2);
    if (n < 1 || n > static_cast<int32_t>(tuple_count(parent))) out_of_range(&elem);
    auto i = static_cast<uint32_t>(n - 1);
    if (!value) return integer_box(tuple_bytes(parent)[i]);
    Cell v = *value;
    if (type_of(&v) == T_INTEGER) {
        tuple_bytes_mut(parent)[i] =
            static_cast<uint8_t>(std::clamp(static_cast<int32_t>(v.data2), 0, 255));
    } else if (type_of(&v) == T_NONE) {
        cut_at(parent, i);
    } else {
        Cell type = datatype_cell(type_of(&v));
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    path_store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

} // namespace xel
