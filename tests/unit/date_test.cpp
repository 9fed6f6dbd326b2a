// date!: day numbers across the whole range of years, the normalisation of
// times and zones, the cell helpers other parts use (the clock's packed date,
// Unix seconds), and the month list the text depends on.
#include "runtime/datatypes/date/date.h"

#include "number_test_support.h"
#include "platform/os/os.h"
#include "runtime/memory/collector.h"
#include "runtime/symbols/fixed-words.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Date : public test::RuntimeFixture {};

constexpr int kTypeLimitCode = 346;
constexpr int kInvalidMonths = 355;

Cell date_of(int32_t year, int32_t month, int32_t day) {
    Cell d;
    date_make_at(&d, year, month, day, 0.0, 0, false);
    return d;
}

Cell date_at(int32_t year, int32_t month, int32_t day, double local, int32_t zone_minutes) {
    Cell d;
    date_make_at(&d, year, month, day, local, zone_minutes, true);
    return d;
}

// Each day number after the first of a span is the calendar day after the
// one before; the spans hold whole 400-year cycles at both ends of the year
// field and around year 0.
TEST_F(Date, DayNumbersAreConsecutiveCalendarDays) {
    EXPECT_EQ(date_to_days(2000, 1, 1), 730425);
    EXPECT_EQ(date_to_days(0, 3, 1), 0);
    EXPECT_EQ(date_to_days(0, 2, 29), -1);
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const struct {
        int32_t from, to;
    } spans[] = {
        {kDateMinYear, kDateMinYear + 401}, {-801, 2801}, {kDateMaxYear - 401, kDateMaxYear}};
    for (const auto& span : spans) {
        int32_t first = date_to_days(span.from, 1, 1);
        int32_t last = date_to_days(span.to, 12, 31);
        uint32_t previous = date_from_days(first, 0);
        ASSERT_EQ(date_year(previous), span.from);
        ASSERT_EQ(date_month(previous), 1);
        ASSERT_EQ(date_day(previous), 1);
        for (int32_t n = first + 1; n <= last; n++) {
            uint32_t p = date_from_days(n, 0);
            int32_t y = date_year(previous);
            int m = date_month(previous), d = date_day(previous);
            int length = kDays[m - 1] + (m == 2 && date_leap_year(y) ? 1 : 0);
            bool next = d < length ? date_year(p) == y && date_month(p) == m && date_day(p) == d + 1
                        : m < 12   ? date_year(p) == y && date_month(p) == m + 1 && date_day(p) == 1
                                 : date_year(p) == y + 1 && date_month(p) == 1 && date_day(p) == 1;
            ASSERT_TRUE(next) << n;
            ASSERT_EQ(date_days_of(p), n);
            previous = p;
        }
        EXPECT_EQ(date_year(previous), span.to);
    }
}

TEST_F(Date, WeekdaysYearDaysAndLeapYears) {
    EXPECT_EQ(date_weekday_of(date_to_days(2000, 1, 1)), 6);
    EXPECT_EQ(date_weekday_of(date_to_days(2024, 3, 4)), 1);
    EXPECT_EQ(date_weekday_of(date_to_days(-1, 12, 31)), date_weekday_of(date_to_days(0, 1, 7)));
    EXPECT_EQ(date_year_day(date_of(2024, 12, 31).data1), 366);
    EXPECT_EQ(date_year_day(date_of(2023, 3, 1).data1), 60);
    const struct {
        int32_t year;
        bool leap;
    } years[] = {{2000, true}, {1900, false}, {2024, true}, {2023, false}, {0, true}, {-4, true}};
    for (const auto& y : years)
        EXPECT_EQ(date_leap_year(y.year), y.leap) << y.year;
}

// The local time of day (time + zone) always lies in [0, 86400) and the
// local date carries the whole days.
TEST_F(Date, LocalTimesCarryWholeDaysIntoTheLocalDate) {
    const struct {
        double local;
        int32_t zone_minutes;
        int day;
        double stored;
    } cases[] = {
        {1800, 120, 5, -5400},
        {0, 0, 5, 0},
        {86400, 0, 6, 0},
        {-1, 0, 4, 86399},
        {90000, 60, 6, 0},
        {85500, -210, 5, 98100},
        {-900, -210, 4, 98100},
        {172800 + 60, 0, 7, 60},
        {-86400 * 2.5, 330, 2, 23400},
    };
    for (const auto& c : cases) {
        Cell d = date_at(2024, 3, 5, c.local, c.zone_minutes);
        double local = cell_double(&d) + date_zone_seconds(d.data1);
        EXPECT_EQ(date_day(d.data1), c.day) << c.local << " " << c.zone_minutes;
        EXPECT_EQ(cell_double(&d), c.stored) << c.local << " " << c.zone_minutes;
        EXPECT_TRUE(local >= 0 && local < kSecondsPerDay) << c.local << " " << c.zone_minutes;
        EXPECT_TRUE(date_has_time(d.data1));
    }
}

TEST_F(Date, ZoneBitsHoldSignHoursAndQuarters) {
    const struct {
        int32_t quarters;
        uint32_t bits;
    } cases[] = {{0, 0}, {22, 0x16}, {-22, 0x56}, {-1, 0x41}, {63, 0x3F}, {64, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(date_zone_bits(c.quarters), c.bits) << c.quarters;
        if (c.quarters != 64) {
            EXPECT_EQ(date_zone_quarters(c.bits), c.quarters);
        }
    }
}

TEST_F(Date, YearsOutsideTheFieldAreATypeLimit) {
    Cell d = date_of(kDateMaxYear, 12, 31);
    EXPECT_EQ(error_of([&] { date_store(&d, date_days_of(d.data1) + 1, 0.0, 0); }), kTypeLimitCode);
    EXPECT_EQ(error_of([&] { date_store(&d, 0, 1e300, kDateTimeFlag); }), kTypeLimitCode);
    EXPECT_EQ(error_of([&] { date_store(&d, 0, std::nan(""), kDateTimeFlag); }), kTypeLimitCode);
    Cell low = date_of(kDateMinYear, 1, 1);
    EXPECT_EQ(error_of([&] { date_set_month(&low, 0); }), kTypeLimitCode);
    EXPECT_EQ(error_of([&] { date_set_yearday(&low, -2000000000); }), kTypeLimitCode);
}

// now builds its date from the clock's packed local date and the UTC time of
// day, which may lie on the local day before or after.
TEST_F(Date, ClockDatesKeepTheLocalDate) {
    const struct {
        int offset_minutes;
        double utc;
        double stored;
        const char* text;
    } cases[] = {
        {120, 82800, -3600, "5-Mar-2024/1:00:00+02:00"},
        {-300, 3600, 90000, "5-Mar-2024/20:00:00-05:00"},
        {0, 45000.5, 45000.5, "5-Mar-2024/12:30:00.5"},
        {330, 0, 0, "5-Mar-2024/5:30:00+05:30"},
    };
    for (const auto& c : cases) {
        Cell d;
        date_make_from_packed(&d, os_pack_date(2024, 3, 5, c.offset_minutes), c.utc);
        EXPECT_EQ(cell_double(&d), c.stored) << c.text;
        EXPECT_EQ(form_of(d), c.text);
    }
}

TEST_F(Date, UnixSecondsRoundToTheNearestSecond) {
    const struct {
        Cell date;
        int32_t seconds;
    } cases[] = {
        {date_at(1970, 1, 1, 0, 0), 0},
        {date_at(1969, 12, 31, 86399, 0), -1},
        {date_at(1970, 1, 1, 0.6, 0), 1},
        {date_at(1969, 12, 31, 86399.4, 0), -1},
        {date_at(2024, 1, 1, 7200, 120), 1704067200},
        {date_of(2038, 1, 19), 2147472000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(date_to_epoch(&c.date), c.seconds) << form_of(c.date);
    Cell late = date_of(2038, 1, 20);
    EXPECT_EQ(error_of([&] { date_to_epoch(&late); }), kTypeLimitCode);
}

TEST_F(Date, CellsOnTheStackAndInBlocks) {
    Cell* pushed = date_push(date_of(2024, 3, 5).data1, 0.0);
    EXPECT_EQ(form_of(*pushed), "5-Mar-2024");
    Cell blk;
    block_make_at(&blk, 1);
    date_make_in(&blk, date_at(2024, 3, 5, 3600, 0).data1, 3600);
    EXPECT_EQ(form_of(*block_cell_at(&blk, 0)), "5-Mar-2024/1:00:00");
    Cell hms;
    date_make_at_hms(&hms, 2024, 3, 5, 23, 59, 59, 500000000);
    EXPECT_EQ(form_of(hms), "5-Mar-2024/23:59:59.5");
}

TEST_F(Date, SerializeReturnsThePartLessTheText) {
    Cell d = date_at(5, 3, 1, 37800, 330);
    Cell out = string_cell("");
    EXPECT_EQ(date_serialize(&d, &out, 100), 100 - 25);
    EXPECT_EQ(string_utf8_text(&out), "1-Mar-0005/10:30:00+05:30");
    EXPECT_EQ(form_of(date_of(-44, 3, 15)), "15/Mar/-0044");
    EXPECT_EQ(form_of(date_of(-1044, 3, 15)), "15/Mar/-1044");
}

TEST_F(Date, MonthNamesComeFromTheList) {
    Cell list;
    block_make_at(&list, 12);
    const char* names[] = {"Janvier", "Février", "Mars",      "Avril",   "Mai",      "Juin",
                           "Juillet", "Août",    "Septembre", "Octobre", "Novembre", "Décembre"};
    for (const char* n : names) {
        Cell s;
        string_load_at(reinterpret_cast<const uint8_t*>(n), static_cast<uint32_t>(std::strlen(n)),
                       &s, kEncodingUtf8);
        block_append_copy(&list, &s);
    }
    date_set_month_list(&list);
    EXPECT_EQ(form_of(date_of(2024, 2, 1)), "1-Fév-2024");
    EXPECT_EQ(form_of(date_of(2024, 5, 1)), "1-Mai-2024");

    // Eleven names, a word in place of a name, or no block: no text.
    block_remove_last(&list);
    EXPECT_EQ(form_of(date_of(2024, 11, 1)), "1-Nov-2024");
    EXPECT_EQ(error_of([] { form_of(date_of(2024, 12, 1)); }), kInvalidMonths);
    Cell word = *g_word_try;
    block_append_copy(&list, &word);
    EXPECT_EQ(error_of([] { form_of(date_of(2024, 12, 1)); }), kInvalidMonths);
    Cell none{T_NONE, 0, 0, 0};
    date_set_month_list(&none);
    EXPECT_EQ(error_of([] { form_of(date_of(2024, 1, 1)); }), kInvalidMonths);
}

TEST_F(Date, TheMonthListOutlivesCollections) {
    for (int round = 0; round < 3; round++) {
        collector_collect();
        for (int i = 0; i < 200; i++) {
            Cell garbage;
            block_make_at(&garbage, 8);
            Cell s = string_cell("garbage text");
            block_append_copy(&garbage, &s);
        }
    }
    EXPECT_EQ(form_of(date_of(2024, 9, 1)), "1-Sep-2024");
}

} // namespace
