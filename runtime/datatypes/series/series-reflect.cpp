#include <cstring>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/murmur3.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "services/random/random.h"

namespace xel {

namespace {

uint8_t* unit_at(const Cell* s, uint32_t index) {
    SeriesBuf* buf = series_buffer(s);
    return at(buf->head) + (index << unit_shift(buf->unit()));
}

bool is_owned_field(const Cell* field) {
    return is_any_word_type(type_of(field)) &&
           symbol_resolve(word_symbol(field)) == symbol_resolve(g_sym_owned);
}

} // namespace

Cell* series_random(Cell* s, bool seed, bool secure, bool only) {
    Cell series = *s;
    Cell* result = stack_arguments();
    uint32_t index = series_clamped_index(&series);
    uint32_t len = series_buffer_length(&series) - index;
    if (seed) {
        uint32_t shift = unit_shift(series_unit(&series));
        random_seed(hash_murmur3(unit_at(&series, index), len << shift));
        set_unset(result);
        return result;
    }
    if (only) {
        if (len < 1) {
            set_none(result);
            return result;
        }
        auto offset = static_cast<uint32_t>(random_int(static_cast<int32_t>(len), secure) - 1);
        uint8_t t = type_of(&series);
        uint8_t* p = unit_at(&series, index + offset);
        if (t == T_BINARY)
            set_integer(result, *p);
        else if (is_string_kind(t))
            *result = Cell{T_CHAR, 0, string_get_char(p, series_unit(&series)), 0};
        else if (t == T_VECTOR)
            *result = vector_get(&series, index + offset);
        else
            *result = *reinterpret_cast<Cell*>(p);
        return result;
    }
    bool told = ownership_notify_before(&series, Change::Random, nullptr, static_cast<int>(index),
                                        static_cast<int>(len));
    len = series_units_after(&series, index);
    plan_note_write(series_buffer(&series));
    uint32_t unit = series_unit(&series);
    uint8_t temp[sizeof(Cell)];
    for (uint32_t i = 0; i < len; i++) {
        auto k = static_cast<uint32_t>(random_int(static_cast<int32_t>(len - i), secure));
        uint8_t* a = unit_at(&series, index + i);
        uint8_t* b = a + (k - 1) * unit;
        std::memcpy(temp, a, unit);
        std::memcpy(a, b, unit);
        std::memcpy(b, temp, unit);
    }
    if (told) ownership_notify_after(&series, Change::Random, nullptr, static_cast<int>(index), 0);
    *result = series;
    return result;
}

Cell* series_reflect(Cell* s, Cell* field) {
    if (!is_owned_field(field)) error_fire(kCatInternal, err::internal::kNotDone);
    Cell* owner = ownership_find_owner(s->data2);
    Cell* result = stack_arguments();
    if (owner)
        *result = *owner;
    else
        set_none(result);
    return result;
}

Cell* series_modify(Cell* target, Cell* field, Cell* value, bool case_) {
    (void)case_;
    Cell series = *target;
    Cell v = *value;
    if (is_owned_field(field)) {
        if (type_of(&v) == T_NONE) {
            ownership_unbind(&series);
        } else if (type_of(&v) == T_BLOCK && series_buffer_length(&v) >= 2) {
            uint32_t i = series_clamped_index(&v);
            Cell* cells = at<Cell>(series_buffer(&v)->head);
            if (i + 2 <= series_buffer_length(&v) && type_of(&cells[i]) == T_OBJECT &&
                is_any_word_type(type_of(&cells[i + 1]))) {
                Cell owner = cells[i];
                Cell word = cells[i + 1];
                ownership_set_owner_flagged(&series, &owner, &word);
            }
        }
    }
    Cell* result = stack_arguments();
    *result = v;
    return result;
}

} // namespace xel
