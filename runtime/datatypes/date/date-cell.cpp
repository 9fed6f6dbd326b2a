#include "runtime/datatypes/date/date-cell.h"

namespace xel {

namespace {

constexpr uint32_t kZoneAndFlag = kDateTimeFlag | 0x7F;

int32_t days_of(uint32_t packed) {
    return date_to_days(date_year(packed), date_month(packed), date_day(packed));
}

void set_days(Cell* c, int32_t days) {
    c->data1 = date_from_days(days, c->data1 & kZoneAndFlag);
}

uint32_t zone_bits(int32_t zone_minutes) {
    int32_t q = zone_minutes / 15;
    uint32_t a = static_cast<uint32_t>(q < 0 ? -q : q);
    return (q < 0 ? 0x40u : 0u) | ((a / 4) & 15) << 2 | (a & 3);
}

} // namespace

int32_t date_to_days(int32_t year, int32_t month, int32_t day) {
    int32_t m = (month + 9) % 12;
    int32_t y = year - m / 10;
    return 365 * y + y / 4 - y / 100 + y / 400 + (306 * m + 5) / 10 + (day - 1);
}

uint32_t date_from_days(int32_t days, uint32_t zone_and_flag) {
    auto y = static_cast<int32_t>((10000.0 * days + 14780.0) / 3652425.0);
    int32_t r = days - (365 * y + y / 4 - y / 100 + y / 400);
    if (r < 0) {
        y--;
        r = days - (365 * y + y / 4 - y / 100 + y / 400);
    }
    int32_t mi = (100 * r + 52) / 3060;
    int32_t month = (mi + 2) % 12 + 1;
    int32_t year = y + (mi + 2) / 12;
    int32_t day = r - (306 * mi + 5) / 10 + 1;
    return static_cast<uint32_t>(year) << 17 | static_cast<uint32_t>(month) << 12 |
           static_cast<uint32_t>(day) << 7 | (zone_and_flag & kZoneAndFlag);
}

bool date_leap_year(int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void date_make_at(Cell* c, int32_t year, int32_t month, int32_t day, double seconds,
                  int32_t zone_minutes, bool time) {
    *c = Cell{T_DATE, 0, 0, 0};
    int32_t days = date_to_days(year, month, day);
    if (!time) {
        c->data1 = date_from_days(days, 0);
        return;
    }
    // Local time to UTC-based seconds, then whole days carried into the date.
    double hours = zone_minutes / 60.0;
    double t = seconds - zone_minutes * 60.0;
    auto k = static_cast<int32_t>(static_cast<int64_t>(t / 3600.0 + hours) / 24);
    t -= 86400.0 * k;
    days += k;
    if (hours * 3600.0 + t < 0) {
        t += 86400.0;
        days--;
    }
    c->data1 = date_from_days(days, kDateTimeFlag | zone_bits(zone_minutes));
    cell_set_double(c, t);
}

void date_set_week(Cell* c, int32_t n) {
    int32_t jan1 = date_to_days(date_year(c->data1), 1, 1);
    int32_t w = ((jan1 + 2) % 7 + 7) % 7;
    int32_t start = jan1 - w + (w >= 4 ? 7 : 0);
    set_days(c, start + 7 * (n - 1));
}

void date_set_weekday(Cell* c, int32_t n) {
    int32_t days = days_of(c->data1);
    set_days(c, days + (n - 1) - ((days + 2) % 7 + 7) % 7);
}

void date_set_yearday(Cell* c, int32_t n) {
    set_days(c, date_to_days(date_year(c->data1), 1, 1) + n - 1);
}

} // namespace xel
