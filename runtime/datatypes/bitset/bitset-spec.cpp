// The spec walk shared by make, to and the series actions of bitset!: chars,
// integers, floats, strings and blocks (with low - high ranges), each number
// sized, set, tested or cleared.
#include <cmath>
#include <cstring>

#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The largest number a bitset may name: its bytes must stay addressable by a
// 32-bit size.
constexpr int64_t kLargestNumber = 0x7FFFFFFF;

[[noreturn]] void bad_spec(const Cell* value, int mode) {
    Cell type{T_DATATYPE, T_BITSET, 0, 0};
    if (mode == kBitsetMake) error_fire(kCatScript, err::script::kBadMakeArg, &type, value);
    if (mode == kBitsetTo) error_fire(kCatScript, err::script::kBadToArg, &type, value);
    error_fire(kCatScript, err::script::kInvalidArg, value);
}

bool is_number_spec(uint8_t t) {
    return t == T_CHAR || t == T_INTEGER || t == T_FLOAT;
}

int64_t number_of(const Cell* v) {
    switch (type_of(v)) {
    case T_CHAR:
        return v->data2;
    case T_INTEGER:
        return static_cast<int32_t>(v->data2);
    default: {
        double d = std::trunc(cell_double(v));
        if (!(d >= -kLargestNumber && d <= kLargestNumber))
            error_fire(kCatScript, err::script::kOutOfRange, v);
        return static_cast<int64_t>(d);
    }
    }
}

bool is_dash(const Cell* v) {
    return type_of(v) == T_WORD && symbol_resolve(word_symbol(v)) == symbol_resolve(g_sym_dash);
}

// Moves the tail out to bytes, new bytes taking the background of the set.
void grow_to(const Cell* bitset, uint64_t bytes) {
    SeriesBuf* buf = buffer_of(bitset->data2);
    uint32_t used = buf->used();
    if (bytes <= used) return;
    uint8_t fill = (buf->flags & kBitsetNegated) ? 0xFF : 0x00;
    auto n = static_cast<uint32_t>(bytes - used);
    std::memset(series_reserve_tail(buf, n), fill, n);
}

void set_bit(const Cell* bitset, int64_t n) {
    uint64_t byte = static_cast<uint64_t>(n) >> 3;
    if (byte >= bitset_size(bitset)) {
        // Beyond the stored bytes a negated set already holds every number.
        if (bitset_negated(bitset)) return;
        grow_to(bitset, byte + 1);
    }
    bitset_xs_head(bitset)[byte] |= static_cast<uint8_t>(0x80u >> (n & 7));
}

void clear_bit(const Cell* bitset, int64_t n) {
    uint64_t byte = static_cast<uint64_t>(n) >> 3;
    if (byte >= bitset_size(bitset)) {
        if (!bitset_negated(bitset)) return;
        grow_to(bitset, byte + 1);
    }
    bitset_xs_head(bitset)[byte] &= static_cast<uint8_t>(~(0x80u >> (n & 7)));
}

struct Walk {
    Cell* bitset;
    int op;
    int mode;
    int64_t largest = -1;
    bool all = true;

    // One number, or the range low to high (both included); value is the
    // cell named in an error.
    void apply(int64_t low, int64_t high, const Cell* value) {
        if (op == kBitsetTest) {
            for (int64_t n = low; n <= high && all; n++)
                all = bitset_test(bitset, n);
            return;
        }
        if (low < 0) error_fire(kCatScript, err::script::kOutOfRange, value);
        if (op == kBitsetMax) {
            if (high > largest) largest = high;
            return;
        }
        for (int64_t n = low; n <= high; n++) {
            if (op == kBitsetSet)
                set_bit(bitset, n);
            else
                clear_bit(bitset, n);
        }
    }

    void string(const Cell* str) {
        uint32_t count = string_view_of(str).count;
        for (uint32_t i = 0; i < count && all; i++) {
            // Growing the bitset may move the string's buffer: view it afresh.
            int64_t cp = string_view_of(str)[i];
            Cell c{T_CHAR, 0, static_cast<uint32_t>(cp), 0};
            apply(cp, cp, &c);
        }
    }

    void block(const Cell* blk) {
        Cell list = *blk;
        if (cycles_find(list.data2)) return;
        cycles_push(list.data2);
        int32_t start = block_index(&list) < 0 ? 0 : block_index(&list);
        for (auto i = static_cast<uint32_t>(start); i < block_buffer_length(&list) && all; i++) {
            Cell v = *block_cell_at(&list, i);
            uint8_t t = type_of(&v);
            bool ranged = (t == T_CHAR || t == T_INTEGER) && i + 1 < block_buffer_length(&list) &&
                          is_dash(block_cell_at(&list, i + 1));
            if (!ranged) {
                value(&v);
                continue;
            }
            if (i + 2 >= block_buffer_length(&list)) error_fire(kCatScript, err::script::kPastEnd);
            Cell end = *block_cell_at(&list, i + 2);
            if (type_of(&end) != t) error_fire(kCatScript, err::script::kInvalidArg, &end);
            int64_t low = number_of(&v);
            int64_t high = number_of(&end);
            if (low > high) error_fire(kCatScript, err::script::kPastEnd);
            apply(low, high, &v);
            i += 2;
        }
        cycles_pop();
    }

    void value(const Cell* v) {
        uint8_t t = type_of(v);
        if (is_number_spec(t)) {
            int64_t n = number_of(v);
            apply(n, n, v);
        } else if (t == T_STRING || t == T_FILE || t == T_URL || t == T_TAG || t == T_EMAIL ||
                   t == T_REF) {
            string(v);
        } else if (t == T_BLOCK) {
            block(v);
        } else if (t == T_BINARY) {
            error_fire(kCatInternal, err::internal::kNotDone);
        } else {
            bad_spec(v, mode);
        }
    }
};

// Keeps the cycle stack as it was however the walk ends.
struct CycleGuard {
    uint32_t depth = cycles_depth();
    ~CycleGuard() { cycles_pop_n(cycles_depth() - depth); }
};

} // namespace

bool bitset_test(const Cell* bitset, int64_t n) {
    if (n < 0) return bitset_negated(bitset);
    return bitset_has_code(bitset, static_cast<uint32_t>(n));
}

int64_t bitset_process_spec(const Cell* spec, Cell* bitset, int op, bool nested, int mode) {
    CycleGuard guard;
    if (!nested && op == kBitsetSet) {
        // One growth to the largest number rather than one per number.
        Walk sizing{bitset, kBitsetMax, mode};
        sizing.value(spec);
        uint64_t bytes = sizing.largest < 0 ? 1 : (static_cast<uint64_t>(sizing.largest) >> 3) + 1;
        grow_to(bitset, bytes);
    }
    Walk walk{bitset, op, mode};
    walk.value(spec);
    if (op == kBitsetMax) return walk.largest;
    if (op == kBitsetTest) return walk.all ? 1 : 0;
    return 0;
}

} // namespace xel
