// date!: word 1 the packed date, words 2-3 a float64 time of seconds.
//
// Packed date bits: 17-31 year (signed), 16 time flag, 12-15 month, 7-11 day,
// 6 zone sign (west), 2-5 zone hours, 0-1 zone quarter hours. The day fields
// hold the local date; the time is UTC-based seconds from that local date's
// midnight, so the local time of day is time + zone offset.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kDateTimeFlag = 1u << 16;

inline int32_t date_year(uint32_t packed) {
    return static_cast<int32_t>(packed) >> 17;
}
inline int date_month(uint32_t packed) {
    return (packed >> 12) & 15;
}
inline int date_day(uint32_t packed) {
    return (packed >> 7) & 31;
}
// Zone offset in quarter hours, negative west of UTC.
inline int date_zone_quarters(uint32_t packed) {
    int q = static_cast<int>((packed >> 2) & 15) * 4 + static_cast<int>(packed & 3);
    return (packed & 0x40) ? -q : q;
}

// Day number: 0 is 1 March of year 0; 1 January 2000 is 730,425.
int32_t date_to_days(int32_t year, int32_t month, int32_t day);
// Packed word of a day number with the zone and time-flag bits given.
uint32_t date_from_days(int32_t days, uint32_t zone_and_flag);
bool date_leap_year(int32_t year);

// Writes a date! from its local fields. With time set, seconds is the local
// time of day and zone_minutes the signed zone offset (quarter-hour steps);
// the stored time is then made UTC-based and normalised.
void date_make_at(Cell* c, int32_t year, int32_t month, int32_t day, double seconds,
                  int32_t zone_minutes, bool time);

// Moves the date to Monday of ISO week n of its year / to weekday n (1
// Monday ... 7 Sunday) of its week / to day n of its year; zone and time kept.
void date_set_week(Cell* c, int32_t n);
void date_set_weekday(Cell* c, int32_t n);
void date_set_yearday(Cell* c, int32_t n);

} // namespace xel
