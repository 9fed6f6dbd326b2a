// Plans: a pre-scanned form of a block, made at its second evaluation (or
// its first under XEL_PLANS=1) and kept in a table beside the series, keyed
// by the block's node; two flags of the block's buffer say whether it was
// planned, so a walk of a block with nothing to plan pays one test. A plan
// holds one step per expression it can take faster than the evaluator;
// every other expression is left to the evaluator, which stays the
// reference. Its steps are number statements (a set-word, or none, and a
// chain of operators on numbers), which run no code, and calls of natives
// and actions by word, which run alone.
//
// A step trusts the block to hold the cells it was built from: every write
// of cells already in a block (changed, moved, cut or rebound) drops the
// block's plan through plan_note_write, so a step runs without comparing
// its cells (the sanitizer build still compares them, to catch a write that
// forgot). Cells appended at the tail leave the steps as they are. A step
// runs with the fast paths on and tracing off, and only when each word it
// reads still has a value of the kind it was built for. On any mismatch the
// evaluator takes the expression, and nothing has happened yet: a step
// changes nothing before it stores its result. Plans are dropped at every
// collection (nodes and buffers move) and at every write; a walk notices a
// plan dropped under it at its next expression.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

// XEL_PLANS=0: never plan; 1: plan every block at its first evaluation;
// by default a block is planned at its second.
enum PlanMode : int { kPlansOff = 0, kPlansForced = 1, kPlansDefault = 2 };
extern int g_plan_mode;

constexpr uint32_t kPlanState = kFlagPlanSeen | kFlagPlanned;

struct PlanStep;
struct Plan {
    uint32_t cells; // the block's length when built
    // For each cell index, 1 + the step that starts there, or 0.
    uint16_t* step_at;
    PlanStep* steps;
};

struct PlanSlot {
    Offset node; // 0: free
    uint32_t serial;
    Plan* plan;
};
constexpr uint32_t kPlanSlots = 4096; // a power of two
extern PlanSlot g_plan_slots[kPlanSlots];

// A running walk's hold on its block's plan: checked before each use.
struct PlanHold {
    PlanSlot* slot = nullptr;
    uint32_t serial = 0;
};

void plan_init();

PlanHold plan_find_or_build(SeriesBuf* buf, const Cell* head, const Cell* tail);

// The plan of the block in buf, whose cells run from head to tail, built
// when this evaluation earns it. An empty hold when the block has none
// (yet).
inline PlanHold plan_for(SeriesBuf* buf, const Cell* head, const Cell* tail) {
    uint32_t state = buf->flags & kPlanState;
    if (state == kPlanState) return {}; // nothing to plan
    if (state == kFlagPlanned) {
        PlanSlot* s = &g_plan_slots[(buf->node >> 2) & (kPlanSlots - 1)];
        if (s->node == buf->node && s->plan) [[likely]]
            return {s, s->serial};
    }
    return plan_find_or_build(buf, head, tail);
}

void plan_drop_written(SeriesBuf* buf);

// Called before cells already in a block's buffer are written in place,
// moved or cut: drops the block's plan. One test when it has none. A buffer
// the block grew into keeps the flag, so a write there drops it as well.
inline void plan_note_write(SeriesBuf* buf) {
    if ((buf->flags & kPlanState) == kFlagPlanned) [[unlikely]]
        plan_drop_written(buf);
}

// What a run of steps did: the position after it (nullptr when the evaluator
// must take the expression, nothing done then), and whether it ran code (a
// call step, which runs alone): then an exit may be pending, and the block
// may have been written.
struct PlanRun {
    Cell* after = nullptr;
    bool ran_code = false;
};

PlanRun plan_run(PlanSlot* slot, uint32_t step, Cell* pos, Cell* end, Cell* code);

// Runs the step that starts at pos, and those that follow it, leaving the
// last one's value as the current result. head is the first cell of the
// buffer the walk runs in, end the walk's end, code the block it walks.
inline PlanRun plan_step(PlanHold hold, const Cell* head, Cell* pos, Cell* end, Cell* code) {
    if (hold.slot->serial != hold.serial) return {};
    const Plan* plan = hold.slot->plan;
    auto index = static_cast<uint32_t>(pos - head);
    if (index >= plan->cells || !plan->step_at[index]) return {};
    return plan_run(hold.slot, plan->step_at[index] - 1u, pos, end, code);
}

} // namespace xel
