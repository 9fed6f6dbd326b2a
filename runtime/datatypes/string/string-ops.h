// The string! actions beyond storage and conversion: mold, comparison,
// search, path access, the modifying actions, sort and the set core. They
// serve string! and the children that take string!'s slots (file!, url!,
// tag!, email!, ref!; binary! for find, select, swap and take).
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

// A string cell whose payload word 3 holds a length: as the second operand
// of string_compare_strings only that many units count.
constexpr uint8_t kStringSlice = 56;

// Mold: the literal in double quotes or braces, every character as itself or
// as a caret escape; returns the limit less the units molded less 2.
int string_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);

// Comparison. string_compare is the compare action: -2 when value2 is not of
// the string family, or of another string type under an operation other than
// 0 and 1. string_compare_strings answers -1, 0 or 1; symbol! operands read
// as their spelling. With match it tests whether value2 occurs at value1's
// position (0 when it does).
int string_compare(Cell* value1, Cell* value2, int op);
int string_compare_strings(const Cell* value1, const Cell* value2, int op, bool match);

// Parse helpers. match_at: a string-family value, char! or tag! at the
// string's position (folding unless op is 2). match_tag: "<" at the position
// and ">" right after the tag's length. char_in_bitset: the code point at the
// position is in the bitset (beyond its bits, the bitset's negation decides).
bool string_match_at(const Cell* str, const Cell* value, int op);
bool string_match_tag(const Cell* str, const Cell* tag);
bool string_char_in_bitset(const Cell* str, const Cell* bitset);

// find and select. string_find_index answers the index of the match (just
// past it with tail) or -1, and the units matched in *match_len.
struct StringFind {
    Cell* series;
    Cell* value;
    Cell* part;
    Cell* skip;
    bool case_, same, any, last, reverse, tail, match;
    Cell* with;
};
int32_t string_find_index(const StringFind& f, uint32_t* match_len);
Cell* string_find(Cell* series, Cell* value, const FindOptions& o);
Cell* string_select(Cell* series, Cell* value, const FindOptions& o);

Cell* string_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                       Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);

// The modifying actions. The core entries take a notify flag: builders that
// append to a string of their own pass false and no change is reported.
enum class StringWrite : uint8_t { Append, Insert, Change };
Cell* string_write_value(StringWrite how, Cell* series, Cell* value, Cell* part, bool only,
                         Cell* dup, bool notify);
Cell* string_append(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* string_insert(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* string_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* string_swap(Cell* series1, Cell* series2);
Cell* string_take(Cell* series, Cell* part, bool deep, bool last);
Cell* string_trim(Cell* series, const TrimOptions& o);
Cell* string_sort(Cell* series, const SortOptions& o);

// Set operations (8 unique, 9 union, 10 intersect, 11 exclude, 12
// difference) over records of skip units (null: 1); set2 is ignored by
// unique. The new string replaces set1 (its node, index 0; the type kept).
void string_set_operation(Cell* set1, const Cell* set2, bool case_, const Cell* skip, int op);

} // namespace xel
