// now and wait: the date and time from the OS, and sleeping.
#include "gui/backend/backend.h"
#include "platform/os/os.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/time/time-cell.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"

namespace xel {

namespace {

// The refinements of now, in spec order.
enum NowRef : int {
    kYear,
    kMonth,
    kDay,
    kTime,
    kZone,
    kDate,
    kWeekday,
    kYearday,
    kPrecise,
    kUtc,
};

void check_refinements(const int32_t* refs) {
    int given = 0;
    for (int r = kYear; r <= kPrecise; r++)
        if (ref_present(refs[r])) given++;
    bool time_precise = ref_present(refs[kTime]) && ref_present(refs[kPrecise]);
    if (given >= 2 && !time_precise) error_fire(kCatScript, err::script::kBadRefines);
}

int32_t days_of(uint32_t packed) {
    return date_to_days(date_year(packed), date_month(packed), date_day(packed));
}

} // namespace

uint32_t natives_now(int, const int32_t* refs) {
    check_refinements(refs);
    Cell* result = stack_arguments();
    uint32_t packed = os_get_date(ref_present(refs[kUtc]));
    int32_t year = date_year(packed), month = date_month(packed), day = date_day(packed);
    if (ref_present(refs[kDate])) {
        date_make_at(result, year, month, day, 0.0, 0, false);
        return 0;
    }
    // The OS gives the UTC time of day; the local one follows from the zone.
    int32_t zone_minutes = date_zone_quarters(packed) * 15;
    double local = os_get_time(ref_present(refs[kPrecise])) + zone_minutes * 60.0;
    if (local < 0) local += 86400.0;
    if (local >= 86400.0) local -= 86400.0;

    if (ref_present(refs[kYear])) {
        set_integer(result, year);
    } else if (ref_present(refs[kMonth])) {
        set_integer(result, month);
    } else if (ref_present(refs[kDay])) {
        set_integer(result, day);
    } else if (ref_present(refs[kZone])) {
        time_make_at(result, zone_minutes * 60.0);
    } else if (ref_present(refs[kTime])) {
        time_make_at(result, local);
    } else if (ref_present(refs[kWeekday])) {
        int32_t days = days_of(packed);
        set_integer(result, ((days + 2) % 7 + 7) % 7 + 1);
    } else if (ref_present(refs[kYearday])) {
        set_integer(result, days_of(packed) - date_to_days(year, 1, 1) + 1);
    } else {
        date_make_at(result, year, month, day, local, zone_minutes, true);
    }
    return 0;
}

// After the sleep, pending GUI input is handled once, without waiting. Ctrl+C
// ends the sleep; the evaluator then takes the halt.
uint32_t natives_wait(int, const int32_t*) {
    Cell* value = stack_arguments();
    double seconds;
    switch (type_of(value)) {
    case T_INTEGER:
        seconds = integer_get(value);
        break;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        seconds = cell_double(value);
        break;
    default:
        error_fire(kCatScript, err::script::kInvalidArg, value);
    }
    set_none(value);
    os_sleep(seconds, &g_interrupt_requested);
    gui::do_events(true);
    return 0;
}

} // namespace xel
