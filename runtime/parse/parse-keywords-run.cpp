// The keywords of the dialect: each reads the values it needs after it and
// either matches at once or pushes a frame for the rule that follows.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/stack/exits.h"

namespace xel::parse {

namespace {

Step matched(Engine& e, bool result) {
    e.result = result;
    if (e.tracing) parse_fire_event(e, Event::kMatch);
    return Step::kCheck;
}

Step to_thru(Engine& e, bool thru, const Cell* word) {
    need_rule(e, word);
    if (keyword_of(rule_at(e, rule_pos(e))) == Kw::kEnd) {
        rule_advance(e);
        e.pos = input_end(e);
        return matched(e, true);
    }
    Cell literal;
    if (terminal_next(e, &literal)) {
        rule_advance(e);
        return matched(e, find_literal(e, &literal, thru));
    }
    Cell bounds = record_cell(e.pos, 0, 0);
    return push_frame(e, thru ? kThru : kTo, 0, nullptr, &bounds);
}

// copy word rule, set word rule.
Step capture(Engine& e, uint32_t kind, const Cell* word) {
    const Cell* target = rule_at(e, rule_pos(e));
    if (!target || (type_of(target) != T_WORD && type_of(target) != T_SET_WORD) || is_bar(target))
        fail_end(word);
    Cell w = *target;
    rule_advance(e);
    need_rule(e, word);
    Cell start = input_at(e, e.pos);
    return push_frame(e, kind, 0, &w, &start);
}

// The rule block after into: directly or through a word.
Cell into_rule(const Engine& e, const Cell* word) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next) fail_end(word);
    Cell rule = *next;
    if (type_of(&rule) == T_WORD && keyword_of(&rule) == Kw::kNotKeyword)
        rule = word_rule_value(&rule);
    if (type_of(&rule) != T_BLOCK) fail_end(word);
    return rule;
}

Step into(Engine& e, const Cell* word) {
    if (e.kind != InputKind::kBlock) fail_block(&e.input);
    Cell rule = into_rule(e, word);
    rule_advance(e);
    if (e.pos >= input_end(e)) return matched(e, false);
    Cell item = element_at(e, e.pos);
    uint8_t t = type_of(&item);
    bool enterable = (is_series_kind(t) && t != T_IMAGE && t != T_VECTOR);
    if (!enterable) return matched(e, false);
    push_frame(e, kInto, 0, nullptr, nullptr);
    input_push(&item);
    set_input(e, &item);
    return push_block(e, &rule);
}

Step if_rule(Engine& e, const Cell* word) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next || type_of(next) != T_PAREN) fail_end(word);
    Cell paren = *next;
    rule_advance(e);
    Cell value;
    if (!parse_eval_paren(e, &paren, &value)) return Step::kExit;
    return matched(e, value_truth(&value));
}

Step quote(Engine& e, const Cell* word) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next) fail_end(word);
    Cell value = *next;
    rule_advance(e);
    return matched(e, match_terminal(e, &value, true));
}

// case word rule: the rule runs strict when the word's value is true.
Step case_rule(Engine& e, const Cell* word) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next || type_of(next) != T_WORD) fail_end(word);
    Cell mode_word = *next;
    rule_advance(e);
    need_rule(e, word);
    Cell mode = word_rule_value(&mode_word);
    bool strict = value_truth(&mode);
    Step step = push_frame(e, kCase, e.strict ? 1 : 0, nullptr, nullptr);
    e.strict = strict;
    return step;
}

// only, pick and after are keywords only after insert, change, keep and
// collect; elsewhere they are words like any other.
Step plain_word(Engine& e, const Cell* word) {
    Cell value = word_rule_value(word);
    if (type_of(&value) == T_BLOCK) return push_block(e, &value);
    return matched(e, match_terminal(e, &value, false));
}

} // namespace

Step repeat(Engine& e, uint32_t min, uint32_t max, uint32_t kind) {
    Cell literal;
    if (kind == kIterate && terminal_next(e, &literal)) {
        rule_advance(e);
        uint32_t count = parse_match_repeat(e, &literal, max);
        return matched(e, count >= min);
    }
    Cell bounds = record_cell(min, 1, max);
    return push_frame(e, kind, 0, nullptr, &bounds);
}

Step run_keyword(Engine& e, Kw k, const Cell* word) {
    switch (k) {
    case Kw::kSkip: {
        bool ok = e.pos < input_end(e);
        if (ok) e.pos++;
        return matched(e, ok);
    }
    case Kw::kAny:
        need_rule(e, word);
        return repeat(e, 0, kNoMaximum, kIterate);
    case Kw::kSome:
        need_rule(e, word);
        return repeat(e, 1, kNoMaximum, kIterate);
    case Kw::kOpt:
        need_rule(e, word);
        return repeat(e, 0, 1, kIterate);
    case Kw::kWhile:
        need_rule(e, word);
        return repeat(e, 0, kNoMaximum, kWhile);
    case Kw::kTo:
        return to_thru(e, false, word);
    case Kw::kThru:
        return to_thru(e, true, word);
    case Kw::kCopy:
        return capture(e, kCopy, word);
    case Kw::kSet:
        return capture(e, kSet, word);
    case Kw::kRemove:
        return remove_begin(e, word);
    case Kw::kBreak:
        return break_loop(e, true);
    case Kw::kReject:
        return break_loop(e, false);
    case Kw::kFail:
        return matched(e, false);
    case Kw::kKeep:
        return keep_begin(e, word);
    case Kw::kAhead:
        need_rule(e, word);
        return push_frame(e, kAhead, 0, nullptr, nullptr);
    case Kw::kNot:
        need_rule(e, word);
        return push_frame(e, kNot, 0, nullptr, nullptr);
    case Kw::kInto:
        return into(e, word);
    case Kw::kInsert:
        return insert_rule(e, word);
    case Kw::kChange:
        return change_begin(e, word);
    case Kw::kEnd:
        return matched(e, e.pos >= input_end(e));
    case Kw::kIf:
        return if_rule(e, word);
    case Kw::kQuote:
        return quote(e, word);
    case Kw::kCollect:
        return collect_begin(e, word);
    case Kw::kCase:
        return case_rule(e, word);
    case Kw::kNone:
        return matched(e, true);
    case Kw::kBar:
        fail_rule(word);
    default:
        return plain_word(e, word);
    }
}

} // namespace xel::parse
