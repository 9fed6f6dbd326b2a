// The series actions of string! that vectors need item by item: find and
// select compare items with a number, take gives a single item as a value,
// sort orders items numerically, and path access picks, pokes or selects.
#include "runtime/datatypes/block/block-sort-call.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-records.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/sort/sort.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

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
    FindRange range;
    if (!string_find_range(&vec, f.part, f.skip, f.reverse, f.match, &range)) return -1;
    if (!is_number_like(type_of(f.value))) return -1;
    double wanted = number_of(f.value);
    return static_cast<int32_t>(
        string_find_scan(range, 1, f.last || f.reverse, f.match, [&](uint32_t i, uint32_t) {
            Cell item = vector_get(&vec, i);
            return number_of(&item) == wanted;
        }));
}

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
    return string_sort_compare(a, b, kind.unit, flags,
                               [&kind](const uint8_t* p) { return item_number(p, kind); });
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

} // namespace

Cell* vector_find(Cell* series, Cell* value, const FindOptions& o) {
    if (o.any || o.with) error_fire(kCatInternal, err::internal::kNotDone);
    Cell s = *series;
    Cell v = *value;
    int32_t i = find_index({&s, &v, o.part, o.skip, o.last, o.reverse, o.match});
    Cell* result = stack_arguments();
    if (i < 0) {
        set_none(result);
        return result;
    }
    *result = s;
    cell_clear_new_line(result);
    result->data1 = static_cast<uint32_t>(o.tail ? i + 1 : i);
    return result;
}

Cell* vector_select(Cell* series, Cell* value, const FindOptions& o) {
    if (o.any || o.with) error_fire(kCatInternal, err::internal::kNotDone);
    Cell s = *series;
    Cell v = *value;
    int32_t i = find_index({&s, &v, o.part, o.skip, o.last, o.reverse, false});
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

Cell* vector_sort(Cell* series, const SortOptions& o) {
    Cell s = *series;
    Cell* result = stack_arguments();
    *result = s;
    SortPlan plan;
    if (!string_sort_begin(&s, o, &plan)) return result;
    ItemKind kind{series_unit(&s), vector_item_type(&s)};
    uint8_t* first = string_sort_first(&s, plan);
    size_t records = static_cast<size_t>(plan.count / plan.size);
    size_t width = static_cast<size_t>(plan.size) * kind.unit;
    if (plan.by_function) {
        ByFunction f{{*o.compare, false, o.reverse, 1, nullptr}, kind};
        exit_boundary([&] {
            plan.sorter(first, records, width, reinterpret_cast<intptr_t>(&f), 0, call_compare);
        });
        // A break, return or throw from the function: the stacks are its target's now.
        if (exit_pending()) return result;
    } else {
        plan.sorter(first, records, width, reinterpret_cast<intptr_t>(&kind), plan.flags,
                    compare_items);
    }
    string_sort_end(&s, plan);
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
    if (!value) return vector_select(&vec, &elem, FindOptions{});
    Cell v = *value;
    int32_t i = find_index({&vec, &elem, nullptr, nullptr, false, false, false});
    if (i < 0) error_fire(kCatScript, err::script::kBadPathSet, where, &elem);
    // The item after the match, counted 1-based from the vector's position.
    int64_t offset = int64_t{i} + 2 - series_clamped_index(&vec);
    return series_poke(&vec, static_cast<int>(offset), &v, &elem);
}

} // namespace xel
