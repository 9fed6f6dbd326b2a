// unique, union, intersect, exclude and difference over strings: records of
// /skip units, known by their first unit, kept once each in a new string.
#include <unordered_set>

#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

enum SetOp : int { kUnique = 8, kUnion = 9, kIntersect = 10, kExclude = 11, kDifference = 12 };

// The first units of a string's records, folded to lower case unless strict
// (the equality of string_contains_char, kept in a set so each test is O(1)).
class FirstUnits {
  public:
    explicit FirstUnits(bool strict) : strict_(strict) {}
    uint32_t key(uint32_t cp) const {
        return strict_ ? cp
                       : static_cast<uint32_t>(
                             casefold_convert_char(static_cast<int32_t>(cp), kFoldLower));
    }
    void add(uint32_t cp) { keys_.insert(key(cp)); }
    bool has(uint32_t cp) const { return keys_.count(key(cp)) != 0; }
    void add_records(const Cell* str, uint32_t size) {
        StringView v = string_view_of(str);
        for (uint32_t i = 0; i < v.count; i += size)
            add(v[i]);
    }

  private:
    bool strict_;
    std::unordered_set<uint32_t> keys_;
};

// Appends the records of source that pass (their first unit in `other` or
// not, when other is given) and whose first unit the result lacks.
void take_records(Cell* result, FirstUnits& seen, const Cell* source, uint32_t size,
                  const FirstUnits* other, bool in_other) {
    Cell src = *source;
    uint32_t count = static_cast<uint32_t>(string_xs_length(&src));
    for (uint32_t i = 0; i < count; i += size) {
        uint32_t first = string_char_at(&src, src.data1 + i);
        if (other && other->has(first) != in_other) continue;
        if (seen.has(first)) continue;
        seen.add(first);
        uint32_t end = i + size < count ? i + size : count;
        for (uint32_t k = i; k < end; k++)
            string_append_char(string_buffer(result), string_char_at(&src, src.data1 + k));
    }
}

} // namespace

void string_set_operation(Cell* set1, const Cell* set2, bool case_, const Cell* skip, int op) {
    uint32_t size = 1;
    if (skip) {
        auto n = static_cast<int32_t>(skip->data2);
        if (type_of(skip) != T_INTEGER || n < 1)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, skip);
        size = static_cast<uint32_t>(n);
    }
    Cell a = *set1;
    Cell b = op == kUnique ? a : *set2;
    string_char_at_index(&a);
    string_char_at_index(&b);
    uint32_t bytes = static_cast<uint32_t>(string_xs_length(&a));
    if (op == kUnion) bytes += static_cast<uint32_t>(string_xs_length(&b));

    Cell* result = stack_push_cell();
    string_make_at(result, bytes);
    FirstUnits seen(case_);
    FirstUnits in_a(case_), in_b(case_);
    if (op == kIntersect || op == kExclude || op == kDifference) in_b.add_records(&b, size);
    if (op == kDifference) in_a.add_records(&a, size);

    switch (op) {
    case kUnique:
        take_records(result, seen, &a, size, nullptr, false);
        break;
    case kUnion:
        take_records(result, seen, &a, size, nullptr, false);
        take_records(result, seen, &b, size, nullptr, false);
        break;
    case kIntersect:
        take_records(result, seen, &a, size, &in_b, true);
        break;
    case kExclude:
        take_records(result, seen, &a, size, &in_b, false);
        break;
    case kDifference:
        take_records(result, seen, &a, size, &in_b, false);
        take_records(result, seen, &b, size, &in_a, false);
        break;
    default:
        error_fire(kCatScript, err::script::kInvalidArg, set1);
    }
    *set1 = Cell{type_of(set1), 0, result->data2, 0};
    stack_pop(1);
}

} // namespace xel
