#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// The buffer index that offset n of pick and poke names, or -1 when it lies
// outside the buffer (n = 0 names nothing; -1 is the unit before the position).
int64_t target_index(const Cell* s, int n) {
    if (n == 0) return -1;
    int64_t i = int64_t{series_index(s)} + n - (n > 0 ? 1 : 0);
    if (i < 0 || i >= int64_t{series_buffer_length(s)}) return -1;
    return i;
}

[[noreturn]] void out_of_range(int index) {
    Cell n;
    set_integer(&n, index);
    error_fire(kCatScript, err::script::kOutOfRange, &n);
}

uint8_t* unit_address(const Cell* s, uint32_t index) {
    SeriesBuf* buf = series_buffer(s);
    return at(buf->head) + (index << unit_shift(buf->unit()));
}

} // namespace

Cell* series_pick(Cell* s, int index, Cell* boxed) {
    (void)boxed;
    Cell* result = stack_arguments();
    int64_t i = target_index(s, index);
    if (i < 0) {
        set_none(result);
        return result;
    }
    uint8_t t = type_of(s);
    uint8_t* p = unit_address(s, static_cast<uint32_t>(i));
    if (t == T_BINARY) {
        set_integer(result, *p);
    } else if (is_string_kind(t)) {
        *result = Cell{T_CHAR, 0, string_get_char(p, series_unit(s)), 0};
    } else if (t == T_VECTOR) {
        *result = vector_get(s, static_cast<uint32_t>(i));
    } else {
        *result = *reinterpret_cast<Cell*>(p);
    }
    return result;
}

Cell* series_poke(Cell* s, int index, Cell* data, Cell* boxed) {
    (void)boxed;
    int64_t i = target_index(s, index);
    if (i < 0) out_of_range(index);
    Cell series = *s;
    Cell value = *data;
    bool told = ownership_notify_before(&series, Change::Poke, &value, static_cast<int>(i), 1);
    if (!series_units_after(&series, static_cast<uint32_t>(i))) out_of_range(index);
    uint8_t t = type_of(&series);
    if (is_string_kind(t)) {
        if (type_of(&value) != T_CHAR) error_fire(kCatScript, err::script::kInvalidArg, &value);
        string_poke_char_at(series_buffer(&series), static_cast<uint32_t>(i), value.data2);
    } else if (t == T_VECTOR) {
        vector_poke(&series, static_cast<uint32_t>(i), &value);
    } else if (t == T_BINARY) {
        error_fire(kCatInternal, err::internal::kNotDone);
    } else {
        plan_note_write(series_buffer(&series));
        *reinterpret_cast<Cell*>(unit_address(&series, static_cast<uint32_t>(i))) = value;
        hash_note_rewritten(&series, static_cast<uint32_t>(i), 1);
    }
    if (told) ownership_notify_after(&series, Change::Poke, &value, static_cast<int>(i), 1);
    Cell* result = stack_arguments();
    *result = value;
    return result;
}

} // namespace xel
