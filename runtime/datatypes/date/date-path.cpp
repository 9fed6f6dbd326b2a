// The fields of a date, read by pick and by path, set by path.
#include <cmath>
#include <cstdlib>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/date/date.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

enum DateField : int {
    kNoField = 0,
    kDate = 1,
    kYear,
    kMonth,
    kDay,
    kZone,
    kTime,
    kHour,
    kMinute,
    kSecond,
    kWeekday,
    kYearday,
    kTimezone,
    kWeek,
    kIsoweek,
};

DateField field_of_word(const Cell* word) {
    const struct {
        const uint32_t* symbol;
        DateField field;
    } kWords[] = {
        {&g_sym_date, kDate},         {&g_sym_year, kYear},       {&g_sym_month, kMonth},
        {&g_sym_day, kDay},           {&g_sym_zone, kZone},       {&g_sym_time, kTime},
        {&g_sym_hour, kHour},         {&g_sym_minute, kMinute},   {&g_sym_second, kSecond},
        {&g_sym_weekday, kWeekday},   {&g_sym_yearday, kYearday}, {&g_sym_julian, kYearday},
        {&g_sym_timezone, kTimezone}, {&g_sym_week, kWeek},       {&g_sym_isoweek, kIsoweek},
    };
    uint32_t s = symbol_resolve(word_symbol(word));
    for (const auto& w : kWords)
        if (s == symbol_resolve(*w.symbol)) return w.field;
    return kNoField;
}

DateField field_of_selector(const Cell* selector) {
    uint8_t t = type_of(selector);
    if (is_any_word_type(t)) return field_of_word(selector);
    if (t != T_INTEGER) return kNoField;
    int32_t n = integer_get(selector);
    return n >= kDate && n <= kIsoweek ? static_cast<DateField>(n) : kNoField;
}

// The local time of day (0 for a date without time).
double local_time(const Cell* date) {
    if (!date_has_time(date->data1)) return 0.0;
    return cell_double(date) + date_zone_seconds(date->data1);
}

// Week of the year with weeks starting on Sunday.
int32_t sunday_week(uint32_t packed) {
    int32_t jan1 = date_to_days(date_year(packed), 1, 1);
    int32_t f = date_weekday_of(jan1) % 7;
    int32_t e = date_year_day(packed);
    return e <= 7 - f ? 1 : (e + f - 1) / 7 + 1;
}

int32_t iso_week(uint32_t packed) {
    int32_t year = date_year(packed);
    int32_t days = date_days_of(packed);
    int32_t start = date_iso_week_start(year);
    if (days < start) {
        int32_t o = date_weekday_of(date_to_days(year, 1, 1));
        if (o == 5) return 53;
        if (o == 6) return date_leap_year(year - 1) ? 53 : 52;
        return 52;
    }
    return days < date_iso_week_start(year + 1) ? (days - start) / 7 + 1 : 1;
}

Cell* field_value(const Cell* date, DateField field) {
    uint32_t packed = date->data1;
    switch (field) {
    case kDate: {
        Cell plain;
        date_make_at(&plain, packed & ~kDateZoneAndFlag, 0.0);
        return stack_set_last(&plain);
    }
    case kYear:
        return integer_box(date_year(packed));
    case kMonth:
        return integer_box(date_month(packed));
    case kDay:
        return integer_box(date_day(packed));
    case kZone:
    case kTimezone:
        return time_box(date_zone_seconds(packed));
    case kTime:
        if (!date_has_time(packed)) {
            set_none(stack_arguments());
            return stack_arguments();
        }
        return time_box(local_time(date));
    case kHour:
        return integer_box(time_get_hours(local_time(date)));
    case kMinute:
        return integer_box(time_get_minutes(local_time(date)));
    case kSecond:
        return float_box(std::fmod(local_time(date), kSecondsPerMinute));
    case kWeekday:
        return integer_box(date_weekday_of(date_days_of(packed)));
    case kYearday:
        return integer_box(date_year_day(packed));
    case kWeek:
        return integer_box(sunday_week(packed));
    default:
        return integer_box(iso_week(packed));
    }
}

[[noreturn]] void invalid_arg(const Cell* value) {
    Cell v = *value;
    error_fire(kCatScript, err::script::kInvalidArg, &v);
}

// The zone of an integer! (hours, wrapping at 16) or a time! (wrapping at 16
// hours), as signed quarter hours.
int32_t zone_quarters_of(const Cell* value) {
    if (type_of(value) == T_INTEGER) return integer_get(value) % 16 * 4;
    double s = std::fmod(cell_double(value), 57600.0);
    int32_t quarters = std::abs(time_get_hours(s)) * 4 + time_get_minutes(s) / 15;
    return s < 0 ? -quarters : quarters;
}

bool accepts(DateField field, uint8_t t) {
    switch (field) {
    case kDate:
        return t == T_DATE;
    case kZone:
    case kTimezone:
        return t == T_INTEGER || t == T_TIME;
    case kTime:
        return t == T_NONE || t == T_TIME;
    case kSecond:
        return t == T_INTEGER || t == T_FLOAT;
    default:
        return t == T_INTEGER;
    }
}

void check_year(int64_t year) {
    if (year < kDateMinYear || year > kDateMaxYear) {
        Cell type = datatype_cell(T_DATE);
        error_fire(kCatScript, err::script::kTypeLimit, &type);
    }
}

// The date with one field set to value (already of an accepted type).
void set_field(Cell* date, DateField field, Cell* value) {
    uint32_t packed = date->data1;
    uint32_t zone_and_flag = packed & kDateZoneAndFlag;
    uint32_t zone = packed & kDateZoneMask;
    double time = cell_double(date);
    int32_t days = date_days_of(packed);
    int32_t n = integer_get(value);
    switch (field) {
    case kDate: {
        uint32_t flag = value->data1 & kDateTimeFlag;
        date_store(date, date_days_of(value->data1), time, zone | flag);
        return;
    }
    case kYear:
        check_year(n);
        date_store(date, date_to_days(n, date_month(packed), date_day(packed)), time,
                   zone_and_flag);
        return;
    case kMonth:
        date_set_month(date, n);
        return;
    case kDay:
        date_store(date, int64_t{date_to_days(date_year(packed), date_month(packed), 0)} + n, time,
                   zone_and_flag);
        return;
    case kZone: {
        // The local clock stays; the instant moves with the zone.
        uint32_t bits = date_zone_bits(zone_quarters_of(value));
        if (date_has_time(packed)) time += date_zone_seconds(packed) - date_zone_seconds(bits);
        date_make_at(date, (packed & ~kDateZoneMask) | bits, time);
        return;
    }
    case kTimezone: {
        // The instant stays; the local date and clock move.
        uint32_t bits = date_zone_bits(zone_quarters_of(value));
        date_store_local(date, days, time + date_zone_seconds(bits), bits);
        return;
    }
    case kTime:
        if (type_of(value) == T_NONE)
            date_make_at(date, packed & ~kDateTimeFlag, 0.0);
        else
            date_store_local(date, days, cell_double(value), zone);
        return;
    case kHour:
    case kMinute:
    case kSecond: {
        // The local time takes the field through time!'s own path.
        Cell local;
        time_make_at(&local, local_time(date));
        Cell selector{T_INTEGER, 0, static_cast<uint32_t>(field - kHour + 1), 0};
        time_eval_path(&local, &selector, value, nullptr, nullptr, nullptr, 0, false, false, false,
                       false);
        date_store_local(date, days, cell_double(&local), zone);
        return;
    }
    case kWeekday:
        date_set_weekday(date, n);
        return;
    case kYearday:
        date_set_yearday(date, n);
        return;
    case kWeek: {
        int32_t jan1 = date_to_days(date_year(packed), 1, 1);
        int32_t f = date_weekday_of(jan1) % 7;
        int64_t day = n <= 1 ? jan1 : int64_t{jan1} + 7 * int64_t{n} - f - 7;
        date_store(date, day, time, zone_and_flag);
        return;
    }
    default:
        date_set_week(date, n);
        return;
    }
}

} // namespace

Cell* date_pick(Cell* series, int index, Cell* boxed) {
    DateField field;
    if (boxed && is_any_word_type(type_of(boxed))) {
        field = field_of_word(boxed);
    } else {
        field = index >= kDate && index <= kIsoweek ? static_cast<DateField>(index) : kNoField;
    }
    if (field == kNoField) {
        pick_fire_out_of_range(index, boxed);
    }
    Cell date = *series;
    return field_value(&date, field);
}

Cell* date_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                     Cell* p_item, int index, bool case_, bool, bool, bool) {
    Cell elem = *element;
    DateField field = field_of_selector(&elem);
    if (field == kNoField) {
        path_fire_invalid_selector(path, &elem);
    }
    if (!value) {
        Cell date = *parent;
        return field_value(&date, field);
    }
    Cell v = *value;
    if (!accepts(field, type_of(&v))) invalid_arg(&v);
    set_field(parent, field, &v);
    path_store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

} // namespace xel
