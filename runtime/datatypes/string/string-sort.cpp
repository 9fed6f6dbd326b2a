// sort on strings: records of /skip units compared unit by unit, or by a
// comparator function called with the records' characters. The checks of
// the refinements and the owners' notices serve vector! sort too.
#include <cstring>

#include "runtime/datatypes/block/block-sort-call.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-records.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/sort/sort.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/text/casefold.h"

namespace xel {

namespace {

constexpr intptr_t kExact = 2;

// Case folding of the sort: a 1-byte string folds only A to Z, to lower
// case; wider strings fold every letter to upper case.
template <class U> uint32_t fold(uint32_t cp) {
    if constexpr (sizeof(U) == 1) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
    return static_cast<uint32_t>(casefold_convert_char(static_cast<int32_t>(cp), kFoldUpper));
}

template <class U> int compare_units(const void* a, const void* b, intptr_t exact, intptr_t flags) {
    return string_sort_compare(a, b, sizeof(U), flags, [exact](const uint8_t* p) {
        uint32_t c = string_get_char(p, sizeof(U));
        return exact == kExact ? c : fold<U>(c);
    });
}

SortCompare unit_comparator(uint32_t unit) {
    switch (unit) {
    case 1:
        return compare_units<uint8_t>;
    case 2:
        return compare_units<uint16_t>;
    case 4:
        return compare_units<uint32_t>;
    default:
        string_unit_fault();
    }
}

// A comparator function sees characters, or with /all and /skip two strings
// holding the whole records (kept on the argument stack during the sort).
struct ByFunction {
    SortByFunction order; // each call passes one value per record
    bool whole;
    uint32_t size;
    uint32_t unit;
    Cell* records;
};

const Cell* record_value(Cell* slot, const uint8_t* record, const ByFunction& f) {
    if (!f.whole) {
        *slot = Cell{T_CHAR, 0, string_get_char(record, f.unit), 0};
        return slot;
    }
    // Made in the sorted string's unit, so filling them allocates nothing
    // unless the function changed them.
    uint32_t bytes = f.size * f.unit;
    SeriesBuf* buf = string_buffer(slot);
    if (buf->unit() != f.unit || buf->data_end() - buf->head < bytes) {
        string_make_at_unit(slot, f.size, f.unit);
        buf = string_buffer(slot);
    }
    std::memcpy(at(buf->head), record, bytes);
    buf->tail = buf->head + bytes;
    *slot = Cell{T_STRING, 0, slot->data2, 0};
    return slot;
}

int call_compare(const void* a, const void* b, intptr_t by, intptr_t) {
    auto* f = reinterpret_cast<ByFunction*>(by);
    Cell x, y;
    const Cell* first =
        record_value(f->whole ? &f->records[0] : &x, static_cast<const uint8_t*>(a), *f);
    const Cell* second =
        record_value(f->whole ? &f->records[1] : &y, static_cast<const uint8_t*>(b), *f);
    return sort_call_comparator(first, second, reinterpret_cast<intptr_t>(&f->order), 0);
}

[[noreturn]] void bad_refines() {
    error_fire(kCatScript, err::script::kBadRefines);
}

} // namespace

bool string_sort_begin(Cell* series, const SortOptions& o, SortPlan* plan) {
    int32_t start = static_cast<int32_t>(series_clamped_index(series));
    int32_t count = series_length_at(series);
    if (o.part) {
        int32_t n = series_part_count(series, o.part);
        if (n < 0) {
            n = n > -start ? -n : start;
            start -= n;
            count = n;
        } else if (n < count) {
            count = n;
        }
    }
    if (count == 0) return false;

    int32_t size = 1;
    if (o.skip) {
        size = type_of(o.skip) == T_INTEGER ? static_cast<int32_t>(o.skip->data2) : 0;
        if (size < 1 || count % size)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, o.skip);
    } else if (o.all) {
        bad_refines();
    }
    bool by_function = o.compare && type_of(o.compare) == T_FUNCTION;
    intptr_t flags = o.reverse ? kSortReverse : 0;
    if (o.compare && !by_function) {
        if (type_of(o.compare) != T_INTEGER)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_compare, o.compare);
        if (!o.skip || o.all) bad_refines();
        auto offset = static_cast<int32_t>(o.compare->data2);
        if (offset < 1 || offset > size)
            error_fire(kCatScript, err::script::kOutOfRange, o.compare);
        flags |= intptr_t{offset - 1} << 2;
    } else if (o.all && !by_function) {
        flags |= kSortAll | (intptr_t{size} << 2);
    }

    bool told = ownership_notify_before(series, Change::Sort, nullptr, start, count);
    // The handler told of the sort may have shortened the series.
    int32_t now = static_cast<int32_t>(series_buffer_length(series)) - start;
    if (count > now) count = now < 0 ? 0 : now - now % size;
    // Stability is honoured whatever the case sensitivity.
    *plan = {start, count, size, by_function, flags, told, o.stable ? sort_merge : sort_quick};
    return true;
}

uint8_t* string_sort_first(const Cell* series, const SortPlan& plan) {
    const SeriesBuf* buf = series_buffer(series);
    return at(buf->head + static_cast<uint32_t>(plan.start) * buf->unit());
}

void string_sort_end(Cell* series, const SortPlan& plan) {
    if (plan.told) ownership_notify_after(series, Change::Sort, nullptr, plan.start, plan.count);
}

Cell* string_sort(Cell* series, const SortOptions& o) {
    Cell s = *series;
    Cell* result = stack_arguments();
    *result = s;
    SortPlan plan;
    if (!string_sort_begin(&s, o, &plan)) return result;
    uint32_t unit = series_unit(&s);
    uint8_t* first = string_sort_first(&s, plan);
    size_t records = static_cast<size_t>(plan.count / plan.size);
    size_t width = static_cast<size_t>(plan.size) * unit;
    if (plan.by_function) {
        bool whole = o.all && o.skip;
        auto size = static_cast<uint32_t>(plan.size);
        ByFunction f{{*o.compare, false, o.reverse, 1, nullptr}, whole, size, unit, nullptr};
        if (whole) {
            f.records = stack_push_cell();
            string_make_at_unit(f.records, size, unit);
            string_make_at_unit(stack_push_cell(), size, unit);
            // The scratch strings may have moved the buffer.
            first = string_sort_first(&s, plan);
        }
        exit_boundary([&] {
            plan.sorter(first, records, width, reinterpret_cast<intptr_t>(&f), 0, call_compare);
        });
        // A break, return or throw from the function: the stacks are its target's now.
        if (exit_pending()) return result;
        if (whole) stack_pop(2);
    } else {
        plan.sorter(first, records, width, o.case_ ? kExact : 0, plan.flags, unit_comparator(unit));
    }
    string_sort_end(&s, plan);
    return result;
}

} // namespace xel
