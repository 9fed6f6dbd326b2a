// compare, arithmetic and random of date!, and its action row.
#include <bit>
#include <cmath>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/date/date.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "services/random/random.h"

namespace xel {

namespace {

// The date fields of a packed word as a signed number: year, month, day.
int32_t date_order_key(uint32_t packed) {
    return static_cast<int32_t>(packed & ~kDateTimeFlag) >> 7;
}

int32_t epoch_seconds(const Cell* date) {
    return date_to_epoch(date);
}

void date_add() {
    date_do_math(kMathAdd);
}

void date_subtract() {
    date_do_math(kMathSubtract);
}

} // namespace

int date_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_DATE) return -2;
    int32_t a = date_order_key(value1->data1);
    int32_t b = date_order_key(value2->data1);
    double t1 = cell_double(value1);
    double t2 = cell_double(value2);
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpStrictEqual:
    case kCmpFind:
        return a == b && float_almost_equal(t1, t2) ? 0 : 1;
    case kCmpSame:
        return a == b && std::bit_cast<uint64_t>(t1) == std::bit_cast<uint64_t>(t2) ? 0 : 1;
    default:
        if (a != b) return a < b ? -1 : 1;
        return (t1 > t2) - (t1 < t2);
    }
}

void date_do_math(int op) {
    Cell* args = stack_arguments();
    Cell date = args[0];
    Cell operand = args[1];
    uint32_t packed = date.data1;
    int64_t days = date_days_of(packed);
    double time = cell_double(&date);
    uint32_t zone_and_flag = packed & kDateZoneAndFlag;
    double sign = op == kMathSubtract ? -1.0 : 1.0;
    switch (type_of(&operand)) {
    case T_INTEGER:
        days += op == kMathSubtract ? -int64_t{integer_get(&operand)} : integer_get(&operand);
        break;
    case T_TIME:
        time += sign * cell_double(&operand);
        zone_and_flag |= kDateTimeFlag;
        break;
    case T_DATE: {
        if (op != kMathSubtract) {
            Cell type = datatype_cell(T_DATE);
            error_fire(kCatScript, err::script::kNotRelated, g_word_add, &type);
        }
        // Whole days between the two, the times counted in the left zone.
        int64_t n = days - date_days_of(operand.data1);
        double t = time - cell_double(&operand);
        double local = t + date_zone_seconds(packed);
        n += static_cast<int64_t>(std::floor(local / kSecondsPerDay));
        *args = Cell{T_INTEGER, 0, static_cast<uint32_t>(n), 0};
        return;
    }
    default: {
        Cell type = datatype_cell(type_of(&operand));
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    }
    date_store(args, days, time, zone_and_flag);
}

Cell* date_random(Cell* value, bool seed, bool secure, bool) {
    uint32_t packed = value->data1;
    double time = cell_double(value);
    if (seed) {
        random_seed(packed + static_cast<uint32_t>(static_cast<int64_t>(time)));
        set_unset(stack_arguments());
        return stack_arguments();
    }
    int32_t days = random_int(date_days_of(packed), secure) - 1;
    if (!date_has_time(packed)) {
        Cell result;
        date_store(&result, days, 0.0, packed & kDateZoneAndFlag);
        return stack_set_last(&result);
    }
    uint32_t zone = (secure ? random_next_secure() : random_next()) & kDateZoneMask;
    double r = secure ? random_next_secure() : random_next();
    double scale = secure ? 2147483648.0 : 2147483647.0;
    double local = std::floor(r / scale * 3600.0) / 3600.0 * 24.0 * 3600.0;
    Cell result;
    date_store_local(&result, days, local, zone);
    return stack_set_last(&result);
}

void date_row(ActionList& row) {
    g_number_handovers.math[T_DATE] = date_do_math;
    g_number_handovers.date_to_integer = epoch_seconds;
    row.set<A_MAKE>(date_make)
        .set<A_RANDOM>(date_random)
        .set<A_TO>(date_to)
        .set<A_FORM>(date_form)
        .set<A_MOLD>(date_mold)
        .set<A_EVAL_PATH>(date_eval_path)
        .set<A_COMPARE>(date_compare)
        .set<A_ADD>(date_add)
        .set<A_SUBTRACT>(date_subtract)
        .set<A_PICK>(date_pick);
}

} // namespace xel
