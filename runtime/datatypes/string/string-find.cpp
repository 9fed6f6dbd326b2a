// find and select on strings (and on binary!, which takes string!'s slots):
// a character, a bitset, a text or the formed text of any other value,
// forward, from the end (/last) or backward from the position (/reverse).
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-records.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

enum class Kind { Char, Bitset, Integer, Float, Text };

struct Needle {
    Kind kind;
    Cell value;    // the bitset, or the text searched for
    uint32_t cp;   // Char, Integer
    double number; // Float
    bool pushed;   // the text was formed into a string on the stack
};

Needle needle_of(const Cell* value, uint8_t series_type) {
    Needle n{Kind::Text, *value, 0, 0, false};
    uint8_t vt = type_of(value);
    bool bytes = series_type == T_BINARY;
    if (vt == T_CHAR) {
        n.kind = Kind::Char;
        n.cp = value->data2;
    } else if (vt == T_BITSET) {
        n.kind = Kind::Bitset;
    } else if (vt == T_BINARY || (is_string_kind(vt) && vt != T_TAG)) {
        // Searched as it is; bytes only among bytes.
        if (vt == T_BINARY && !bytes) error_fire(kCatScript, err::script::kInvalidArg, value);
    } else if (vt == T_WORD) {
        Cell symbol = *symbol_get(word_symbol(value));
        n.value = Cell{T_STRING, 0, symbol_string_node(&symbol), 0};
    } else if (bytes && vt == T_INTEGER) {
        n.kind = Kind::Integer;
        n.cp = value->data2;
    } else if (bytes && vt == T_FLOAT) {
        n.kind = Kind::Float;
        n.number = cell_double(value);
    } else {
        Cell* text = stack_push_cell();
        string_make_at(text, 16);
        Cell v = *value;
        actions_form_typed(&v, text, nullptr, INT32_MAX);
        n.value = *text;
        n.pushed = true;
    }
    return n;
}

struct Matcher {
    Kind kind;
    StringView series; // from the buffer's head
    StringView text;
    const Cell* bitset;
    uint32_t cp;
    double number;
    bool fold;

    bool same(uint32_t a, uint32_t b) const {
        return a == b || (fold && fold_upper(a) == fold_upper(b));
    }
    // Whether the needle matches from unit i (the text must end by hi).
    bool at(uint32_t i, uint32_t hi) const {
        switch (kind) {
        case Kind::Char:
            return same(series[i], cp);
        case Kind::Bitset:
            return bitset_has_code(bitset, series[i]);
        case Kind::Integer:
            return series[i] == cp;
        case Kind::Float:
            return static_cast<double>(series[i]) == number;
        case Kind::Text:
            break;
        }
        if (i + text.count > hi) return false;
        for (uint32_t k = 0; k < text.count; k++)
            if (!same(series[i + k], text[k])) return false;
        return true;
    }
    uint32_t length() const { return kind == Kind::Text ? text.count : 1; }
};

// The /part count: an integer!, or a position in the same series.
int64_t part_count(const Cell* series, const Cell* part) {
    if (type_of(part) == T_INTEGER) return static_cast<int32_t>(part->data2);
    if (type_of(part) == type_of(series) && part->data2 == series->data2)
        return int64_t{series_index(part)} - series_index(series);
    error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, part);
}

Cell* result_at(const Cell* series, int32_t index) {
    Cell* result = stack_arguments();
    if (index < 0) {
        set_none(result);
        return result;
    }
    *result = *series;
    cell_clear_new_line(result);
    result->data1 = static_cast<uint32_t>(index);
    return result;
}

} // namespace

bool string_find_range(const Cell* series, const Cell* part, const Cell* skip, bool reverse,
                       bool match, FindRange* range) {
    int32_t step = 1;
    if (skip) {
        if (type_of(skip) != T_INTEGER)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, skip);
        step = static_cast<int32_t>(skip->data2);
        if (step < 1) error_fire(kCatScript, err::script::kOutOfRange, skip);
    }
    uint32_t len = series_buffer_length(series);
    int64_t pos = series_clamped_index(series);
    if (len == 0 || (pos >= len && !reverse)) return false;
    if (reverse && (pos == 0 || match)) return false;
    int64_t lo = reverse ? 0 : pos;
    int64_t hi = reverse ? pos : len;
    if (part) {
        int64_t count = part_count(series, part);
        if (count < 1) return false;
        if (reverse)
            lo = count < pos ? pos - count : 0;
        else if (count < hi - lo)
            hi = lo + count;
    }
    *range = {pos, lo, hi, step};
    return true;
}

int32_t string_find_index(const StringFind& f, uint32_t* match_len) {
    Cell series = *f.series;
    if (f.any || f.with) error_fire(kCatInternal, err::internal::kNotDone);
    FindRange range;
    if (!string_find_range(&series, f.part, f.skip, f.reverse, f.match, &range)) return -1;

    uint8_t st = type_of(&series);
    Needle needle = needle_of(f.value, st);
    Cell from_head = series;
    from_head.data1 = 0;
    Matcher m{needle.kind,
              string_view_of(&from_head),
              needle.kind == Kind::Text ? string_view_of(&needle.value) : StringView{},
              &needle.value,
              needle.cp,
              needle.number,
              is_string_kind(st) && !f.case_ && !f.same};
    if (needle.pushed) stack_pop(1);
    *match_len = m.length();
    uint32_t n = m.length();

    // An empty text matches at once where the scan begins.
    int64_t found = n == 0 ? (f.last ? range.hi : range.pos)
                           : string_find_scan(range, n, f.last || f.reverse, f.match,
                                              [&](uint32_t i, uint32_t hi) { return m.at(i, hi); });
    if (found < 0) return -1;
    return static_cast<int32_t>(f.tail ? found + n : found);
}

Cell* string_find(Cell* series, Cell* value, const FindOptions& o) {
    Cell s = *series;
    StringFind f{&s,    value,  o.part,    o.skip, o.case_, o.same,
                 o.any, o.last, o.reverse, o.tail, o.match, o.with};
    uint32_t len = 0;
    return result_at(&s, string_find_index(f, &len));
}

Cell* string_select(Cell* series, Cell* value, const FindOptions& o) {
    Cell s = *series;
    StringFind f{&s,    value,  o.part,    o.skip, o.case_, o.same,
                 o.any, o.last, o.reverse, false,  false,   o.with};
    uint32_t len = 0;
    int32_t i = string_find_index(f, &len);
    Cell* result = stack_arguments();
    // The unit after the whole match.
    int64_t next = int64_t{i} + len;
    if (i < 0 || next >= series_buffer_length(&s)) {
        set_none(result);
        return result;
    }
    uint32_t cp = string_char_at(&s, static_cast<uint32_t>(next));
    if (type_of(&s) == T_BINARY)
        set_integer(result, static_cast<int32_t>(cp));
    else
        *result = Cell{T_CHAR, 0, cp, 0};
    return result;
}

} // namespace xel
