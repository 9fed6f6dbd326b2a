// date!: word 1 the packed date, words 2-3 a float64 time of seconds.
//
// Packed date bits: 17-31 year (signed), 16 time flag, 12-15 month, 7-11 day,
// 6 zone sign (west), 2-5 zone hours, 0-1 zone quarter hours. The day fields
// hold the local date; the time is UTC-based seconds from that local date's
// midnight, so the local time of day is time + zone offset. A date without
// the time flag keeps time 0.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kDateTimeFlag = 1u << 16;
constexpr uint32_t kDateZoneMask = 0x7F;
constexpr uint32_t kDateZoneAndFlag = kDateTimeFlag | kDateZoneMask;
constexpr double kSecondsPerDay = 86400.0;
// The years the 15-bit field holds.
constexpr int32_t kDateMinYear = -16384;
constexpr int32_t kDateMaxYear = 16383;

inline uint32_t date_packed(const Cell* d) {
    return d->data1;
}

inline int32_t date_year(uint32_t packed) {
    return static_cast<int32_t>(packed) >> 17;
}
inline int date_month(uint32_t packed) {
    return (packed >> 12) & 15;
}
inline int date_day(uint32_t packed) {
    return (packed >> 7) & 31;
}
inline bool date_has_time(uint32_t packed) {
    return (packed & kDateTimeFlag) != 0;
}
// Zone offset in quarter hours, negative west of UTC.
inline int date_zone_quarters(uint32_t packed) {
    int q = static_cast<int>((packed >> 2) & 15) * 4 + static_cast<int>(packed & 3);
    return (packed & 0x40) ? -q : q;
}
inline int32_t date_zone_seconds(uint32_t packed) {
    return date_zone_quarters(packed) * 900;
}
// Zone bits of a signed count of quarter hours (hours beyond 15 wrap).
uint32_t date_zone_bits(int32_t quarters);

// Day number: 0 is 1 March of year 0; 1 January 2000 is 730,425. Years and
// day numbers below 0 count with floor division, so the calendar runs on
// through year 0 into negative years.
int32_t date_to_days(int32_t year, int32_t month, int32_t day);
// Packed word of a day number with the zone and time-flag bits given.
uint32_t date_from_days(int32_t days, uint32_t zone_and_flag);
// The day number of a packed date.
int32_t date_days_of(uint32_t packed);
bool date_leap_year(int32_t year);
// Day of the year, 1-based.
int32_t date_year_day(uint32_t packed);
// 1 Monday ... 7 Sunday.
int32_t date_weekday_of(int32_t days);

// Writes a date! from its local fields. With time set, seconds is the local
// time of day and zone_minutes the signed zone offset (quarter-hour steps);
// the stored time is then made UTC-based and normalised.
void date_make_at(Cell* c, int32_t year, int32_t month, int32_t day, double seconds,
                  int32_t zone_minutes, bool time);
// Writes a date! from a packed word and a stored time as they are.
void date_make_at(Cell* c, uint32_t packed, double time);
Cell* date_push(uint32_t packed, double time);
// A new date! at the tail of the block value blk.
Cell* date_make_in(Cell* blk, uint32_t packed, double time);
// A UTC date with the time h:m:s plus ns nanoseconds.
void date_make_at_hms(Cell* c, int32_t year, int32_t month, int32_t day, int32_t hours,
                      int32_t minutes, int32_t seconds, int32_t nanoseconds);
// A date with the time flag from the OS clock: packed holds the local date
// and the zone (platform/os/os.h), utc_seconds the UTC time of day.
void date_make_from_packed(Cell* c, uint32_t packed, double utc_seconds);

// Writes the date of day number days and stored time into c: with the time
// flag in zone_and_flag, whole days of the local time (time + zone offset)
// are carried into the day number first. A year outside the 15-bit field
// raises script type-limit (date!).
void date_store(Cell* c, int64_t days, double time, uint32_t zone_and_flag);
// Stores a local time of day: the zone offset is taken off, the time flag
// set, and the date renormalised.
void date_store_local(Cell* c, int64_t days, double local, uint32_t zone);
// Seconds since 1970-01-01 00:00 UTC, rounded to the nearest second; script
// type-limit (integer!) outside the 32-bit range.
int32_t date_to_epoch(const Cell* c);

// Moves the date to Monday of ISO week n of its year / to weekday n (1
// Monday ... 7 Sunday) of its week / to day n of its year / to month m (the
// year carried for months outside 1..12, the day rolling over past the
// month's end); zone and time kept.
void date_set_week(Cell* c, int32_t n);
void date_set_weekday(Cell* c, int32_t n);
void date_set_yearday(Cell* c, int32_t n);
void date_set_month(Cell* c, int32_t m);

// The first day (a Monday) of ISO week 1 of a year.
int32_t date_iso_week_start(int32_t year);

} // namespace xel
