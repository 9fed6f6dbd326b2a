#include <cstring>
#include <vector>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

uint8_t* unit_at(const Cell* s, uint32_t index) {
    SeriesBuf* buf = series_buffer(s);
    return at(buf->head) + (index << unit_shift(buf->unit()));
}

Cell* result_series(const Cell* s) {
    Cell* result = stack_arguments();
    *result = *s;
    return result;
}

// Removes n units at index, moving the rest down.
void cut_units(const Cell* s, uint32_t index, uint32_t n) {
    SeriesBuf* buf = series_buffer(s);
    plan_note_write(buf);
    uint32_t shift = unit_shift(buf->unit());
    uint8_t* from = at(buf->head) + ((index + n) << shift);
    uint8_t* tail = at(buf->tail);
    if (from < tail) std::memmove(from - (n << shift), from, tail - from);
    buf->tail -= n << shift;
}

[[noreturn]] void bad_refine(const Cell* refinement, const Cell* value) {
    error_fire(kCatScript, err::script::kInvalidRefineArg, refinement, value);
}

} // namespace

int32_t series_part_count(const Cell* s, const Cell* part) {
    if (type_of(part) == T_INTEGER) return static_cast<int32_t>(part->data2);
    if (type_of(part) == type_of(s) && part->data2 == s->data2)
        return series_index(part) - series_index(s);
    bad_refine(g_ref_part, part);
}

Cell* series_clear(Cell* s) {
    Cell series = *s;
    uint32_t i = series_clamped_index(&series);
    uint32_t n = series_buffer_length(&series) - i;
    if (n) {
        bool told =
            ownership_notify_before(&series, Change::Clear, nullptr, static_cast<int>(i), n);
        SeriesBuf* buf = series_buffer(&series);
        uint32_t cut = series_units_after(&series, i);
        plan_note_write(buf);
        if (cut) buf->tail = buf->head + (i << unit_shift(buf->unit()));
        hash_note_removed(&series, i, cut);
        if (told) ownership_notify_after(&series, Change::Clear, nullptr, static_cast<int>(i), 0);
    }
    return result_series(&series);
}

Cell* series_remove(Cell* s, Cell* part, Cell* key) {
    Cell series = *s;
    int32_t count = part ? series_part_count(&series, part) : 1;
    if (count < 1) return result_series(&series);
    Cell at_key = series;
    if (key) {
        Cell k = *key;
        auto find = action_of<A_FIND>(type_of(&series));
        if (!find) error_fire(kCatInternal, err::internal::kNotDone);
        Cell* found = find(&series, &k, FindOptions{});
        if (type_of(found) == T_NONE) {
            set_none(stack_arguments());
            return stack_arguments();
        }
        series_set_index(&at_key, series_index(found));
        count++;
    }
    int32_t len = static_cast<int32_t>(series_buffer_length(&at_key));
    int32_t i = series_index(&at_key);
    if (i >= 0 && i < len) {
        bool told = ownership_notify_before(&series, Change::Remove, nullptr, i, count);
        auto after = static_cast<int32_t>(series_units_after(&at_key, static_cast<uint32_t>(i)));
        if (count > after) count = after;
        cut_units(&at_key, static_cast<uint32_t>(i), static_cast<uint32_t>(count));
        hash_note_removed(&at_key, static_cast<uint32_t>(i), static_cast<uint32_t>(count));
        if (told) ownership_notify_after(&series, Change::Remove, nullptr, i, 0);
    }
    return result_series(&series);
}

Cell* series_reverse(Cell* s, Cell* part, Cell* skip) {
    Cell series = *s;
    Cell* result = result_series(&series);
    if (series_xs_tail(&series)) return result;
    int32_t len = series_length_at(&series);
    int32_t count = part ? series_part_count(&series, part) : len;
    if (count > len) count = len;
    if (count < 1) return result;
    int32_t size = 1;
    if (skip) {
        if (type_of(skip) != T_INTEGER) bad_refine(g_ref_skip, skip);
        size = static_cast<int32_t>(skip->data2);
        if (size == count) return result;
        if (size < 1) error_fire(kCatScript, err::script::kOutOfRange, skip);
        if (count < size || count % size) bad_refine(g_ref_skip, skip);
    }
    uint32_t i = series_clamped_index(&series);
    bool told =
        ownership_notify_before(&series, Change::Reverse, nullptr, static_cast<int>(i), count);
    auto after = static_cast<int32_t>(series_units_after(&series, i));
    if (count > after) count = after - after % size;
    plan_note_write(series_buffer(&series));
    uint32_t record = static_cast<uint32_t>(size) << unit_shift(series_unit(&series));
    std::vector<uint8_t> temp(record);
    uint8_t* lo = unit_at(&series, i);
    uint8_t* hi = unit_at(&series, i + static_cast<uint32_t>(count)) - record;
    for (; lo < hi; lo += record, hi -= record) {
        std::memcpy(temp.data(), lo, record);
        std::memcpy(lo, hi, record);
        std::memcpy(hi, temp.data(), record);
    }
    hash_note_rewritten(&series, i, static_cast<uint32_t>(count));
    if (told) ownership_notify_after(&series, Change::Reverse, nullptr, static_cast<int>(i), 0);
    return result;
}

Cell* series_take(Cell* s, Cell* part, bool deep, bool last) {
    (void)deep;
    Cell series = *s;
    Cell* result = stack_arguments();
    int32_t len = series_length_at(&series);
    if (len < 1) {
        set_none(result);
        return result;
    }
    int32_t index = series_index(&series) < 0 ? 0 : series_index(&series);
    int32_t count = 1;
    if (part) {
        if (type_of(part) == T_INTEGER) {
            count = static_cast<int32_t>(part->data2);
        } else if (type_of(part) == type_of(&series) && part->data2 == series.data2) {
            int32_t other = series_index(part);
            if (other < index)
                count = 0;
            else
                count = last ? len - (other - index) : other - index;
        } else {
            bad_refine(g_ref_part, part);
        }
    }
    bool backward = count < 0;
    int32_t available = len;
    if (backward) {
        available = index;
        // The lowest integer has no negation; it asks for more than there is anyway.
        count = last ? 1 : count < -available ? available : -count;
    }
    if (count > available) count = available;
    if (count == 0) count = 1;

    int32_t told_part = part && type_of(part) == T_INTEGER ? static_cast<int32_t>(part->data2) : 1;
    // /last takes from the tail: the change is told where it happens.
    int32_t told_index = index;
    if (last && !backward) {
        auto now = static_cast<int32_t>(series_buffer_length(&series));
        told_index = now > count ? now - count : 0;
    }
    bool told = ownership_notify_before(&series, Change::Take, nullptr, told_index, told_part);

    uint32_t unit = series_unit(&series);
    uint32_t shift = unit_shift(unit);
    bool nothing = backward && (last || count > index);
    uint32_t n = nothing ? 0 : static_cast<uint32_t>(count);
    Offset node = alloc_units(n, unit);
    // The taken series stays reachable in the result slot while the source changes.
    uint8_t t = type_of(&series);
    *result = Cell{t, 0, node, (t == T_VECTOR || t == T_HASH) ? series.data3 : 0};
    uint32_t from = 0;
    if (n) {
        uint32_t now = series_buffer_length(&series);
        if (backward)
            from = static_cast<uint32_t>(index) - n;
        else if (last)
            from = now > n ? now - n : 0;
        else
            from = static_cast<uint32_t>(index);
        uint32_t there = series_units_after(&series, from);
        if (n > there) n = there;
    }
    if (n) {
        SeriesBuf* taken = buffer_of(node);
        std::memcpy(at(taken->head), unit_at(&series, from), n << shift);
        taken->tail = taken->head + (n << shift);
        cut_units(&series, from, n);
    }
    hash_note_taken(&series, result, from, n);
    if (told) ownership_notify_after(&series, Change::Take, nullptr, told_index, 0);
    return result;
}

} // namespace xel
