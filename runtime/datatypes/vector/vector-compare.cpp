// compare of vector!: item by item from both positions, then by length.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

int order(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

double number_of(const Cell* item) {
    uint8_t t = type_of(item);
    return t == T_FLOAT || t == T_PERCENT ? cell_double(item)
                                          : static_cast<double>(static_cast<int32_t>(item->data2));
}

} // namespace

int vector_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_VECTOR) return -2;
    Cell a = *value1;
    Cell b = *value2;
    if (vector_item_type(&a) != vector_item_type(&b))
        error_fire(kCatScript, err::script::kNotSameType);
    if (op == kCmpSame) return a.data2 == b.data2 && series_index(&a) == series_index(&b) ? 0 : 1;
    int len1 = vector_xs_length(&a);
    int len2 = vector_xs_length(&b);
    uint32_t from1 = series_clamped_index(&a);
    uint32_t from2 = series_clamped_index(&b);
    int n = len1 < len2 ? len1 : len2;
    for (int i = 0; i < n; i++) {
        Cell x = vector_get(&a, from1 + static_cast<uint32_t>(i));
        Cell y = vector_get(&b, from2 + static_cast<uint32_t>(i));
        int r = order(number_of(&x), number_of(&y));
        if (r) return r;
    }
    return len1 < len2 ? -1 : (len1 > len2 ? 1 : 0);
}

} // namespace xel
