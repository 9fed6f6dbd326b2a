// make and to: a date from a block of fields, from Unix seconds, or as given.
#include <cstdlib>
#include <utility>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/date/date.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

[[noreturn]] void bad_to_arg(const Cell* spec) {
    Cell type = datatype_cell(T_DATE);
    Cell copy = *spec;
    error_fire(kCatScript, err::script::kBadToArg, &type, &copy);
}

enum Field : uint8_t {
    kDay,
    kMonth,
    kYear,
    kHour,
    kTime,
    kZoneHours,
    kZoneTime,
    kZoneMinutes,
    kMinute,
    kSecond,
};

constexpr uint8_t kReject = 255;

struct Step {
    uint8_t next;
    uint8_t field;
};

// The walk over the elements: for each state, the step an integer!, a time!
// or a float! element takes. It accepts [day month year], then either a time
// with [zone-hours [zone-minutes] | zone-time], or hour [minute [second
// [zone-hours [zone-minutes] | zone-time]]].
constexpr Step kX{kReject, 0};
constexpr Step kSteps[14][3] = {
    {{1, kDay}, kX, kX},
    {{2, kMonth}, kX, kX},
    {{3, kYear}, kX, kX},
    {{8, kHour}, {4, kTime}, kX},
    {{6, kZoneHours}, {5, kZoneTime}, kX},
    {kX, kX, kX},
    {{7, kZoneMinutes}, kX, kX},
    {kX, kX, kX},
    {{9, kMinute}, kX, kX},
    {{10, kSecond}, kX, {10, kSecond}},
    {{12, kZoneHours}, {11, kZoneTime}, kX},
    {kX, kX, kX},
    {{13, kZoneMinutes}, kX, kX},
    {kX, kX, kX},
};

struct Fields {
    int32_t ints[10] = {};
    double time = 0.0;      // a time! for the time of day
    double seconds = 0.0;   // float seconds
    double zone_time = 0.0; // a time! for the zone
    int count = 0;
    uint8_t state = 0;
};

bool walk(const Cell* spec, Fields* f) {
    Cell blk = *spec;
    uint32_t n = block_buffer_length(&blk);
    for (uint32_t i = series_clamped_index(&blk); i < n; i++) {
        Cell e = *block_cell_at(&blk, i);
        int column;
        switch (type_of(&e)) {
        case T_INTEGER:
            column = 0;
            break;
        case T_TIME:
            column = 1;
            break;
        case T_FLOAT:
            column = 2;
            break;
        default:
            return false;
        }
        Step step = kSteps[f->state][column];
        if (step.next == kReject) return false;
        if (column == 0)
            f->ints[step.field] = integer_get(&e);
        else if (step.field == kTime)
            f->time = cell_double(&e);
        else if (step.field == kZoneTime)
            f->zone_time = cell_double(&e);
        else
            f->seconds = cell_double(&e);
        f->state = step.next;
        f->count++;
    }
    return f->count >= 3;
}

// Signed quarter hours of the zone fields; hours beyond 15 wrap.
int32_t zone_quarters(const Fields& f) {
    int64_t hours, minutes;
    bool west;
    if (f.state == 5 || f.state == 11) {
        hours = std::abs(time_get_hours(f.zone_time));
        minutes = time_get_minutes(f.zone_time);
        west = f.zone_time < 0;
    } else {
        hours = std::abs(int64_t{f.ints[kZoneHours]});
        minutes = f.ints[kZoneMinutes];
        west = f.ints[kZoneHours] < 0;
    }
    int64_t quarters = (hours % 16) * 4 + minutes / 15;
    return static_cast<int32_t>(west ? -quarters : quarters);
}

// The block construction; strict for make (every field must come out as
// given), lenient for to (fields out of range roll over).
void from_block(Cell* result, const Cell* spec, bool strict) {
    Fields f;
    if (!walk(spec, &f)) bad_to_arg(spec);
    int32_t* v = f.ints;
    if (v[kDay] > 99 && v[kDay] > v[kYear]) std::swap(v[kDay], v[kYear]);
    double time = f.time;
    if (f.state > 7)
        time = v[kHour] * 3600.0 + v[kMinute] * 60.0 +
               (f.seconds != 0.0 ? f.seconds : double(v[kSecond]));

    // Months outside 1..12 carry into the year.
    int64_t m = int64_t{v[kMonth]} - 1;
    int64_t carry = m >= 0 ? m / 12 : (m - 11) / 12;
    int64_t year = v[kYear] + carry;
    if (year < kDateMinYear || year > kDateMaxYear) bad_to_arg(spec);
    auto month = static_cast<int32_t>(m - carry * 12 + 1);
    int64_t days = int64_t{date_to_days(static_cast<int32_t>(year), month, 0)} + v[kDay];
    bool has_time = f.count > 3;
    Cell date;
    date_store(&date, days, time, has_time ? kDateTimeFlag : 0);

    if (strict) {
        uint32_t packed = date.data1;
        bool same_date = date_year(packed) == v[kYear] && date_month(packed) == v[kMonth] &&
                         date_day(packed) == v[kDay];
        bool time_fits = true;
        if (time != 0.0) {
            int32_t hours = f.state > 7 ? v[kHour] : time_get_hours(time);
            int32_t minutes = f.state > 7 ? v[kMinute] : time_get_minutes(time);
            time_fits =
                hours >= 0 && hours <= 23 && time_get_minutes(cell_double(&date)) == minutes;
        }
        if (!same_date || !time_fits) bad_to_arg(spec);
    }
    if (!has_time) {
        *result = date;
        return;
    }
    date_store_local(result, date_days_of(date.data1), cell_double(&date),
                     date_zone_bits(zone_quarters(f)));
}

bool block_spec(uint8_t t) {
    return t == T_BLOCK || t == T_PAREN || t == T_HASH;
}

} // namespace

Cell* date_make(Cell*, Cell* spec, int) {
    if (type_of(spec) == T_DATE) return stack_set_last(spec);
    if (!block_spec(type_of(spec))) bad_to_arg(spec);
    Cell date;
    from_block(&date, spec, true);
    return stack_set_last(&date);
}

Cell* date_to(Cell*, Cell* spec, int) {
    Cell date;
    switch (type_of(spec)) {
    case T_DATE:
        return stack_set_last(spec);
    case T_INTEGER:
        date_store(&date, date_to_days(1970, 1, 1), integer_get(spec), kDateTimeFlag);
        break;
    default:
        if (!block_spec(type_of(spec))) bad_to_arg(spec);
        from_block(&date, spec, false);
    }
    return stack_set_last(&date);
}

} // namespace xel
