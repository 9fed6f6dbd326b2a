// The block core of unique, union, intersect, exclude and difference: records
// of /skip cells, known by their first cell, kept once each in a new block.
// Membership goes through hash tables (a hash!'s own, else one built for the
// call); a record that starts with a block is looked for with find/only,
// since equal blocks need not hash alike.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/natives/series/series-natives.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// One block of the operation: its position, and the table of its cells
// (0 until needed). Tables index cells from the buffer's head; searches keep
// to the record heads from the position by their start and step.
struct SetBlock {
    Cell block;
    Offset table;
};

// The table of a block, kept alive on the argument stack for the call.
Offset table_of(SetBlock& s) {
    if (s.table) return s.table;
    if (type_of(&s.block) == T_HASH) {
        s.table = hash_table_node(&s.block);
    } else {
        s.table = hash_make(block_buffer_length(&s.block), &s.block, kHashBlock, 0);
        Cell keep;
        hash_set_cell(&keep, series_node(&s.block), s.table);
        stack_push(&keep);
    }
    return s.table;
}

struct SetCall {
    uint32_t size;
    bool case_;
    Cell skip; // integer! record size, for find/only
    SetBlock result;
    bool hashed; // the result is a hash!: every cell of a record is indexed

    int op() const { return case_ ? kCmpStrictEqual : kCmpEqual; }

    // Whether a record of s starts with value.
    bool holds(SetBlock& s, const Cell* value) {
        if (is_block_kind(type_of(value))) {
            Cell series = s.block, v = *value;
            BlockFind f{&series, &v,    nullptr, size > 1 ? &skip : nullptr,
                        true,    case_, false,   false,
                        false,   false, false};
            int32_t matched = 0;
            return block_find_index(f, &matched) >= 0;
        }
        return hash_find(table_of(s), value, block_index(&s.block), static_cast<int32_t>(size),
                         op(), false, false) != nullptr;
    }

    // Appends the records of from that pass (starting with a value that other
    // holds, or not, when other is given) and that the result lacks.
    void take(SetBlock& from, SetBlock* other, bool in_other) {
        for (auto i = static_cast<uint32_t>(block_index(&from.block));
             i < block_buffer_length(&from.block); i += size) {
            Cell first = *block_cell_at(&from.block, i);
            if (other && holds(*other, &first) != in_other) continue;
            if (holds(result, &first)) continue;
            hash_put(result.table, block_append_copy(&result.block, &first));
            for (uint32_t k = i + 1; k < i + size && k < block_buffer_length(&from.block); k++) {
                Cell c = *block_cell_at(&from.block, k);
                Cell* added = block_append_copy(&result.block, &c);
                if (hashed) hash_put(result.table, added);
            }
        }
    }
};

uint32_t record_size(const Cell* skip) {
    if (!skip) return 1;
    int32_t n = integer_get(skip);
    if (type_of(skip) != T_INTEGER || n < 1)
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, skip);
    return static_cast<uint32_t>(n);
}

} // namespace

void block_set_operation(Cell* set1, const Cell* set2, bool case_, const Cell* skip, int op) {
    Cell* mark = g_stack_top;
    SetCall call{record_size(skip), case_, {}, {}, false};
    set_integer(&call.skip, static_cast<int32_t>(call.size));
    SetBlock a{*set1, 0};
    SetBlock b{op == kSetUnique ? *set1 : *set2, 0};
    series_clamp_position(&a.block);
    series_clamp_position(&b.block);
    call.hashed = type_of(&a.block) == T_HASH || (op != kSetUnique && type_of(&b.block) == T_HASH);

    int capacity = block_length_at(&a.block) + (op == kSetUnion ? block_length_at(&b.block) : 0);
    Cell* result = stack_push_cell();
    block_make_at(result, capacity);
    call.result.block = *result;
    call.result.table = hash_make(static_cast<uint32_t>(capacity), result, kHashBlock, 0);
    hash_set_cell(result, series_node(result), call.result.table);

    switch (op) {
    case kSetUnique:
        call.take(a, nullptr, false);
        break;
    case kSetUnion:
        call.take(a, nullptr, false);
        call.take(b, nullptr, false);
        break;
    case kSetIntersect:
        call.take(a, &b, true);
        break;
    case kSetExclude:
        call.take(a, &b, false);
        break;
    case kSetDifference:
        call.take(a, &b, false);
        call.take(b, &a, false);
        break;
    default:
        error_fire(kCatScript, err::script::kInvalidArg, set1);
    }
    Cell made = *result;
    if (!call.hashed) series_set_cell(&made, type_of(set1), series_node(&made), 0);
    *set1 = made;
    g_stack_top = mark;
}

} // namespace xel
