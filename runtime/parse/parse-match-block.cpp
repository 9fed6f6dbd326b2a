// Matching values of a block input: by datatype or typeset, a lit-word or
// lit-path by spelling whatever the word or path type, anything else by the
// compare action's equality (strict under /case).
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/memory/series-memory.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/symbols/symbols.h"

namespace xel::parse {

namespace {

bool is_word_kind(uint8_t t) {
    return t >= T_WORD && t <= T_REFINEMENT;
}

bool is_path_kind(uint8_t t) {
    return t >= T_PATH && t <= T_GET_PATH;
}

bool equal(const Engine& e, const Cell* item, const Cell* rule) {
    Cell a = *item;
    Cell b = *rule;
    // A type without a compare action equals only the very same cell.
    if (!action_entry(type_of(&a), A_COMPARE)) return cell_identical(&a, &b);
    return actions_compare(&a, &b, e.strict ? kCmpStrictEqual : kCmpEqual);
}

bool matches(const Engine& e, const Cell* item, const Cell* rule, bool as_value) {
    uint8_t it = type_of(item);
    if (!as_value) {
        switch (type_of(rule)) {
        case T_DATATYPE:
            return it == datatype_id(rule);
        case T_TYPESET:
            return typeset_has(rule, it);
        case T_LIT_WORD:
            if (!is_word_kind(it)) return false;
            if (e.strict) return word_symbol(item) == word_symbol(rule);
            return symbol_resolve(word_symbol(item)) == symbol_resolve(word_symbol(rule));
        case T_LIT_PATH: {
            if (!is_path_kind(it)) return false;
            Cell as_item = *rule;
            cell_set_type(&as_item, it);
            return equal(e, item, &as_item);
        }
        default:
            break;
        }
    }
    return equal(e, item, rule);
}

Cell item_at(const Engine& e, uint32_t index) {
    return at<Cell>(series_buffer(&e.input)->head)[index];
}

} // namespace

uint32_t block_repeat(Engine& e, const Cell* rule, uint32_t max) {
    uint32_t count = 0;
    uint32_t end = input_end(e);
    while (count < max && e.pos < end) {
        Cell item = item_at(e, e.pos);
        if (!matches(e, &item, rule, false)) break;
        e.pos++;
        count++;
    }
    return count;
}

bool block_find(Engine& e, const Cell* rule, bool thru) {
    uint32_t end = input_end(e);
    for (uint32_t i = e.pos; i < end; i++) {
        Cell item = item_at(e, i);
        if (matches(e, &item, rule, false)) {
            e.pos = thru ? i + 1 : i;
            return true;
        }
    }
    return false;
}

} // namespace xel::parse

namespace xel {

using namespace parse;

bool parse_match_value(Engine& e, const Cell* rule, bool as_value) {
    if (e.pos >= input_end(e)) return false;
    Cell item = item_at(e, e.pos);
    if (!matches(e, &item, rule, as_value)) return false;
    e.pos++;
    return true;
}

} // namespace xel
