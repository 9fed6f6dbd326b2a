#include "runtime/datatypes/map/map-cell.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/hashing/hashtable.h"

namespace xel {

bool map_key_type(uint8_t type) {
    switch (type) {
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_CHAR:
    case T_INTEGER:
    case T_FLOAT:
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
    case T_ISSUE:
    case T_PAIR:
    case T_PERCENT:
    case T_TUPLE:
    case T_BINARY:
    case T_TIME:
    case T_TAG:
    case T_EMAIL:
    case T_DATE:
    case T_MONEY:
    case T_REF:
    case T_POINT2D:
    case T_POINT3D:
        return true;
    default:
        return false;
    }
}

void map_make_at(Cell* c) {
    Cell block = *c;
    block.header = T_BLOCK;
    uint32_t n = static_cast<uint32_t>(block_length_at(&block));
    // Making the table enters every key already; entering them again would
    // find each key as its own repeat and drop it.
    Offset table = hash_make(n / 2, &block, kHashMap, 0);
    *c = Cell{T_MAP, block.data1, block.data2, table};
}

} // namespace xel
