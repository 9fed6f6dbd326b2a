// datatype!: word 1 is the id of the type the value names.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/scalar-text.h"

namespace xel {

namespace {

// The type's name; with bang its trailing "!" too.
int append_name(Cell* buffer, const Cell* value, bool bang, int part) {
    const TypeName& name = g_type_names[value->data1];
    uint32_t n = name.length + (bang ? 1 : 0);
    string_append_bytes(buffer, reinterpret_cast<const uint8_t*>(name.name), n);
    return part - static_cast<int>(n);
}

int datatype_form(Cell* value, Cell* buffer, Cell*, int part) {
    return append_name(buffer, value, false, part);
}

int datatype_mold(Cell* value, Cell* buffer, bool, bool all, bool, Cell*, int part, int) {
    if (!all) return append_name(buffer, value, true, part);
    part = scalar_append(buffer, "#(", part);
    part = append_name(buffer, value, true, part);
    return scalar_append(buffer, ")", part);
}

// Equality only: a value of another type is simply unequal.
int datatype_compare(Cell* value1, Cell* value2, int op) {
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpStrictEqual:
    case kCmpSame:
    case kCmpFind:
        return type_of(value2) == T_DATATYPE && value2->data1 == value1->data1 ? 0 : 1;
    default:
        return -2;
    }
}

} // namespace

void datatype_row(ActionList& row) {
    row.set<A_FORM>(datatype_form).set<A_MOLD>(datatype_mold).set<A_COMPARE>(datatype_compare);
}

} // namespace xel
