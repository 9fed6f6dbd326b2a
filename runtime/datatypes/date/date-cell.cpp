#include "runtime/datatypes/date/date-cell.h"

#include <cmath>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

int32_t floor_div(int32_t a, int32_t b) {
    int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t floor_mod(int32_t a, int32_t b) {
    return a - floor_div(a, b) * b;
}

// Days of the March-based years before year y.
int32_t year_days(int32_t y) {
    return 365 * y + floor_div(y, 4) - floor_div(y, 100) + floor_div(y, 400);
}

[[noreturn]] void limit_error(uint8_t type) {
    Cell dt = datatype_cell(type);
    error_fire(kCatScript, err::script::kTypeLimit, &dt);
}

const int32_t kMinDays = date_to_days(kDateMinYear, 1, 1);
const int32_t kMaxDays = date_to_days(kDateMaxYear, 12, 31);

void set_days(Cell* c, int64_t days) {
    if (days < kMinDays || days > kMaxDays) limit_error(T_DATE);
    c->data1 = date_from_days(static_cast<int32_t>(days), c->data1 & kDateZoneAndFlag);
}

} // namespace

uint32_t date_zone_bits(int32_t quarters) {
    uint32_t a = static_cast<uint32_t>(quarters < 0 ? -quarters : quarters);
    return (quarters < 0 ? 0x40u : 0u) | ((a / 4) & 15) << 2 | (a & 3);
}

int32_t date_to_days(int32_t year, int32_t month, int32_t day) {
    int32_t m = (month + 9) % 12;
    int32_t y = year - m / 10;
    return year_days(y) + (306 * m + 5) / 10 + (day - 1);
}

uint32_t date_from_days(int32_t days, uint32_t zone_and_flag) {
    auto y = static_cast<int32_t>(std::floor((10000.0 * days + 14780.0) / 3652425.0));
    int32_t r = days - year_days(y);
    if (r < 0) {
        y--;
        r = days - year_days(y);
    }
    int32_t mi = (100 * r + 52) / 3060;
    int32_t month = (mi + 2) % 12 + 1;
    int32_t year = y + (mi + 2) / 12;
    int32_t day = r - (306 * mi + 5) / 10 + 1;
    return static_cast<uint32_t>(year) << 17 | static_cast<uint32_t>(month) << 12 |
           static_cast<uint32_t>(day) << 7 | (zone_and_flag & kDateZoneAndFlag);
}

int32_t date_days_of(uint32_t packed) {
    return date_to_days(date_year(packed), date_month(packed), date_day(packed));
}

bool date_leap_year(int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t date_year_day(uint32_t packed) {
    return date_days_of(packed) - date_to_days(date_year(packed), 1, 1) + 1;
}

int32_t date_weekday_of(int32_t days) {
    return floor_mod(days + 2, 7) + 1;
}

void date_make_at(Cell* c, int32_t year, int32_t month, int32_t day, double seconds,
                  int32_t zone_minutes, bool time) {
    int32_t days = date_to_days(year, month, day);
    if (!time) {
        date_make_at(c, date_from_days(days, 0), 0.0);
        return;
    }
    date_store_local(c, days, seconds, date_zone_bits(zone_minutes / 15));
}

void date_make_at(Cell* c, uint32_t packed, double time) {
    *c = Cell{T_DATE, packed, 0, 0};
    cell_set_double(c, time);
}

Cell* date_push(uint32_t packed, double time) {
    Cell* c = stack_push_cell();
    date_make_at(c, packed, time);
    return c;
}

Cell* date_make_in(Cell* blk, uint32_t packed, double time) {
    Cell* c = block_alloc_tail_cell(blk);
    date_make_at(c, packed, time);
    return c;
}

void date_make_at_hms(Cell* c, int32_t year, int32_t month, int32_t day, int32_t hours,
                      int32_t minutes, int32_t seconds, int32_t nanoseconds) {
    double time = hours * 3600.0 + minutes * 60.0 + seconds + nanoseconds * 1e-9;
    date_store(c, date_to_days(year, month, day), time, kDateTimeFlag);
}

void date_make_from_packed(Cell* c, uint32_t packed, double utc_seconds) {
    // The UTC time of day may belong to the day before or after the local
    // date; the local time is brought into that date first.
    double zone = date_zone_seconds(packed);
    double local = std::fmod(utc_seconds + zone, kSecondsPerDay);
    if (local < 0) local += kSecondsPerDay;
    date_make_at(c, (packed & ~kDateTimeFlag) | kDateTimeFlag, local - zone);
}

void date_store(Cell* c, int64_t days, double time, uint32_t zone_and_flag) {
    if (zone_and_flag & kDateTimeFlag) {
        double local = time + date_zone_seconds(zone_and_flag);
        double carry = std::floor(local / kSecondsPerDay);
        // Beyond the range of years (or NaN) the carry is refused below.
        if (!(std::fabs(carry) < 1e9)) limit_error(T_DATE);
        time -= carry * kSecondsPerDay;
        days += static_cast<int64_t>(carry);
    } else {
        time = 0.0;
    }
    if (days < kMinDays || days > kMaxDays) limit_error(T_DATE);
    date_make_at(c, date_from_days(static_cast<int32_t>(days), zone_and_flag), time);
}

void date_store_local(Cell* c, int64_t days, double local, uint32_t zone) {
    zone &= kDateZoneMask;
    date_store(c, days, local - date_zone_seconds(zone), zone | kDateTimeFlag);
}

int32_t date_to_epoch(const Cell* c) {
    double days = date_days_of(c->data1) - date_to_days(1970, 1, 1);
    double seconds = std::floor(days * kSecondsPerDay + cell_double(c) + 0.5);
    if (!(seconds >= -2147483648.0 && seconds <= 2147483647.0)) limit_error(T_INTEGER);
    return static_cast<int32_t>(seconds);
}

void date_set_week(Cell* c, int32_t n) {
    set_days(c, date_iso_week_start(date_year(c->data1)) + 7 * (int64_t{n} - 1));
}

void date_set_weekday(Cell* c, int32_t n) {
    int32_t days = date_days_of(c->data1);
    set_days(c, int64_t{days} + n - date_weekday_of(days));
}

void date_set_yearday(Cell* c, int32_t n) {
    set_days(c, int64_t{date_to_days(date_year(c->data1), 1, 1)} + n - 1);
}

void date_set_month(Cell* c, int32_t m) {
    uint32_t packed = c->data1;
    int64_t year = int64_t{date_year(packed)} + floor_div(m - 1, 12);
    if (year < kDateMinYear || year > kDateMaxYear) limit_error(T_DATE);
    int32_t month = floor_mod(m - 1, 12) + 1;
    set_days(c, date_to_days(static_cast<int32_t>(year), month, date_day(packed)));
}

int32_t date_iso_week_start(int32_t year) {
    int32_t jan1 = date_to_days(year, 1, 1);
    int32_t w = date_weekday_of(jan1) - 1;
    return jan1 - w + (w >= 4 ? 7 : 0);
}

} // namespace xel
