#include <cstring>
#include <vector>

#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

bool is_block_family(uint8_t t) {
    return t == T_BLOCK || t == T_PAREN || (t >= T_PATH && t <= T_GET_PATH) || t == T_HASH;
}

Cell* result_of(const Cell* value) {
    Cell* result = stack_arguments();
    *result = *value;
    return result;
}

[[noreturn]] void move_bad(const Cell* a, const Cell* b) {
    Cell ta = datatype_cell(type_of(a));
    Cell tb = datatype_cell(type_of(b));
    error_fire(kCatScript, err::script::kMoveBad, &ta, &tb);
}

// Moves n units inside one buffer from index s to before the unit at index t
// (t may be the buffer length), by way of a temporary copy.
void move_within(const Cell* series, uint32_t s, uint32_t t, uint32_t n) {
    SeriesBuf* buf = series_buffer(series);
    plan_note_write(buf);
    uint32_t shift = unit_shift(buf->unit());
    uint8_t* base = at(buf->head);
    uint32_t bytes = n << shift;
    std::vector<uint8_t> temp(base + (s << shift), base + (s << shift) + bytes);
    if (s < t) {
        // The units between the part and the insertion point slide down.
        std::memmove(base + (s << shift), base + ((s + n) << shift), (t - s - n) << shift);
        std::memcpy(base + ((t - n) << shift), temp.data(), bytes);
    } else {
        std::memmove(base + ((t + n) << shift), base + (t << shift), (s - t) << shift);
        std::memcpy(base + (t << shift), temp.data(), bytes);
    }
}

// The string unit that holds every code point of n units (0-255 stay in bytes).
uint32_t unit_needed(const uint8_t* from, uint32_t unit, uint32_t n) {
    uint32_t top = 0;
    for (uint32_t k = 0; k < n; k++) {
        uint32_t cp = string_get_char(from + k * unit, unit);
        if (cp > top) top = cp;
    }
    return top < 0x100 ? 1 : (top < 0x10000 ? 2 : 4);
}

// Opens a gap of n units at index t of the target, first widening a string
// target to the given unit; returns the target's buffer.
SeriesBuf* open_gap(const Cell* target, uint32_t t, uint32_t n, uint32_t unit) {
    SeriesBuf* buf = series_buffer(target);
    if (unit > buf->unit()) buf = string_widen_to(buf, buf->unit(), unit);
    uint32_t shift = unit_shift(buf->unit());
    uint64_t need = uint64_t{buf->used()} + (uint64_t{n} << shift);
    if (uint64_t{buf->head} + need > buf->data_end())
        buf = expand_series_copy(buf, static_cast<int64_t>(2 * need));
    plan_note_write(buf);
    uint8_t* gap = at(buf->head) + (t << shift);
    std::memmove(gap + (n << shift), gap, at(buf->tail) - gap);
    buf->tail += n << shift;
    return buf;
}

} // namespace

Cell* series_move(Cell* origin, Cell* target, Cell* part) {
    Cell src = *origin;
    Cell dst = *target;
    if (!is_series_kind(type_of(&dst))) {
        Cell type = datatype_cell(type_of(&dst));
        error_fire(kCatScript, err::script::kExpectArg, g_word_move, &type);
    }
    if (series_xs_tail(&src)) return result_of(&dst);
    int32_t len = series_length_at(&src);
    int32_t count = 1;
    if (part) {
        count = series_part_count(&src, part);
        if (count < 1) return result_of(&dst);
        if (count > len) count = len;
    }
    auto n = static_cast<uint32_t>(count);
    uint32_t s = series_clamped_index(&src);
    uint32_t t = series_clamped_index(&dst);

    if (src.data2 == dst.data2) {
        if (t == s) return result_of(&dst);
        uint32_t buffer_len = series_buffer_length(&src);
        if (t > s && t < buffer_len && buffer_len - t < n) return result_of(&src);
        // A target inside the moved part leaves everything in place.
        if (t > s && t < s + n) return result_of(&dst);
        bool told =
            ownership_notify_before(&src, Change::Move, nullptr, static_cast<int>(s), count);
        if (series_units_after(&src, s) < n || t > series_buffer_length(&src))
            return result_of(&dst);
        // After the part, the units end just after the unit at the target.
        uint32_t before = t > s ? (t < buffer_len ? t + 1 : buffer_len) : t;
        move_within(&src, s, before, n);
        hash_note_moved(&src, s < before ? before - n : before, s, n);
        int reported = t > s ? static_cast<int>(t) - count : static_cast<int>(t);
        if (told) ownership_notify_after(&dst, Change::Move, nullptr, reported, count);
        return result_of(&dst);
    }

    uint8_t ts = type_of(&src);
    uint8_t tt = type_of(&dst);
    if (is_block_family(ts) != is_block_family(tt)) move_bad(&src, &dst);
    uint32_t su = series_unit(&src);
    uint32_t tu = series_unit(&dst);
    if (su != tu && (ts == T_BINARY || ts == T_VECTOR || tt == T_BINARY || tt == T_VECTOR))
        move_bad(&src, &dst);
    // Items of one vector mean other numbers in a vector of another item type.
    if ((ts == T_VECTOR || tt == T_VECTOR) && (ts != tt || src.data3 != dst.data3))
        move_bad(&src, &dst);
    ownership_notify_before(&src, Change::Move, nullptr, static_cast<int>(s), count);
    if (series_units_after(&src, s) < n) n = series_units_after(&src, s);
    if (t > series_buffer_length(&dst)) t = series_buffer_length(&dst);
    uint32_t want = tu;
    if (su != tu) {
        uint32_t need = unit_needed(at(series_buffer(&src)->head) + (s << unit_shift(su)), su, n);
        if (need > want) want = need;
    }
    SeriesBuf* tb = open_gap(&dst, t, n, want);
    uint32_t unit = tb->unit();
    uint8_t* into = at(tb->head) + (t << unit_shift(unit));
    const uint8_t* from = at(series_buffer(&src)->head) + (s << unit_shift(su));
    if (unit == su) {
        std::memcpy(into, from, n << unit_shift(unit));
    } else {
        for (uint32_t k = 0; k < n; k++)
            string_put_char(into + k * unit, unit, string_get_char(from + k * su, su));
    }
    SeriesBuf* sb = series_buffer(&src);
    plan_note_write(sb);
    uint32_t shift = unit_shift(su);
    uint8_t* gap = at(sb->head) + (s << shift);
    std::memmove(gap, gap + (n << shift), at(sb->tail) - (gap + (n << shift)));
    sb->tail -= n << shift;
    hash_note_inserted(&dst, t, n);
    hash_note_removed(&src, s, n);

    ownership_notify_after(&dst, Change::Move, nullptr, static_cast<int>(t), count);
    return result_of(&dst);
}

} // namespace xel
