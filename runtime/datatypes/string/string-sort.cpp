// sort on strings: records of /skip units compared unit by unit, or by a
// comparator function called with the records' characters.
#include <cstring>

#include "runtime/datatypes/block/block-sort-call.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/sort/sort.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/text/casefold.h"
#include "runtime/words/fixed-words.h"

namespace xel {

namespace {

// Comparator flags: bit 0 reverse, bit 1 all units of the record (their
// count in bits 2 and up), else the offset of the compared unit in bits 2 and up.
constexpr intptr_t kSortReverse = 1;
constexpr intptr_t kSortAll = 2;
constexpr intptr_t kExact = 2;

// Case folding of the sort: a 1-byte string folds only A to Z, to lower
// case; wider strings fold every letter to upper case.
template <class U> uint32_t fold(uint32_t cp) {
    if constexpr (sizeof(U) == 1) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
    return static_cast<uint32_t>(casefold_convert_char(static_cast<int32_t>(cp), kFoldUpper));
}

template <class U> int compare_units(const void* a, const void* b, intptr_t exact, intptr_t flags) {
    const auto* x = static_cast<const uint8_t*>(a);
    const auto* y = static_cast<const uint8_t*>(b);
    intptr_t from = (flags & kSortAll) ? 0 : flags >> 2;
    intptr_t to = (flags & kSortAll) ? flags >> 2 : from + 1;
    int r = 0;
    for (intptr_t i = from; i < to && r == 0; i++) {
        uint32_t p = string_get_char(x + i * sizeof(U), sizeof(U));
        uint32_t q = string_get_char(y + i * sizeof(U), sizeof(U));
        if (exact != kExact) {
            p = fold<U>(p);
            q = fold<U>(q);
        }
        r = p < q ? -1 : (p > q ? 1 : 0);
    }
    return (flags & kSortReverse) ? -r : r;
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

Cell* string_sort(Cell* series, bool case_, Cell* skip, Cell* compare, Cell* part, bool all,
                  bool reverse, bool stable) {
    Cell s = *series;
    Cell* result = stack_arguments();
    *result = s;
    int32_t start = static_cast<int32_t>(series_clamped_index(&s));
    int32_t count = series_length_at(&s);
    if (part) {
        int32_t n = series_part_count(&s, part);
        if (n < 0) {
            n = -n < start ? -n : start;
            start -= n;
            count = n;
        } else if (n < count) {
            count = n;
        }
    }
    if (count == 0) return result;

    int32_t size = 1;
    if (skip) {
        size = type_of(skip) == T_INTEGER ? static_cast<int32_t>(skip->data2) : 0;
        if (size < 1 || count % size)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, skip);
    } else if (all) {
        bad_refines();
    }
    bool by_function = compare && type_of(compare) == T_FUNCTION;
    intptr_t flags = reverse ? kSortReverse : 0;
    if (compare && !by_function) {
        if (type_of(compare) != T_INTEGER)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_compare, compare);
        if (!skip || all) bad_refines();
        auto offset = static_cast<int32_t>(compare->data2);
        if (offset < 1 || offset > size) error_fire(kCatScript, err::script::kOutOfRange, compare);
        flags |= intptr_t{offset - 1} << 2;
    } else if (all && !by_function) {
        flags |= kSortAll | (intptr_t{size} << 2);
    }

    bool told = ownership_notify_before(&s, Change::Sort, nullptr, start, count);
    // The handler told of the sort may have shortened the string.
    int32_t now = static_cast<int32_t>(string_xs_length_from_head(&s)) - start;
    if (count > now) count = now < 0 ? 0 : now - now % size;
    SeriesBuf* buf = string_buffer(&s);
    uint32_t unit = buf->unit();
    uint8_t* first = at(buf->head + static_cast<uint32_t>(start) * unit);
    size_t records = static_cast<size_t>(count / size);
    size_t width = static_cast<size_t>(size) * unit;
    // Stability is honoured whatever the case sensitivity.
    auto sorter = stable ? sort_merge : sort_quick;
    if (by_function) {
        bool whole = all && skip;
        ByFunction f{{*compare, false, reverse, 1, nullptr},
                     whole,
                     static_cast<uint32_t>(size),
                     unit,
                     nullptr};
        if (whole) {
            f.records = stack_push_cell();
            string_make_at_unit(f.records, static_cast<uint32_t>(size), unit);
            string_make_at_unit(stack_push_cell(), static_cast<uint32_t>(size), unit);
            // The scratch strings may have moved the buffer.
            first = at(string_buffer(&s)->head + static_cast<uint32_t>(start) * unit);
        }
        exit_boundary([&] {
            sorter(first, records, width, reinterpret_cast<intptr_t>(&f), 0, call_compare);
        });
        // A break, return or throw from the function: the stacks are its target's now.
        if (exit_pending()) return result;
        if (whole) stack_pop(2);
    } else {
        sorter(first, records, width, case_ ? kExact : 0, flags, unit_comparator(unit));
    }
    if (told) ownership_notify_after(&s, Change::Sort, nullptr, start, count);
    return result;
}

} // namespace xel
