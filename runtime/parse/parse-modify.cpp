// The rules that change the input: insert, remove and change, each at the
// position or over the part a rule matched, or from a position held by a
// word to the current one.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/symbols/fixed-words.h"

namespace xel::parse {

namespace {

// A word (or get-word) holding a position in the input's own series.
bool position_of(const Engine& e, const Cell* v, uint32_t* index) {
    uint8_t t = type_of(v);
    if (!(t == T_WORD && keyword_of(v) == Kw::kNotKeyword) && t != T_GET_WORD) return false;
    if (!word_context(v) || word_index(v) < 0) return false;
    Cell value = *context_get(v);
    if (!same_series(e, &value)) return false;
    int32_t i = series_index(&value);
    uint32_t tail = input_tail(e);
    *index = i < 0 ? 0 : (static_cast<uint32_t>(i) > tail ? tail : i);
    return true;
}

Cell count_cell(uint32_t n) {
    Cell c;
    set_integer(&c, static_cast<int32_t>(n));
    return c;
}

void remove_range(Engine& e, uint32_t from, uint32_t to) {
    uint32_t tail = input_tail(e);
    if (to > tail) to = tail;
    if (to > from) {
        Cell target = input_at(e, from);
        Cell part = count_cell(to - from);
        actions_remove_typed(&target, &part, nullptr);
    }
    e.pos = from;
}

void replace_range(Engine& e, uint32_t from, uint32_t to, Cell* value, bool only) {
    uint32_t tail = input_tail(e);
    if (to > tail) to = tail;
    if (from > to) from = to;
    Cell target = input_at(e, from);
    Cell part = count_cell(to - from);
    Cell after = *actions_change_typed(&target, value, &part, only, nullptr);
    e.pos = static_cast<uint32_t>(series_index(&after));
}

Step done(Engine& e) {
    e.result = true;
    if (e.tracing) parse_fire_event(e, Event::kMatch);
    return Step::kCheck;
}

} // namespace

bool action_value(Engine& e, const Cell* spec, Cell* out) {
    switch (type_of(spec)) {
    case T_PAREN:
        return parse_eval_paren(e, spec, out);
    case T_WORD:
        *out = *word_get_checked(spec);
        return true;
    case T_PATH:
        fail_rule(spec);
    default:
        *out = *spec;
        return true;
    }
}

Step insert_rule(Engine& e, const Cell* word) {
    uint32_t i = rule_pos(e);
    const Cell* next = rule_at(e, i);
    if (!next) fail_end(word);
    bool only = keyword_of(next) == Kw::kOnly;
    if (only && !(next = rule_at(e, ++i))) fail_end(word);
    if (type_of(next) == T_PATH) fail_rule(next);
    uint32_t where = e.pos;
    uint32_t position;
    if (rule_at(e, i + 1) && position_of(e, next, &position)) {
        where = position;
        next = rule_at(e, ++i);
        if (type_of(next) == T_PATH) fail_rule(next);
    }
    Cell spec = *next;
    set_rule_pos(e, i + 1);
    Cell value;
    if (!action_value(e, &spec, &value)) return Step::kExit;
    Cell target = input_at(e, where);
    Cell after = *actions_insert_typed(&target, &value, nullptr, only, nullptr);
    if (where <= e.pos) e.pos += static_cast<uint32_t>(series_index(&after)) - where;
    return done(e);
}

Step remove_begin(Engine& e, const Cell* word) {
    need_rule(e, word);
    const Cell* next = rule_at(e, rule_pos(e));
    if (type_of(next) == T_PATH) fail_rule(next);
    uint32_t position;
    if (position_of(e, next, &position)) {
        rule_advance(e);
        uint32_t from = position < e.pos ? position : e.pos;
        uint32_t to = position < e.pos ? e.pos : position;
        remove_range(e, from, to);
        return done(e);
    }
    return push_frame(e, kRemove, 0, nullptr, nullptr);
}

void remove_end(Engine& e, const Cell* frame) {
    if (!e.result) return;
    uint32_t start = frame_start(frame);
    if (e.pos > start)
        remove_range(e, start, e.pos);
    else
        e.pos = start;
}

Step change_begin(Engine& e, const Cell* word) {
    uint32_t i = rule_pos(e);
    const Cell* next = rule_at(e, i);
    if (!next) fail_end(word);
    bool only = keyword_of(next) == Kw::kOnly;
    if (only && !(next = rule_at(e, ++i))) fail_end(word);
    if (type_of(next) == T_PATH) fail_rule(next);
    uint32_t position;
    const Cell* after = rule_at(e, i + 1);
    if (after && position_of(e, next, &position)) {
        if (type_of(after) == T_PATH) fail_rule(after);
        Cell spec = *after;
        set_rule_pos(e, i + 2);
        Cell value;
        if (!action_value(e, &spec, &value)) return Step::kExit;
        uint32_t from = position < e.pos ? position : e.pos;
        uint32_t to = position < e.pos ? e.pos : position;
        replace_range(e, from, to, &value, only);
        return done(e);
    }
    if (is_bar(next)) fail_end(word);
    set_rule_pos(e, i);
    return push_frame(e, kChange, only ? 1 : 0, nullptr, nullptr);
}

bool change_end(Engine& e, const Cell* frame) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next) fail_end(g_word_change);
    if (type_of(next) == T_PATH) fail_rule(next);
    Cell spec = *next;
    rule_advance(e);
    if (!e.result) return true;
    Cell value;
    if (!action_value(e, &spec, &value)) return false;
    uint32_t start = frame_start(frame);
    uint32_t from = start < e.pos ? start : e.pos;
    uint32_t to = start < e.pos ? e.pos : start;
    replace_range(e, from, to, &value, frame_extra(frame) != 0);
    return true;
}

} // namespace xel::parse
