// collect and keep: each collect gathers into a new block on the argument
// stack, which keep appends to; the block ends up in an enclosing collect, in
// a word, inserted into a target series, or as the result of parse.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/stack/stack.h"

namespace xel::parse {

namespace {

constexpr uint32_t kModeMask = 3;
constexpr uint32_t kOuterShift = 2;

void keep_value(const Engine& e, const Cell* value) {
    Cell v = *value;
    cell_clear_new_line(&v);
    block_append_copy(g_stack_base + e.collect_slot, &v);
}

// The target of collect into/after: a series the input's values fit into,
// other than the input itself.
Cell collect_target(const Engine& e, const Cell* word) {
    Cell target = *context_get(word);
    uint8_t t = type_of(&target);
    bool fits =
        e.kind == InputKind::kBlock ? is_block_kind(t) : (is_string_kind(t) || t == T_BINARY);
    if (!fits) fail_into_type();
    if (series_same_buffer(&target, &e.input)) fail_into_bad();
    return target;
}

} // namespace

Step collect_begin(Engine& e, const Cell* word) {
    const Cell* next = rule_at(e, rule_pos(e));
    if (!next) fail_end(word);
    uint32_t mode = kCollectPlain;
    switch (keyword_of(next)) {
    case Kw::kSet:
        mode = kCollectSet;
        break;
    case Kw::kInto:
        mode = kCollectInto;
        break;
    case Kw::kAfter:
        mode = kCollectAfter;
        break;
    default:
        break;
    }
    Cell target_word = g_none_cell;
    Cell target = g_none_cell;
    if (mode != kCollectPlain) {
        rule_advance(e);
        const Cell* w = rule_at(e, rule_pos(e));
        if (!w || type_of(w) != T_WORD) fail_end(word);
        target_word = *w;
        rule_advance(e);
        if (mode != kCollectSet) target = collect_target(e, &target_word);
    }
    need_rule(e, word);
    Cell gathered;
    block_make_at(&gathered, 8);
    Cell* slot = stack_push(&gathered);
    auto index = static_cast<int32_t>(slot - g_stack_base);
    uint32_t extra = mode | static_cast<uint32_t>(e.collect_slot + 1) << kOuterShift;
    e.collect_slot = index;
    Step step = push_frame(e, kCollect, extra, &target_word, &target);
    frame_set_slot(rule_cells() + rule_height() - kFrameCells, static_cast<uint32_t>(index));
    return step;
}

void collect_abandon(Engine& e, const Cell* frame) {
    g_stack_top = g_stack_base + frame_slot(frame);
    e.collect_slot = static_cast<int32_t>(frame_extra(frame) >> kOuterShift) - 1;
}

void collect_end(Engine& e, const Cell* frame) {
    Cell gathered = g_stack_base[frame_slot(frame)];
    collect_abandon(e, frame);
    if (!e.result) return;
    series_set_index(&gathered, 0);
    switch (frame_extra(frame) & kModeMask) {
    case kCollectSet: {
        Cell word = frame[kAux];
        context_set(&word, &gathered);
        break;
    }
    case kCollectInto:
    case kCollectAfter: {
        Cell target = frame[kBounds];
        actions_insert_typed(&target, &gathered, nullptr, false, nullptr);
        Cell word = frame[kAux];
        context_set(&word, &target);
        break;
    }
    default:
        if (e.collect_slot >= 0) {
            keep_value(e, &gathered);
        } else {
            e.collected = gathered;
            e.has_collected = true;
        }
        break;
    }
}

Step keep_begin(Engine& e, const Cell* word) {
    if (e.collect_slot < 0) fail_keep();
    need_rule(e, word);
    const Cell* next = rule_at(e, rule_pos(e));
    if (type_of(next) == T_PAREN) {
        Cell paren = *next;
        rule_advance(e);
        Cell value;
        if (!parse_eval_paren(e, &paren, &value)) return Step::kExit;
        keep_value(e, &value);
        e.result = true;
        return Step::kCheck;
    }
    uint32_t pick = 0;
    if (keyword_of(next) == Kw::kPick) {
        pick = 1;
        rule_advance(e);
        need_rule(e, word);
    }
    return push_frame(e, kKeep, pick, nullptr, nullptr);
}

void keep_end(Engine& e, const Cell* frame) {
    if (!e.result) return;
    uint32_t start = frame_start(frame);
    uint32_t from = start < e.pos ? start : e.pos;
    uint32_t to = start < e.pos ? e.pos : start;
    uint32_t tail = input_tail(e);
    if (to > tail) to = tail;
    if (from > to) from = to;
    if (frame_extra(frame)) {
        for (uint32_t i = from; i < to; i++) {
            Cell v = element_at(e, i);
            keep_value(e, &v);
        }
        return;
    }
    Cell kept = to - from == 1 ? element_at(e, from) : copy_part(e, from, to - from);
    keep_value(e, &kept);
}

} // namespace xel::parse
