// The set natives: argument checks, then the core of set1's datatype.
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/time/time-cell.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/error-fire.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/series/series-natives.h"

namespace xel {

namespace {

bool block_set_type(uint8_t t) {
    return t == T_BLOCK || t == T_HASH;
}

// The time from date b to date a. A date holds its local day and its time as
// seconds from that day's midnight less the zone offset, so day * 86400 +
// time is the same instant in every zone.
void date_difference(const Cell* a, const Cell* b, Cell* result) {
    auto instant = [](const Cell* d) {
        uint32_t packed = date_packed(d);
        int32_t days = date_to_days(date_year(packed), date_month(packed), date_day(packed));
        return days * 86400.0 + cell_double(d);
    };
    time_make_at(result, instant(a) - instant(b));
}

void set_operation(int op, const int32_t* refs) {
    Cell* set1 = stack_arguments();
    const Cell* set2 = op == kSetUnique ? nullptr : set1 + 1;
    uint8_t t1 = type_of(set1);
    if (set2) {
        uint8_t t2 = type_of(set2);
        if (block_set_type(t1) ? !block_set_type(t2) : t2 != t1) {
            Cell expected = datatype_cell(t1);
            Cell got = datatype_cell(t2);
            error_fire(kCatScript, err::script::kExpectVal, &expected, &got);
        }
    }
    bool case_ = ref_present(refs[0]);
    const Cell* skip = ref_arg(refs[1]);
    if (block_set_type(t1)) {
        block_set_operation(set1, set2, case_, skip, op);
    } else if (t1 == T_STRING) {
        string_set_operation(set1, set2, case_, skip, op);
    } else if (t1 == T_TYPESET && set2) {
        typeset_do_bitwise(op);
    } else if (t1 == T_BITSET && set2) {
        bitset_do_bitwise(op);
    } else if (t1 == T_DATE && op == kSetDifference) {
        Cell a = *set1, b = *set2;
        date_difference(&a, &b, set1);
    } else {
        error_fire_expect_arg(type_of(set1), 0);
    }
    stack_keep();
}

} // namespace

uint32_t natives_union(int, const int32_t* refs) {
    set_operation(kSetUnion, refs);
    return 0;
}

uint32_t natives_intersect(int, const int32_t* refs) {
    set_operation(kSetIntersect, refs);
    return 0;
}

uint32_t natives_unique(int, const int32_t* refs) {
    set_operation(kSetUnique, refs);
    return 0;
}

uint32_t natives_difference(int, const int32_t* refs) {
    set_operation(kSetDifference, refs);
    return 0;
}

uint32_t natives_exclude(int, const int32_t* refs) {
    set_operation(kSetExclude, refs);
    return 0;
}

uint32_t natives_complement(int, const int32_t*) {
    Cell* bits = stack_arguments();
    if (type_of(bits) != T_BITSET) error_fire_expect_arg(type_of(bits), 0);
    set_logic(bits, bitset_negated(bits));
    return 0;
}

} // namespace xel
