// The walk of a rule block: fetching the next rule, entering sub-blocks and
// frames, and dispatching a rule value by its type.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/interpreter/interp.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel::parse {

namespace {

Step terminal(Engine& e, const Cell* rule) {
    e.result = match_terminal(e, rule, false);
    if (e.tracing) parse_fire_event(e, Event::kMatch);
    return Step::kCheck;
}

// N rule, N M rule: between N and M times (exactly N without M).
Step counted(Engine& e, const Cell* count) {
    int32_t n = integer_get(count);
    int32_t m = n;
    const Cell* next = rule_at(e, rule_pos(e));
    if (next && type_of(next) == T_INTEGER) {
        m = integer_get(next);
        rule_advance(e);
    }
    if (n < 0 || m < n) fail_rule(count);
    need_rule(e, count);
    if (m == 0) {
        set_rule_pos(e, skip_rule(e, rule_pos(e)));
        e.result = true;
        return Step::kCheck;
    }
    return repeat(e, static_cast<uint32_t>(n), static_cast<uint32_t>(m), kIterate);
}

} // namespace

const Cell* rule_at(const Engine& e, uint32_t index) {
    if (index >= block_buffer_length(&e.rules)) return nullptr;
    return block_cell_at(&e.rules, index);
}

void need_rule(const Engine& e, const Cell* keyword) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next || is_bar(next)) fail_end(keyword);
}

Cell word_rule_value(const Cell* word) {
    if (!word_context(word) || word_index(word) < 0) fail_rule(word);
    Cell value = *context_get(word);
    if (type_of(&value) == T_UNSET) fail_rule(word);
    return value;
}

void find_group(Engine& e, uint32_t height) {
    Cell* cells = rule_cells();
    while (height > e.rule_base) {
        if (type_of(&cells[height - 1]) == T_BLOCK) {
            e.group = height - 1;
            e.rules = cells[height - 1];
            return;
        }
        height -= kFrameCells;
    }
}

Step push_block(Engine& e, const Cell* block) {
    Cell b = *block;
    if (rule_height() > e.rule_base)
        series_set_index(&rule_cells()[e.group], static_cast<int32_t>(rule_pos(e)));
    uint32_t tail = input_tail(e);
    Cell* group = rule_push(kGroupCells);
    group[0] = group_record(e.pos, tail);
    if (block_index(&b) < 0) series_set_index(&b, 0);
    cell_clear_new_line(&b);
    group[1] = b;
    e.group = rule_height() - 1;
    e.rules = b;
    if (e.tracing) parse_fire_event(e, Event::kPush);
    return Step::kFetch;
}

Step push_frame(Engine& e, uint32_t kind, uint32_t extra, const Cell* aux, const Cell* bounds) {
    Cell a = aux ? *aux : g_none_cell;
    Cell b = bounds ? *bounds : g_none_cell;
    uint32_t tail = input_tail(e);
    Cell* frame = rule_push(kFrameCells);
    frame[kAux] = a;
    frame[kBounds] = b;
    frame[kPosition] = record_cell(rule_pos(e), e.pos, tail);
    frame[kKindCell] = record_cell(extra, kind, 0);
    if (e.tracing) parse_fire_event(e, Event::kPush);
    return Step::kFetch;
}

Step fetch(Engine& e) {
    const Cell* rule = rule_at(e, rule_pos(e));
    if (rule && !is_bar(rule)) {
        Cell v = *rule;
        if (e.tracing) {
            parse_fire_event(e, Event::kFetch);
            if (e.stopped || exit_pending()) return Step::kExit;
        }
        rule_advance(e);
        return dispatch(e, &v);
    }
    // The end of an alternative; a frame still waiting here lacks its rule.
    if (type_of(&rule_cells()[rule_height() - 1]) != T_BLOCK) {
        const Cell* before = rule_at(e, rule_pos(e) - 1);
        fail_end(before ? before : &e.rules);
    }
    e.result = true;
    return Step::kPopBlock;
}

Step dispatch(Engine& e, const Cell* rule) {
    Cell v = *rule;
    switch (type_of(&v)) {
    case T_BLOCK:
        return push_block(e, &v);
    case T_PAREN:
        if (!parse_eval_paren(e, &v, nullptr)) return Step::kExit;
        e.result = true;
        return Step::kCheck;
    case T_SET_WORD: {
        Cell here = input_at(e, e.pos);
        context_set(&v, &here);
        e.result = true;
        return Step::kCheck;
    }
    case T_GET_WORD: {
        Cell target = *context_get(&v);
        if (!same_series(e, &target)) fail_invalid_ref(&v);
        int32_t index = series_index(&target);
        uint32_t tail = input_tail(e);
        e.pos = index < 0 ? 0 : (static_cast<uint32_t>(index) > tail ? tail : index);
        e.result = true;
        return Step::kCheck;
    }
    case T_INTEGER:
        return counted(e, &v);
    case T_WORD: {
        Kw k = keyword_of(&v);
        if (k != Kw::kNotKeyword) return run_keyword(e, k, &v);
        Cell value = word_rule_value(&v);
        if (type_of(&value) == T_BLOCK) return push_block(e, &value);
        return terminal(e, &value);
    }
    case T_PATH:
        fail_rule(&v);
    default:
        return terminal(e, &v);
    }
}

uint32_t skip_rule(const Engine& e, uint32_t index) {
    uint32_t tail = block_buffer_length(&e.rules);
    // Prefix keywords chain: each loop step passes one of them.
    while (index < tail) {
        Cell v = *block_cell_at(&e.rules, index);
        if (type_of(&v) == T_INTEGER) {
            index++;
            if (index < tail && type_of(block_cell_at(&e.rules, index)) == T_INTEGER) index++;
            continue;
        }
        const Cell* next = index + 1 < tail ? block_cell_at(&e.rules, index + 1) : nullptr;
        Kw next_kw = next ? keyword_of(next) : Kw::kNotKeyword;
        switch (keyword_of(&v)) {
        case Kw::kAny:
        case Kw::kSome:
        case Kw::kOpt:
        case Kw::kNot:
        case Kw::kAhead:
        case Kw::kWhile:
        case Kw::kTo:
        case Kw::kThru:
        case Kw::kRemove:
            index += 1;
            continue;
        case Kw::kCopy:
        case Kw::kSet:
        case Kw::kCase:
            index += 2;
            continue;
        case Kw::kKeep:
            if (next && type_of(next) == T_PAREN) return index + 2;
            index += next_kw == Kw::kPick ? 2 : 1;
            continue;
        case Kw::kCollect:
            index += next_kw == Kw::kSet || next_kw == Kw::kInto || next_kw == Kw::kAfter ? 3 : 1;
            continue;
        case Kw::kInto:
        case Kw::kQuote:
        case Kw::kIf:
            return index + 2;
        case Kw::kInsert:
            return index + (next_kw == Kw::kOnly ? 3 : 2);
        case Kw::kChange:
            index += next_kw == Kw::kOnly ? 2 : 1;
            return skip_rule(e, index) + 1;
        default:
            return index + 1;
        }
    }
    return tail;
}

} // namespace xel::parse

namespace xel {

using namespace parse;

bool parse_eval_paren(Engine& e, const Cell* paren, Cell* value) {
    Cell code = *paren;
    Cell* mark = g_stack_top;
    if (interp_eval_block(&code, false).exit_pending()) return false;
    Cell result = *mark;
    g_stack_top = mark;
    if (value) *value = result;
    if (e.tracing) parse_fire_event(e, Event::kParen);
    return true;
}

} // namespace xel
