#include "runtime/datatypes/tuple/tuple-cell.h"

#include <cstring>

namespace xel {

void tuple_make_at(Cell* c, const uint8_t* bytes, uint32_t count) {
    if (count > kTupleMaxBytes) count = kTupleMaxBytes;
    uint8_t data[kTupleMaxBytes] = {};
    std::memcpy(data, bytes, count);
    uint32_t stored = count < 3 ? 3 : count;
    c->header = T_TUPLE | stored << kTupleCountShift;
    std::memcpy(&c->data1, data, sizeof data);
}

} // namespace xel
