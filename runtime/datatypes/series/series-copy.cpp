#include <cstring>

#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

Cell* series_copy(Cell* s, Cell* part, bool deep, Cell* types) {
    (void)deep;
    (void)types;
    Cell series = *s;
    int64_t index = series_index(&series) < 0 ? 0 : series_index(&series);
    int64_t buffer_len = series_buffer_length(&series);
    int64_t start = index;
    int64_t count = index < buffer_len ? buffer_len - index : 0;
    if (part) {
        if (type_of(part) == T_PAIR) {
            int64_t x = static_cast<int32_t>(part->data2);
            int64_t y = static_cast<int32_t>(part->data3);
            start = index + x - (x < 0 ? 0 : 1);
            if (start < 0) start = 0;
            count = y < x ? 0 : y - x;
        } else {
            count = series_part_count(&series, part);
        }
        if (count < 0) {
            start -= -count;
            count = -count;
            if (start < 0) {
                start = 0;
                count = index;
            }
        }
    }
    if (start > buffer_len) start = buffer_len;
    if (count > buffer_len - start) count = buffer_len - start;

    uint32_t unit = series_unit(&series);
    uint32_t shift = unit_shift(unit);
    auto n = static_cast<uint32_t>(count);
    Offset node = alloc_units(n, unit);
    SeriesBuf* copy = buffer_of(node);
    SeriesBuf* src = series_buffer(&series);
    std::memcpy(at(copy->head), at(src->head) + (static_cast<uint32_t>(start) << shift),
                n << shift);
    copy->tail = copy->head + (n << shift);
    uint8_t t = type_of(&series);
    Cell* result = stack_arguments();
    *result = Cell{t, 0, node, t == T_VECTOR ? series.data3 : 0};
    return result;
}

} // namespace xel
