// Objects as text (form, mold) and their comparison.
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/printing/cycles.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

int append_char(Cell* buffer, uint32_t cp, int part) {
    string_append_char(string_buffer(buffer), cp);
    return part - 1;
}

int append_text(Cell* buffer, const char* text, int part) {
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

bool is_handler(Offset ctx, uint32_t i) {
    uint32_t s = symbol_resolve(word_symbol(context_word_at(ctx, i)));
    return s == symbol_resolve(word_symbol(g_word_on_change_star)) ||
           s == symbol_resolve(word_symbol(g_word_on_deep_change_star));
}

// Whether the body writes any pair.
bool has_shown_pairs(Offset ctx, bool all) {
    uint32_t n = context_word_count(ctx);
    for (uint32_t i = 0; i < n; i++)
        if (all || !is_handler(ctx, i)) return true;
    return false;
}

bool is_any_word(uint8_t t) {
    return t >= T_WORD && t <= T_ISSUE;
}
bool is_number(uint8_t t) {
    return t == T_INTEGER || t == T_FLOAT || t == T_PERCENT;
}

int compare_fields(Offset c1, Offset c2, uint32_t n, int op) {
    for (uint32_t i = 0; i < n; i++) {
        uint32_t s1 = symbol_resolve(word_symbol(context_word_at(c1, i)));
        uint32_t s2 = symbol_resolve(word_symbol(context_word_at(c2, i)));
        if (s1 != s2) return s1 < s2 ? -1 : 1;
        Cell v1 = *context_value_at(c1, i);
        Cell v2 = *context_value_at(c2, i);
        uint8_t t1 = type_of(&v1);
        uint8_t t2 = type_of(&v2);
        int r;
        if (t1 != t2 && !(is_any_word(t1) && is_any_word(t2)) && !(is_number(t1) && is_number(t2)))
            r = t1 < t2 ? -1 : 1;
        else
            r = element_compare_values(&v1, &v2, op);
        if (r != 0) return r;
    }
    return 0;
}

} // namespace

int object_mold_body(Cell* object, Cell* buffer, bool all, bool flat, Cell* arg, int part,
                     bool indented, int indent) {
    Offset ctx = object_context(object);
    uint32_t n = context_word_count(ctx);
    if (n == 0) return part;
    if (flat) indented = false;
    uint32_t separator = flat ? ' ' : '\n';
    cycles_push(ctx);
    bool first = true;
    for (uint32_t i = 0; i < n; i++) {
        if (!all && is_handler(ctx, i)) continue;
        if (arg && part <= 0) break;
        if (!indented && !first) part = append_char(buffer, separator, part);
        first = false;
        if (indented) part = mold_indent(buffer, indent, part);
        Cell word = *context_word_at(ctx, i);
        word.header = T_WORD;
        part = element_form(&word, buffer, arg, part);
        part = append_text(buffer, ": ", part);
        Cell value = *context_value_at(ctx, i);
        if (type_of(&value) == 0) value = Cell{T_UNSET, 0, 0, 0};
        if (type_of(&value) == T_WORD) part = append_char(buffer, '\'', part);
        part = element_mold(&value, buffer, false, all, flat, arg, part, indent);
        if (indented) part = append_char(buffer, separator, part);
    }
    cycles_pop();
    return part;
}

int object_mold_as(const char* head, Cell* value, Cell* buffer, bool only, bool all, bool flat,
                   Cell* arg, int part, int indent) {
    if (cycles_detect(value, buffer, &part, true)) return part;
    Cell obj = *value;
    bool shown = has_shown_pairs(object_context(&obj), all);
    if (!only) part = append_text(buffer, head, part);
    if (!flat && !only && shown) part = append_char(buffer, '\n', part);
    part = object_mold_body(&obj, buffer, all, flat, arg, part, true, indent + 1);
    if (!flat && indent > 0 && shown) part = mold_indent(buffer, indent, part);
    if (!only) part = append_char(buffer, ']', part);
    return part;
}

int object_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent) {
    return object_mold_as("make object! [", value, buffer, only, all, flat, arg, part, indent);
}

int object_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    if (cycles_detect(value, buffer, &part, false)) return part;
    Cell obj = *value;
    return object_mold_body(&obj, buffer, false, false, arg, part, false, 0);
}

int object_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_OBJECT) return -2;
    Offset c1 = object_context(value1);
    Offset c2 = object_context(value2);
    if (c1 == c2) return 0;
    if (op == kCmpSame) return -1;
    if (cycles_find(c1)) return cycles_find(c2) ? 0 : -1;
    uint32_t n1 = context_word_count(c1);
    uint32_t n2 = context_word_count(c2);
    if (n1 != n2) return n1 < n2 ? -1 : 1;
    if (n1 == 0) return 0;
    cycles_push(c1);
    cycles_push(c2);
    int r = compare_fields(c1, c2, n1, op);
    cycles_pop_n(2);
    return r;
}

} // namespace xel
