// Terminal rules (values, datatypes, bitsets) by input kind, and the choice
// of the tight paths: a repetition or a to/thru of a terminal rule runs in a
// loop of its own, without frames.
#include "runtime/parse/parse-internal.h"

namespace xel::parse {

namespace {

bool is_type_rule(const Cell* rule) {
    return type_of(rule) == T_DATATYPE || type_of(rule) == T_TYPESET;
}

} // namespace

bool match_terminal(Engine& e, const Cell* rule, bool as_value) {
    switch (e.kind) {
    case InputKind::kBlock:
        return parse_match_value(e, rule, as_value);
    case InputKind::kString:
        if (!as_value && is_type_rule(rule)) fail_unsupported();
        return string_match(e, rule);
    default:
        if (!as_value && is_type_rule(rule)) return parse_scan_datatype(e, rule);
        return string_match(e, rule);
    }
}

bool find_literal(Engine& e, const Cell* rule, bool thru) {
    return e.kind == InputKind::kBlock ? block_find(e, rule, thru)
                                       : parse_find_in_string(e, rule, thru);
}

bool terminal_next(Engine& e, Cell* out) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next) return false;
    Cell v = *next;
    switch (type_of(&v)) {
    case T_WORD:
        if (keyword_of(&v) != Kw::kNotKeyword) return false;
        v = word_rule_value(&v);
        if (type_of(&v) == T_BLOCK) return false;
        break;
    case T_BLOCK:
    case T_PAREN:
    case T_INTEGER:
    case T_SET_WORD:
    case T_GET_WORD:
    case T_PATH:
        return false;
    default:
        break;
    }
    // Datatypes on text need the lexer (binary) or an error (strings).
    if (is_type_rule(&v) && e.kind != InputKind::kBlock) return false;
    *out = v;
    return true;
}

} // namespace xel::parse

namespace xel {

using namespace parse;

uint32_t parse_match_repeat(Engine& e, const Cell* rule, uint32_t max) {
    return e.kind == InputKind::kBlock ? block_repeat(e, rule, max) : string_repeat(e, rule, max);
}

} // namespace xel
