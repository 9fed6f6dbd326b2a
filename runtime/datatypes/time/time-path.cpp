// The fields of a time: hour, minute and second, read by pick and by path,
// set by path.
#include <cmath>

#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

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
            pick_fire_out_of_range(index, boxed);
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
        path_fire_invalid_selector(path, &elem);
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
    path_store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

} // namespace xel
