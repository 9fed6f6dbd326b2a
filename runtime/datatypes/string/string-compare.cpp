// Comparing strings by code point, case-folded to upper case unless strict,
// and the matching tests of the parse dialect.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

bool is_equality(int op) {
    return op == kCmpEqual || op == kCmpNotEqual || op == kCmpStrictEqual || op == kCmpFind;
}

// A symbol! stands for its spelling from the start.
Cell spelled(const Cell* c) {
    if (type_of(c) != T_SYMBOL) return *c;
    Cell symbol = *c;
    return Cell{T_STRING, 0, symbol_string_node(&symbol), 0};
}

int order(uint32_t a, uint32_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The first difference among n units, or 0.
int compare_units(const StringView& a, const StringView& b, uint32_t n, bool fold) {
    for (uint32_t i = 0; i < n; i++) {
        uint32_t x = a[i];
        uint32_t y = b[i];
        if (x == y) continue;
        if (fold) {
            x = fold_upper(x);
            y = fold_upper(y);
            if (x == y) continue;
        }
        return order(x, y);
    }
    return 0;
}

} // namespace

int string_compare_strings(const Cell* value1, const Cell* value2, int op, bool match) {
    bool symbols = type_of(value1) == T_SYMBOL || type_of(value2) == T_SYMBOL;
    bool same_place = !symbols && value1->data2 == value2->data2 && value1->data1 == value2->data1;
    if (op == kCmpSame) return same_place ? 0 : -1;
    if (is_equality(op) && same_place) return 0;

    // Symbol spellings may be decoded here, before any address is taken.
    Cell a = spelled(value1);
    Cell b = spelled(value2);
    StringView va = string_view_of(&a);
    StringView vb = string_view_of(&b);
    if (type_of(&b) == kStringSlice && static_cast<int32_t>(b.data3) >= 0 && b.data3 < vb.count)
        vb.count = b.data3;
    bool fold = op != kCmpStrictEqual && op != kCmpCaseSort;

    if (match) {
        if (vb.count == 0) return op == kCmpFind ? 1 : 0;
        if (va.count < vb.count) return 1;
        return compare_units(va, vb, vb.count, fold) == 0 ? 0 : 1;
    }
    if (va.count != vb.count && (is_equality(op) || vb.count == 0)) return 1;
    uint32_t n = va.count < vb.count ? va.count : vb.count;
    int r = compare_units(va, vb, n, fold);
    return r ? r : order(va.count, vb.count);
}

int string_compare(Cell* value1, Cell* value2, int op) {
    uint8_t t2 = type_of(value2);
    if (!is_string_kind(t2)) return -2;
    if (t2 != type_of(value1) && op != kCmpEqual && op != kCmpNotEqual) return -2;
    return string_compare_strings(value1, value2, op, false);
}

bool string_match_tag(const Cell* str, const Cell* tag) {
    StringView s = string_view_of(str);
    uint32_t n = string_view_of(tag).count;
    return s.count >= n + 2 && s[0] == '<' && s[n + 1] == '>';
}

bool string_match_at(const Cell* str, const Cell* value, int op) {
    uint8_t t = type_of(value);
    if (t == T_TAG) {
        if (!string_match_tag(str, value)) return false;
        Cell inside = *str;
        string_char_at_index(&inside); // the position, clamped to the tail
        inside.data1++;
        return string_compare_strings(&inside, value, op, true) == 0;
    }
    if (is_string_kind(t)) return string_compare_strings(str, value, op, true) == 0;
    if (t == T_CHAR) {
        StringView s = string_view_of(str);
        if (s.count == 0) return false;
        if (s[0] == value->data2) return true;
        return op != kCmpStrictEqual && fold_upper(s[0]) == fold_upper(value->data2);
    }
    return false;
}

bool string_char_in_bitset(const Cell* str, const Cell* bitset) {
    StringView s = string_view_of(str);
    if (s.count == 0) return false;
    return bitset_has_code(bitset, s[0]);
}

} // namespace xel
