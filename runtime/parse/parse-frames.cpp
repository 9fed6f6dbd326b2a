// Ending rules: the result of a rule goes to the frame waiting for it (or,
// with none, to the rule block, which goes on, tries its next alternative or
// ends), and break and reject end the innermost repetition early.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/stack/stack.h"

namespace xel::parse {

namespace {

bool top_is_group() {
    return type_of(&rule_cells()[rule_height() - 1]) == T_BLOCK;
}

Step close_frame(Engine& e, uint32_t base) {
    rule_cut(base);
    if (e.tracing) parse_fire_event(e, Event::kPop);
    return Step::kCheck;
}

// any, some, opt, counts and while after a run of their rule.
Step end_iteration(Engine& e, uint32_t base, const Cell* f) {
    uint32_t min = frame_min(f);
    uint32_t count = frame_count(f);
    uint32_t max = frame_max(f);
    uint32_t start = frame_start(f);
    if (e.result) {
        uint32_t tail = input_tail(e);
        bool stuck = frame_kind(f) == kIterate && e.pos == start && tail >= frame_tail(f);
        if (!(max != kNoMaximum && count >= max) && !stuck) {
            Cell* frame = rule_cells() + base;
            frame_set_count(frame, count + 1);
            frame_set_start(frame, e.pos, tail);
            set_rule_pos(e, frame_rule(frame));
            if (e.tracing) parse_fire_event(e, Event::kIterate);
            return Step::kFetch;
        }
        e.result = count >= min;
    } else {
        e.pos = start;
        e.result = count - 1 >= min;
    }
    return close_frame(e, base);
}

// to and thru with a sub-rule: tried at each position in turn.
Step end_search(Engine& e, uint32_t base, const Cell* f) {
    uint32_t attempt = frame_start(f);
    if (e.result) {
        if (frame_kind(f) == kTo) e.pos = attempt;
        return close_frame(e, base);
    }
    if (attempt >= input_end(e)) {
        e.pos = frame_search_origin(f);
        return close_frame(e, base);
    }
    Cell* frame = rule_cells() + base;
    frame_set_start(frame, attempt + 1, frame_tail(frame));
    e.pos = attempt + 1;
    set_rule_pos(e, frame_rule(frame));
    return Step::kFetch;
}

void end_copy(Engine& e, const Cell* f) {
    uint32_t start = frame_capture_start(f);
    uint32_t from = start < e.pos ? start : e.pos;
    uint32_t to = start < e.pos ? e.pos : start;
    uint32_t tail = input_tail(e);
    if (to > tail) to = tail;
    if (from > to) from = to;
    Cell copy = copy_part(e, from, to - from);
    Cell word = f[kAux];
    context_set(&word, &copy);
}

void end_set(Engine& e, const Cell* f) {
    uint32_t start = frame_capture_start(f);
    Cell value = g_none_cell;
    if (e.pos > start && start < input_tail(e)) value = element_at(e, start);
    Cell word = f[kAux];
    context_set(&word, &value);
}

void end_into(Engine& e, const Cell* f) {
    bool consumed = e.pos >= input_tail(e);
    input_cut(input_height() - 1);
    set_input(e, &input_cells()[input_height() - 1]);
    e.pos = frame_start(f);
    if (e.result && consumed)
        e.pos++;
    else
        e.result = false;
}

// A frame left by break or reject: only what it holds outside the rule
// stack needs undoing.
void abandon(Engine& e, const Cell* f) {
    switch (frame_kind(f)) {
    case kInto:
        input_cut(input_height() - 1);
        set_input(e, &input_cells()[input_height() - 1]);
        e.pos = frame_start(f);
        break;
    case kCollect:
        collect_abandon(e, f);
        break;
    case kCase:
        e.strict = frame_extra(f) != 0;
        break;
    default:
        break;
    }
}

} // namespace

Step check_pending(Engine& e) {
    if (!top_is_group()) return pop_frame(e);
    if (e.result) return Step::kFetch;
    // The alternative failed: the next one starts after the next bar, from
    // the block's entry position.
    uint32_t tail = block_buffer_length(&e.rules);
    for (uint32_t i = rule_pos(e); i < tail; i++) {
        if (is_bar(block_cell_at(&e.rules, i))) {
            set_rule_pos(e, i + 1);
            e.pos = group_entry(rule_cells() + rule_height() - kGroupCells);
            return Step::kFetch;
        }
    }
    return Step::kPopBlock;
}

Step pop_block(Engine& e) {
    uint32_t height = rule_height() - kGroupCells;
    if (!e.result) e.pos = group_entry(rule_cells() + height);
    rule_cut(height);
    if (e.tracing) parse_fire_event(e, Event::kPop);
    if (height == e.rule_base) return Step::kFinish;
    find_group(e, height);
    return Step::kCheck;
}

Step pop_frame(Engine& e) {
    uint32_t base = rule_height() - kFrameCells;
    Cell f[kFrameCells];
    for (uint32_t i = 0; i < kFrameCells; i++)
        f[i] = rule_cells()[base + i];
    switch (frame_kind(f)) {
    case kIterate:
    case kWhile:
        return end_iteration(e, base, f);
    case kTo:
    case kThru:
        return end_search(e, base, f);
    case kCopy:
        if (e.result) end_copy(e, f);
        break;
    case kSet:
        if (e.result) end_set(e, f);
        break;
    case kNot:
        e.result = !e.result;
        e.pos = frame_start(f);
        break;
    case kAhead:
        e.pos = frame_start(f);
        break;
    case kInto:
        end_into(e, f);
        break;
    case kRemove:
        remove_end(e, f);
        break;
    case kCollect:
        collect_end(e, f);
        break;
    case kKeep:
        keep_end(e, f);
        break;
    case kChange:
        if (!change_end(e, f)) return Step::kExit;
        break;
    case kCase:
        e.strict = frame_extra(f) != 0;
        break;
    default:
        break;
    }
    return close_frame(e, base);
}

Step break_loop(Engine& e, bool matched) {
    // The innermost repetition of this call; without one the keyword only
    // matches (break) or fails (reject).
    Cell* cells = rule_cells();
    uint32_t height = rule_height();
    uint32_t loop = 0;
    while (height > e.rule_base) {
        if (type_of(&cells[height - 1]) == T_BLOCK) {
            height -= kGroupCells;
            continue;
        }
        uint32_t kind = frame_kind_below(&cells[height - 1]);
        if (kind == kIterate || kind == kWhile) {
            loop = height;
            break;
        }
        height -= kFrameCells;
    }
    if (!loop) {
        e.result = matched;
        if (e.tracing) parse_fire_event(e, Event::kMatch);
        return Step::kCheck;
    }
    while (rule_height() > loop) {
        uint32_t top = rule_height();
        if (type_of(&rule_cells()[top - 1]) == T_BLOCK) {
            rule_cut(top - kGroupCells);
            continue;
        }
        Cell f[kFrameCells];
        for (uint32_t i = 0; i < kFrameCells; i++)
            f[i] = rule_cells()[top - kFrameCells + i];
        abandon(e, f);
        rule_cut(top - kFrameCells);
    }
    uint32_t base = loop - kFrameCells;
    find_group(e, base);
    const Cell* f = rule_cells() + base;
    uint32_t min = frame_min(f);
    uint32_t count = frame_count(f);
    if (matched) {
        e.result = count >= min;
    } else {
        e.pos = frame_start(f);
        e.result = count - 1 >= min;
    }
    set_rule_pos(e, skip_rule(e, frame_rule(f)));
    return close_frame(e, base);
}

} // namespace xel::parse
