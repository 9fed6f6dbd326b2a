// The series actions of string! that vectors need item by item: find and
// select compare items with a number, take gives a single item as a value,
// sort orders items numerically, and path access picks, pokes or selects.
#include "runtime/datatypes/block/block-sort-call.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/sort/sort.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/words/fixed-words.h"

namespace xel {

namespace {

double number_of(const Cell* c) {
    uint8_t t = type_of(c);
    return t == T_FLOAT || t == T_PERCENT ? cell_double(c)
                                          : static_cast<double>(static_cast<int32_t>(c->data2));
}

bool is_number_like(uint8_t t) {
    return t == T_CHAR || t == T_INTEGER || t == T_FLOAT || t == T_PERCENT;
}

int32_t step_of(const Cell* skip) {
    if (!skip) return 1;
    if (type_of(skip) != T_INTEGER)
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, skip);
    auto step = static_cast<int32_t>(skip->data2);
    if (step < 1) error_fire(kCatScript, err::script::kOutOfRange, skip);
    return step;
}

struct Search {
    Cell* series;
    Cell* value;
    Cell* part;
    Cell* skip;
    bool last, reverse, match;
};

// The index of the item equal to the number, or -1. Values that are not
// numbers or characters match no item.
int32_t find_index(const Search& f) {
    Cell vec = *f.series;
    int32_t step = step_of(f.skip);
    int64_t len = series_buffer_length(&vec);
    int64_t pos = series_clamped_index(&vec);
    if (len == 0 || (pos >= len && !f.reverse)) return -1;
    if (f.reverse && (pos == 0 || f.match)) return -1;
    int64_t lo = f.reverse ? 0 : pos;
    int64_t hi = f.reverse ? pos : len;
    if (f.part) {
        int64_t count = series_part_count(&vec, f.part);
        if (count < 1) return -1;
        if (f.reverse)
            lo = count < pos ? pos - count : 0;
        else if (count < hi - lo)
            hi = lo + count;
    }
    if (!is_number_like(type_of(f.value))) return -1;
    double wanted = number_of(f.value);
    auto matches = [&](int64_t i) {
        Cell item = vector_get(&vec, static_cast<uint32_t>(i));
        return number_of(&item) == wanted;
    };
    if (f.last || f.reverse) {
        // Record starts counted from the position, the last one below hi.
        int64_t top = hi - 1;
        int64_t first = top >= pos ? pos + (top - pos) / step * step
                                   : pos - (pos - top + step - 1) / step * step;
        for (int64_t s = first; s >= lo; s -= step) {
            if (matches(s)) return static_cast<int32_t>(s);
            if (f.match) break;
        }
        return -1;
    }
    for (int64_t s = lo; s < hi; s += step) {
        if (matches(s)) return static_cast<int32_t>(s);
        if (f.match) break;
    }
    return -1;
}

// Comparator flags as string! sort has them: bit 0 reverse, bit 1 all items
// of the record (their count in bits 2 and up), else the offset of the
// compared item in bits 2 and up.
constexpr intptr_t kSortReverse = 1;
constexpr intptr_t kSortAll = 2;

struct ItemKind {
    uint32_t unit;
    uint8_t type;
};

double item_number(const uint8_t* p, const ItemKind& kind) {
    Cell c = vector_item_value(p, kind.unit, kind.type);
    return number_of(&c);
}

int compare_items(const void* a, const void* b, intptr_t kind_arg, intptr_t flags) {
    const auto& kind = *reinterpret_cast<const ItemKind*>(kind_arg);
    const auto* x = static_cast<const uint8_t*>(a);
    const auto* y = static_cast<const uint8_t*>(b);
    intptr_t from = (flags & kSortAll) ? 0 : flags >> 2;
    intptr_t to = (flags & kSortAll) ? flags >> 2 : from + 1;
    int r = 0;
    for (intptr_t i = from; i < to && r == 0; i++) {
        double p = item_number(x + i * kind.unit, kind);
        double q = item_number(y + i * kind.unit, kind);
        r = p < q ? -1 : (p > q ? 1 : 0);
    }
    return (flags & kSortReverse) ? -r : r;
}

// A comparator function sees the first items of the two records as values.
struct ByFunction {
    SortByFunction order;
    ItemKind kind;
};

int call_compare(const void* a, const void* b, intptr_t by, intptr_t) {
    const auto* f = reinterpret_cast<const ByFunction*>(by);
    Cell x = vector_item_value(static_cast<const uint8_t*>(a), f->kind.unit, f->kind.type);
    Cell y = vector_item_value(static_cast<const uint8_t*>(b), f->kind.unit, f->kind.type);
    return sort_call_comparator(&x, &y, reinterpret_cast<intptr_t>(&f->order), 0);
}

[[noreturn]] void bad_refines() {
    error_fire(kCatScript, err::script::kBadRefines);
}

} // namespace

Cell* vector_find(Cell* series, Cell* value, Cell* part, bool, bool, bool, bool any, Cell* with,
                  Cell* skip, bool last, bool reverse, bool tail, bool match) {
    if (any || with) error_fire(kCatInternal, err::internal::kNotDone);
    Cell s = *series;
    Cell v = *value;
    int32_t i = find_index({&s, &v, part, skip, last, reverse, match});
    Cell* result = stack_arguments();
    if (i < 0) {
        set_none(result);
        return result;
    }
    *result = s;
    cell_clear_new_line(result);
    result->data1 = static_cast<uint32_t>(tail ? i + 1 : i);
    return result;
}

Cell* vector_select(Cell* series, Cell* value, Cell* part, bool, bool, bool, bool any, Cell* with,
                    Cell* skip, bool last, bool reverse, bool, bool) {
    if (any || with) error_fire(kCatInternal, err::internal::kNotDone);
    Cell s = *series;
    Cell v = *value;
    int32_t i = find_index({&s, &v, part, skip, last, reverse, false});
    Cell* result = stack_arguments();
    if (i < 0 || static_cast<uint32_t>(i) + 1 >= series_buffer_length(&s))
        set_none(result);
    else
        *result = vector_get(&s, static_cast<uint32_t>(i) + 1);
    return result;
}

Cell* vector_take(Cell* series, Cell* part, bool deep, bool last) {
    Cell* result = series_take(series, part, deep, last);
    if (part || type_of(result) == T_NONE || vector_xs_length(result) != 1) return result;
    Cell item = vector_get(result, 0);
    *result = item;
    return result;
}

Cell* vector_sort(Cell* series, bool, Cell* skip, Cell* compare, Cell* part, bool all, bool reverse,
                  bool stable) {
    Cell s = *series;
    Cell* result = stack_arguments();
    *result = s;
    auto start = static_cast<int32_t>(series_clamped_index(&s));
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
    // The handler told of the sort may have shortened the vector.
    int32_t now = static_cast<int32_t>(series_buffer_length(&s)) - start;
    if (count > now) count = now < 0 ? 0 : now - now % size;
    ItemKind kind{series_unit(&s), vector_item_type(&s)};
    uint8_t* first = vector_item_at(&s, static_cast<uint32_t>(start));
    size_t records = static_cast<size_t>(count / size);
    size_t width = static_cast<size_t>(size) * kind.unit;
    auto sorter = stable ? sort_merge : sort_quick;
    if (by_function) {
        ByFunction f{{*compare, false, reverse, 1, nullptr}, kind};
        exit_boundary([&] {
            sorter(first, records, width, reinterpret_cast<intptr_t>(&f), 0, call_compare);
        });
        // A break, return or throw from the function: the stacks are its target's now.
        if (exit_pending()) return result;
    } else {
        sorter(first, records, width, reinterpret_cast<intptr_t>(&kind), flags, compare_items);
    }
    if (told) ownership_notify_after(&s, Change::Sort, nullptr, start, count);
    return result;
}

Cell* vector_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell*, Cell*, int,
                       bool, bool, bool, bool) {
    Cell vec = *parent;
    Cell elem = *element;
    if (type_of(&elem) == T_INTEGER) {
        auto n = static_cast<int32_t>(elem.data2);
        return value ? series_poke(&vec, n, value, &elem) : series_pick(&vec, n, &elem);
    }
    Cell* where = path ? path : &elem;
    if (type_of(&elem) == T_WORD) error_fire(kCatScript, err::script::kInvalidPath, where, &elem);
    if (!value)
        return vector_select(&vec, &elem, nullptr, false, false, false, false, nullptr, nullptr,
                             false, false, false, false);
    Cell v = *value;
    int32_t i = find_index({&vec, &elem, nullptr, nullptr, false, false, false});
    if (i < 0) error_fire(kCatScript, err::script::kBadPathSet, where, &elem);
    // The item after the match, counted 1-based from the vector's position.
    int64_t offset = int64_t{i} + 2 - series_clamped_index(&vec);
    return series_poke(&vec, static_cast<int>(offset), &v, &elem);
}

} // namespace xel
