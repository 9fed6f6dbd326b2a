// The fields of a time: hour, minute and second, read by pick and by path,
// set by path.
#include <cmath>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/words/fixed-words.h"
#include "runtime/words/symbols.h"

namespace xel {

namespace {

enum TimeField : int { kNoField = 0, kHour = 1, kMinute = 2, kSecond = 3 };

TimeField field_of_word(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    if (s == symbol_resolve(g_sym_hour)) return kHour;
    if (s == symbol_resolve(g_sym_minute)) return kMinute;
    if (s == symbol_resolve(g_sym_second)) return kSecond;
    return kNoField;
}

TimeField field_of_element(const Cell* element) {
    uint8_t t = type_of(element);
    if (is_any_word_type(t)) return field_of_word(element);
    if (t != T_INTEGER) return kNoField;
    int32_t n = integer_get(element);
    return n >= kHour && n <= kSecond ? static_cast<TimeField>(n) : kNoField;
}

Cell* field_value(double seconds, TimeField field) {
    switch (field) {
    case kHour:
        return integer_box(time_get_hours(seconds));
    case kMinute:
        return integer_box(time_get_minutes(seconds));
    default:
        return float_box(std::fmod(seconds, kSecondsPerMinute));
    }
}

// The seconds with one field replaced. Hours and minutes move by whole units
// from what the getters read, so setting a field to its own value leaves any
// time, negative ones too, as it was; minutes count away from zero.
double with_field(double s, TimeField field, double x) {
    switch (field) {
    case kHour:
        return s - (time_get_hours(s) - x) * kSecondsPerHour;
    case kMinute: {
        double step = s < 0 ? -kSecondsPerMinute : kSecondsPerMinute;
        return s - (time_get_minutes(s) - x) * step;
    }
    default:
        return s - (std::fmod(s, kSecondsPerMinute) - x);
    }
}

// The changed time goes back where it was read from: the head word's
// variable, or the slot of the container before it, whose own path setting
// reports the change to its owner.
void store_back(const Cell* time, Cell* path, const Cell* gparent, const Cell* p_item, int index,
                bool case_) {
    if (!p_item) return;
    Cell updated = *time;
    if (!gparent || type_of(gparent) == T_NONE) {
        if (!is_any_word_type(type_of(p_item))) return;
        Cell word = *p_item;
        context_set(&word, &updated);
        return;
    }
    Cell container = *gparent;
    Cell key = *p_item;
    Cell none_cell = g_none_cell;
    Cell none_item = g_none_cell;
    actions_eval_path_typed(&container, &key, &updated, path, &none_cell, &none_item, index - 1,
                            case_, false, false, true);
}

} // namespace

Cell* time_pick(Cell* series, int index, Cell* boxed) {
    double seconds = cell_double(series);
    TimeField field;
    if (boxed && is_any_word_type(type_of(boxed))) {
        field = field_of_word(boxed);
        if (field == kNoField) {
            Cell word = *boxed;
            Cell time = *series;
            error_fire(kCatScript, err::script::kCannotUse, &word, &time);
        }
    } else {
        if (index < kHour || index > kSecond) {
            Cell given = boxed ? *boxed : Cell{T_INTEGER, 0, static_cast<uint32_t>(index), 0};
            error_fire(kCatScript, err::script::kOutOfRange, &given);
        }
        field = static_cast<TimeField>(index);
    }
    return field_value(seconds, field);
}

Cell* time_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                     Cell* p_item, int index, bool case_, bool, bool, bool) {
    Cell elem = *element;
    TimeField field = field_of_element(&elem);
    if (field == kNoField) {
        Cell where = path ? *path : elem;
        error_fire(kCatScript, err::script::kInvalidPath, &where, &elem);
    }
    double seconds = cell_double(parent);
    if (!value) return field_value(seconds, field);

    Cell v = *value;
    double x;
    if (type_of(&v) == T_INTEGER)
        x = integer_get(&v);
    else if (type_of(&v) == T_FLOAT && field == kSecond)
        x = cell_double(&v);
    else
        error_fire(kCatScript, err::script::kInvalidArg, &v);
    cell_set_double(parent, with_field(seconds, field, x));
    store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

} // namespace xel
