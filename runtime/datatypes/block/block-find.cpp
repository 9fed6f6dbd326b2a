#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

enum class Kind { Type, Typeset, Sequence, Single };

bool typeset_has(const Cell* typeset, uint8_t type) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&typeset->data1);
    return (bytes[type >> 3] & (0x80u >> (type & 7))) != 0;
}

struct Search {
    Cell series;
    Cell value;
    Kind kind;
    int op;
    int32_t seq_len; // cells of a sequence value, 1 otherwise
};

bool matches_at(Search& s, uint32_t candidate, uint32_t bound) {
    Cell* c = block_cell_at(&s.series, candidate);
    switch (s.kind) {
    case Kind::Type:
        return type_of(c) == s.value.data1;
    case Kind::Typeset:
        return typeset_has(&s.value, type_of(c));
    case Kind::Single: {
        Cell cell = *c;
        return element_equal(&cell, &s.value, s.op);
    }
    case Kind::Sequence:
        break;
    }
    if (candidate + static_cast<uint32_t>(s.seq_len) > bound) return false;
    uint32_t from = static_cast<uint32_t>(block_index(&s.value));
    for (int32_t k = 0; k < s.seq_len; k++) {
        Cell a = *block_cell_at(&s.series, candidate + static_cast<uint32_t>(k));
        Cell b = *block_cell_at(&s.value, from + static_cast<uint32_t>(k));
        if (!element_equal(&a, &b, s.op)) return false;
    }
    return true;
}

} // namespace

int32_t block_find_index(const BlockFind& f, int32_t* match_len) {
    Search s{*f.series, *f.value, Kind::Single, 12, 1};
    uint32_t len = block_buffer_length(&s.series);
    int32_t pos = block_index(&s.series) < 0 ? 0 : block_index(&s.series);
    if (len == 0 || (pos >= static_cast<int32_t>(len) && !f.reverse)) return -1;
    if (pos > static_cast<int32_t>(len)) pos = static_cast<int32_t>(len);

    int32_t step = 1;
    if (f.skip) {
        if (type_of(f.skip) != T_INTEGER)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, f.skip);
        step = static_cast<int32_t>(f.skip->data2);
        if (step < 1) error_fire(kCatScript, err::script::kOutOfRange, f.skip);
    }
    int64_t mark = -1; // the last cell searched, inclusive
    if (f.part) {
        if (type_of(f.part) == T_INTEGER) {
            auto n = static_cast<int32_t>(f.part->data2);
            if (n < 1) return -1;
            mark = int64_t{pos} + n - 1;
        } else if (type_of(f.part) == type_of(&s.series) && f.part->data2 == s.series.data2) {
            mark = block_index(f.part);
        } else {
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, f.part);
        }
        if (mark > int64_t{len} - 1) mark = int64_t{len} - 1;
    }

    uint8_t vt = type_of(&s.value);
    if (!f.only && vt == T_DATATYPE) {
        s.kind = Kind::Type;
    } else if (!f.only && vt == T_TYPESET) {
        s.kind = Kind::Typeset;
    } else if (!f.only && is_block_kind(vt)) {
        s.kind = Kind::Sequence;
        int32_t vlen = static_cast<int32_t>(block_buffer_length(&s.value));
        int32_t vi = block_index(&s.value) < 0 ? 0 : block_index(&s.value);
        if (vi > vlen) vi = vlen;
        s.value.data1 = static_cast<uint32_t>(vi);
        s.seq_len = vlen - vi;
    }
    s.op = f.same ? 9 : (f.case_ ? 2 : 12);
    // Sequences must end before the bound; single values occupy one cell.
    uint32_t bound = mark >= 0 ? static_cast<uint32_t>(mark + 1) : len;
    int32_t back_len = s.kind == Kind::Sequence ? s.seq_len : 1;
    // A hash! finds single values through its table (objects only by identity).
    if (type_of(&s.series) == T_HASH && s.kind == Kind::Single && !f.match &&
        (vt != T_OBJECT || f.same)) {
        int32_t i = hash_find_index(&s.series, &s.value, pos, step, s.op, f.last, f.reverse, mark);
        *match_len = 1;
        if (i < 0 || !f.tail) return i;
        return i + (f.last || f.reverse ? 1 : step);
    }

    int64_t start;
    int64_t dir;
    if (f.last) {
        start = mark >= 0 ? mark : int64_t{len} - back_len;
        dir = -step;
    } else if (f.reverse) {
        start = mark >= 0 ? mark : int64_t{pos} - back_len;
        dir = -step;
        if (start < 0) return -1;
    } else {
        start = pos;
        dir = step;
    }
    for (int64_t i = start; i >= 0 && i < bound; i += dir) {
        if (matches_at(s, static_cast<uint32_t>(i), bound)) {
            *match_len = s.kind == Kind::Sequence ? s.seq_len : 1;
            int32_t at_index = static_cast<int32_t>(i);
            if (!f.tail) return at_index;
            if (s.kind == Kind::Sequence) return at_index + s.seq_len;
            return at_index + (dir < 0 ? 1 : step);
        }
        if (f.match) break;
    }
    return -1;
}

Cell* block_select_value(const Cell* block, const Cell* value) {
    Cell blk = *block;
    Cell v = *value;
    uint32_t len = block_buffer_length(&blk);
    uint32_t from = block_index(&blk) < 0 ? 0 : static_cast<uint32_t>(block_index(&blk));
    for (uint32_t i = from; i + 1 < len; i++) {
        Cell c = *block_cell_at(&blk, i);
        if (element_equal(&c, &v, kCmpFind)) return block_cell_at(&blk, i + 1);
    }
    return &g_none_cell;
}

bool block_remove_value(Cell* block, const Cell* value, bool from_head) {
    Cell v = *value;
    SeriesBuf* buf = block_buffer(block);
    uint32_t len = buf->used() / sizeof(Cell);
    uint32_t from =
        from_head || block_index(block) < 0 ? 0 : static_cast<uint32_t>(block_index(block));
    for (uint32_t i = from; i < len; i++) {
        Cell c = *block_cell_at(block, i);
        if (!element_equal(&c, &v, kCmpFind)) continue;
        buf = block_buffer(block);
        plan_note_write(buf);
        Cell* at_cell = at<Cell>(buf->head) + i;
        std::memmove(at_cell, at_cell + 1, (len - i - 1) * sizeof(Cell));
        buf->tail -= sizeof(Cell);
        return true;
    }
    return false;
}

Cell* block_find(Cell* series, Cell* value, const FindOptions& o) {
    BlockFind f{series, value,  o.part,    o.skip, o.only, o.case_,
                o.same, o.last, o.reverse, o.tail, o.match};
    int32_t len = 0;
    int32_t i = block_find_index(f, &len);
    Cell* result = stack_arguments();
    if (i < 0) {
        set_none(result);
    } else {
        *result = *series;
        cell_clear_new_line(result);
        result->data1 = static_cast<uint32_t>(i);
    }
    return result;
}

Cell* block_select(Cell* series, Cell* value, const FindOptions& o) {
    BlockFind f{series, value,  o.part,    o.skip, o.only, o.case_,
                o.same, o.last, o.reverse, false,  o.match};
    int32_t len = 0;
    int32_t i = block_find_index(f, &len);
    Cell* result = stack_arguments();
    if (i >= 0 && static_cast<uint32_t>(i + len) < block_buffer_length(series)) {
        *result = *block_cell_at(series, static_cast<uint32_t>(i + len));
    } else {
        set_none(result);
    }
    return result;
}

Cell* block_put(Cell* series, Cell* key, Cell* value, bool case_) {
    Cell blk = *series;
    Cell k = *key;
    Cell v = *value;
    BlockFind f{&blk, &k, nullptr, nullptr, true, case_, false, false, false, false, false};
    int32_t len = 0;
    int32_t i = block_find_index(f, &len);
    uint32_t total = block_buffer_length(&blk);
    if (i < 0) {
        bool told = ownership_notify_before(&blk, Change::Put, &v, static_cast<int>(total), 2);
        block_append_copy(&blk, &k);
        block_append_copy(&blk, &v);
        hash_note_inserted(&blk, block_buffer_length(&blk) - 2, 2);
        if (told) ownership_notify_after(&blk, Change::Put, &v, static_cast<int>(total), 2);
    } else {
        auto at_value = static_cast<uint32_t>(i + 1);
        bool told = ownership_notify_before(&blk, Change::Put, &v, static_cast<int>(at_value), 1);
        if (at_value < block_buffer_length(&blk)) {
            Cell old = *block_cell_at(&blk, at_value);
            if (!element_equal(&old, &v, kCmpFind)) {
                plan_note_write(block_buffer(&blk));
                *block_cell_at(&blk, at_value) = v;
                hash_note_rewritten(&blk, at_value, 1);
            }
        } else {
            block_append_copy(&blk, &v);
            hash_note_inserted(&blk, block_buffer_length(&blk) - 1, 1);
        }
        if (told) ownership_notify_after(&blk, Change::Put, &v, static_cast<int>(at_value), 1);
    }
    Cell* result = stack_arguments();
    *result = v;
    return result;
}

} // namespace xel
