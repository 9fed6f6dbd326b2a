#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/printing/cycles.h"

namespace xel {

namespace {

bool is_any_word(uint8_t t) {
    return t >= T_WORD && t <= T_ISSUE;
}
bool is_number(uint8_t t) {
    return t == T_INTEGER || t == T_FLOAT || t == T_PERCENT;
}
bool is_equality_op(int op) {
    return op == kCmpEqual || op == kCmpNotEqual || op == kCmpStrictEqual || op == kCmpStrictWord ||
           op == kCmpStrictPath || op == kCmpFind;
}
int sign(int64_t v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Cells from the position to the tail, without rewriting the cell.
int32_t length_from(const Cell* b) {
    int32_t len = static_cast<int32_t>(block_buffer_length(b));
    int32_t i = block_index(b);
    if (i < 0) i = 0;
    return i >= len ? 0 : len - i;
}

} // namespace

int block_compare_each(Cell* first, Cell* second, int op) {
    bool same = first->data2 == second->data2 && block_index(first) == block_index(second);
    if (same) return 0;
    if (op == kCmpSame) return -1;
    if (cycles_find(first->data2)) return cycles_find(second->data2) ? 0 : -1;

    int32_t len1 = length_from(first);
    int32_t len2 = length_from(second);
    if (len1 != len2 && is_equality_op(op)) return 1;
    if (len1 == 0 || len2 == 0) return sign(int64_t{len1} - len2);

    // Held by value: the cells' buffers may move while elements compare.
    Cell a = *first;
    Cell b = *second;
    int32_t start1 = block_index(&a) < 0 ? 0 : block_index(&a);
    int32_t start2 = block_index(&b) < 0 ? 0 : block_index(&b);
    cycles_push(a.data2);
    cycles_push(b.data2);
    int result = 0;
    int32_t n = len1 < len2 ? len1 : len2;
    for (int32_t i = 0; i < n && result == 0; i++) {
        Cell c1 = *block_cell_at(&a, static_cast<uint32_t>(start1 + i));
        Cell c2 = *block_cell_at(&b, static_cast<uint32_t>(start2 + i));
        uint8_t t1 = type_of(&c1);
        uint8_t t2 = type_of(&c2);
        if (t1 != t2 && !(is_any_word(t1) && is_any_word(t2)) && !(is_number(t1) && is_number(t2)))
            result = t1 < t2 ? -1 : 1;
        else
            result = element_compare_values(&c1, &c2, op);
    }
    cycles_pop_n(2);
    return result != 0 ? result : sign(int64_t{len1} - len2);
}

int block_compare(Cell* value1, Cell* value2, int op) {
    uint8_t t1 = type_of(value1);
    uint8_t t2 = type_of(value2);
    if (t1 != t2) {
        bool path_pair = (t1 == T_PATH && t2 == T_LIT_PATH) || (t1 == T_LIT_PATH && t2 == T_PATH);
        if (!(path_pair && (op == kCmpStrictWord || op == kCmpStrictPath))) return -2;
    }
    return block_compare_each(value1, value2, op);
}

} // namespace xel
