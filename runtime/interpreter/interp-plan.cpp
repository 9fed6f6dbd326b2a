#include "runtime/interpreter/interp-plan.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/actions/fast-paths.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/interpreter/interp-native-call.h"
#include "runtime/interpreter/interp-operators.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/memory/collector.h"
#include "runtime/stack/stack.h"

namespace xel {

int g_plan_mode = kPlansDefault;

// Blocks longer than this are left to the evaluator: a step's start is
// kept in 16 bits.
constexpr uint32_t kMaxPlannedCells = 0xFFFF;
constexpr int kMaxOperators = 3;
constexpr int kMaxStepCells = 2 + 2 * kMaxOperators;

// Where a word of a step found its value: the context cell, the values
// reference and kind it was resolved under, and the value cell then. While
// the context holds the same values, the cell is the same; the addresses
// stand until a buffer moves (PlanStep::moves) or a collection drops the plan.
// A global or object context never takes its values from the stack and keeps
// its values block (only a function's context is pointed at a call's frame),
// so a word of one has a fixed cell and is read without a check.
struct PlanWordRef {
    const Cell* ctx;
    uint32_t values;
    uint32_t header;
    int32_t index;
    Cell* value;
    bool fixed;
    // For an operator: the op! it read last and that op's case on numbers.
    uint32_t op_header;
    uint32_t op_number;
    int code;
};

// A native or action called by a word, with its leading arguments: at most
// this many, each a word or a value that evaluates to itself.
constexpr int kMaxCallArguments = 3;

// A number statement: an optional set-word, an operand (a word or a number)
// and one to kMaxOperators operators, each with its operand. Or a call
// statement: the word of a native or action and its arguments, the value the
// word had (the step runs only while it has it) and a copy of the typeset of
// each argument whose type is checked.
struct PlanStep {
    uint8_t cells;
    bool set;
    bool call;
    uint8_t typed; // a bit per argument of a call checked against its typeset
    // 1 + the step that starts where this one ends, or 0.
    uint16_t next;
    uint32_t moves; // g_buffer_moves when the references were resolved
    PlanWordRef refs[kMaxStepCells];
    Cell source[kMaxStepCells];
    Cell callee;
    Cell typesets[kMaxCallArguments];
};

PlanSlot g_plan_slots[kPlanSlots];

namespace {

uint32_t g_serial = 0;

void drop(PlanSlot* s) {
    if (s->plan) {
        delete[] s->plan->step_at;
        delete[] s->plan->steps;
        delete s->plan;
    }
    s->plan = nullptr;
    s->serial = ++g_serial;
}

// Nodes and buffers move: every plan goes. Runs with the collector's roots,
// before anything moves.
void drop_all() {
    for (PlanSlot& s : g_plan_slots) {
        if (s.node) drop(&s);
        s.node = 0;
    }
}

inline bool operand_cell(const Cell* c) {
    uint8_t t = type_of(c);
    return t == T_WORD || t == T_INTEGER || t == T_FLOAT;
}

// A word whose value now is an op! with a case on numbers.
bool number_op_word(const Cell* c) {
    if (type_of(c) != T_WORD) return false;
    const Cell* v = context_peek_fast(c);
    return v && type_of(v) == T_OP && infix_number_code(v) >= 0;
}

// A word bound to a function's context, whose value is in the running
// call's frame.
bool function_word(const Cell* c) {
    return type_of(c) == T_WORD && word_context(c) &&
           context_kind(word_context(c)) == kContextFunction;
}

// The cells of the number statement at p, 0 when none starts there.
uint32_t statement_cells(const Cell* p, const Cell* tail) {
    // Setting an object's field notifies.
    bool set = type_of(p) == T_SET_WORD;
    if (set && word_context(p) && context_kind(word_context(p)) == kContextObject) return 0;
    const Cell* q = set ? p + 1 : p;
    if (q >= tail || !operand_cell(q)) return 0;
    // Without a set-word, the evaluator's inline path is as fast as a step
    // that finds a word in a call's frame.
    bool frame = function_word(q);
    q++;
    int operators = 0;
    while (q + 1 < tail && number_op_word(q) && operand_cell(q + 1)) {
        if (++operators > kMaxOperators) return 0;
        frame |= function_word(q + 1);
        q += 2;
    }
    if (!set && frame) return 0;
    return operators ? static_cast<uint32_t>(q - p) : 0;
}

// The cells of the call statement at p, 0 when none starts there: a word
// whose value is a native or action (not either, which has its own path)
// whose argument list has a lean shape already worked out (nothing is built
// here: building allocates), then its arguments, each a word or a value that
// evaluates to itself. The callee and the typesets to check go to step.
uint32_t call_cells(const Cell* p, const Cell* tail, PlanStep* step) {
    if (type_of(p) != T_WORD) return 0;
    const Cell* fn = context_peek_fast(p);
    if (!fn || (type_of(fn) != T_NATIVE && type_of(fn) != T_ACTION)) return 0;
    if (type_of(fn) == T_NATIVE && native_entry(fn) == kNativeEither) return 0;
    const Cell* record = function_record(fn);
    uint32_t shape = interp_known_shape(record);
    int n = shape_leading(shape);
    if (!(shape & kShapeLean) || n < 1 || n > kMaxCallArguments || tail - p <= n) return 0;
    for (int i = 1; i <= n; i++)
        if (type_of(p + i) != T_WORD && !is_inert(type_of(p + i))) return 0;
    step->callee = *fn;
    step->typed = 0;
    const Cell* entries = interp_cached_entries(record);
    for (int i = 0; i < n; i++) {
        step->typesets[i] = entries[i];
        if (shape_typed(shape, i)) step->typed |= static_cast<uint8_t>(1u << i);
    }
    return static_cast<uint32_t>(n + 1);
}

// The header bits a value reference is read under.
constexpr uint32_t kRefHeader = kContextStackValues | kContextKindMask;

// Resolves a word of the block to its value cell now; a word the fast
// read does not take gets no context and is always left to the evaluator.
void resolve(PlanWordRef* r, const Cell* word) {
    *r = PlanWordRef{nullptr, 0, 0, 0, nullptr, false, 0, 0, -1};
    Offset ctx = word_context(word);
    int32_t index = word_index(word);
    if (!ctx || index < 0) return;
    r->ctx = context_cell(ctx);
    r->index = index;
    r->values = context_cell_values(r->ctx);
    r->header = r->ctx->header & kRefHeader;
    r->value = context_peek_fast(word);
    r->fixed = r->value && (r->header & kContextKindMask) >> kContextKindShift != kContextFunction;
}

void resolve_step(PlanStep* step) {
    for (uint32_t i = 0; i < step->cells; i++)
        if (type_of(&step->source[i]) == T_WORD || type_of(&step->source[i]) == T_SET_WORD)
            resolve(&step->refs[i], &step->source[i]);
    step->moves = g_buffer_moves;
}

[[gnu::noinline]] Cell* resolve_again(PlanWordRef* r, const Cell* word) {
    resolve(r, word);
    return r->value;
}

// The value cell of a step's word, or nullptr where the evaluator must look.
// A function's words read the frame of the call running now.
inline Cell* word_value(PlanWordRef* r, const Cell* word) {
    const Cell* c = r->ctx;
    if (r->fixed) {
        XEL_ASSERT((c->header & kRefHeader) == r->header && context_cell_values(c) == r->values);
        return r->value;
    }
    if (!c) [[unlikely]]
        return nullptr;
    uint32_t values = context_cell_values(c);
    if ((c->header & kRefHeader) == r->header) {
        if (values == r->values) return r->value;
        if (r->header & kContextStackValues && values) return at<Cell>(values) + r->index;
    }
    return resolve_again(r, word);
}

// Whether the cell follows the word of a function, whose argument it would
// be: no expression starts there (when one does, the evaluator takes it).
bool argument_of_call(const Cell* head, const Cell* c) {
    if (c == head || type_of(c - 1) != T_WORD) return false;
    const Cell* v = context_peek_fast(c - 1);
    return v && is_callable(type_of(v));
}

Plan* build(const Cell* head, const Cell* tail) {
    auto cells = static_cast<uint32_t>(tail - head);
    if (cells > kMaxPlannedCells) return nullptr;
    // Steps may overlap: only the walk knows where its expressions start.
    std::vector<uint32_t> starts;
    std::vector<PlanStep> steps;
    for (uint32_t i = 0; i < cells; i++) {
        if (argument_of_call(head, head + i)) continue;
        PlanStep s{};
        uint32_t n = statement_cells(head + i, tail);
        if (!n) {
            n = call_cells(head + i, tail, &s);
            s.call = n != 0;
        }
        if (!n) continue;
        s.cells = static_cast<uint8_t>(n);
        s.set = type_of(head + i) == T_SET_WORD;
        std::memcpy(static_cast<void*>(s.source), head + i, n * sizeof(Cell));
        resolve_step(&s);
        starts.push_back(i);
        steps.push_back(s);
    }
    if (steps.empty()) return nullptr;
    auto* plan = new Plan{cells, new uint16_t[cells](), new PlanStep[steps.size()]};
    for (size_t k = 0; k < steps.size(); k++) {
        plan->steps[k] = steps[k];
        plan->step_at[starts[k]] = static_cast<uint16_t>(k + 1);
    }
    for (size_t k = 0; k < steps.size(); k++) {
        uint32_t end = starts[k] + steps[k].cells;
        plan->steps[k].next = end < cells ? plan->step_at[end] : 0;
    }
    return plan;
}

// The case on numbers of the operator word a step reads, -1 when it has
// none; the last op! read and its case are kept.
inline int operator_code(PlanWordRef* r, const Cell* word) {
    const Cell* op = word_value(r, word);
    if (!op || type_of(op) != T_OP) return -1;
    if (op->header != r->op_header || native_entry(op) != r->op_number) [[unlikely]] {
        r->op_header = op->header;
        r->op_number = native_entry(op);
        r->code = infix_number_code(op);
    }
    return r->code;
}

// An operand's value as the fast operators read it: a number as it stands,
// or the value cell of a word (nullptr where the evaluator must look).
inline const Cell* operand_value(PlanWordRef* r, const Cell* c) {
    return type_of(c) == T_WORD ? word_value(r, c) : c;
}

} // namespace

void plan_init() {
    // A run-time started afresh in the process reuses the last one's nodes.
    drop_all();
    const char* mode = std::getenv("XEL_PLANS");
    if (mode && std::strcmp(mode, "0") == 0) g_plan_mode = kPlansOff;
    if (mode && std::strcmp(mode, "1") == 0) g_plan_mode = kPlansForced;
    collector_add_root_callback(drop_all);
}

PlanHold plan_find_or_build(SeriesBuf* buf, const Cell* head, const Cell* tail) {
    uint32_t state = buf->flags & kPlanState;
    if (state == 0 && g_plan_mode != kPlansForced) {
        buf->flags |= kFlagPlanSeen;
        return {};
    }
    // Earned. A slot that holds another block's plan keeps it until the
    // next collection: two blocks taking turns would build at every walk.
    PlanSlot* s = &g_plan_slots[(buf->node >> 2) & (kPlanSlots - 1)];
    if (s->plan && s->node != buf->node) return {};
    if (!s->plan) {
        s->plan = build(head, tail);
        if (!s->plan) {
            buf->flags |= kPlanState;
            return {};
        }
        s->node = buf->node;
    }
    buf->flags = (buf->flags & ~kPlanState) | kFlagPlanned;
    return {s, s->serial};
}

void plan_drop_written(SeriesBuf* buf) {
    PlanSlot* s = &g_plan_slots[(buf->node >> 2) & (kPlanSlots - 1)];
    if (s->node == buf->node && s->plan) drop(s);
    // Built again, from the cells then, at the block's next walk.
    buf->flags = (buf->flags & ~kPlanState) | kFlagPlanSeen;
}

namespace {

// Runs one step at pos: the position after it, or nullptr where the
// evaluator must take the statement (nothing done then).
[[gnu::always_inline]] inline Cell* run_step(PlanStep& step, Cell* pos, const Cell* end) {
    Cell* after = pos + step.cells;
    if (after > end) return nullptr;
    // Every write drops the plan first (plan_note_write).
    XEL_ASSERT(std::memcmp(pos, step.source, step.cells * sizeof(Cell)) == 0);
    if (step.moves != g_buffer_moves) [[unlikely]]
        resolve_step(&step);
    const Cell* p = pos;
    PlanWordRef* r = step.refs;
    Cell* target = nullptr;
    if (step.set) {
        target = word_value(r++, p++);
        if (!target) return nullptr;
    }
    const Cell* left = operand_value(r++, p++);
    if (!left) return nullptr;
    Cell result;
    for (; p < after; p += 2, r += 2) {
        int code = operator_code(r, p);
        const Cell* right = operand_value(r + 1, p + 1);
        if (code < 0 || !right) return nullptr;
        bool done = code < kInfixCompare
                        ? ops_math_try(code, left, right, &result)
                        : ops_compare_try(code - kInfixCompare, left, right, &result);
        if (!done) return nullptr;
        left = &result;
    }
    // An operator after the statement would take its value as its left
    // operand.
    if (after < end && type_of(after) == T_WORD) {
        const Cell* v = context_peek_fast(after);
        if (!v || type_of(v) == T_OP) return nullptr;
    }
    if (target) *target = result;
    stack_set_last_keep(&result);
    return after;
}

// Runs a call step at pos, as the first of its run: the call as lean_call
// makes it (its frame, the arguments pushed, the routine, the frame popped),
// then the statement's end as the walk's. Nothing is done, and the evaluator
// takes the statement, when the word has another value, an argument word one
// the evaluator would call or none, an argument's typeset refuses its value
// (the evaluator raises the error), an operator follows the last argument
// (it would take it as its left operand), or the stacks have not the room the
// call takes (the evaluator raises the overflow).
PlanRun run_call_step(PlanStep& step, Cell* pos, Cell* end, Cell* code) {
    Cell* after = pos + step.cells;
    if (after > end) return {};
    XEL_ASSERT(std::memcmp(pos, step.source, step.cells * sizeof(Cell)) == 0);
    int n = step.cells - 1;
    if (g_frames_top >= g_frames_end || g_stack_top + 1 + n >= g_stack_end) return {};
    if (step.moves != g_buffer_moves) [[unlikely]]
        resolve_step(&step);
    const Cell* fn = word_value(&step.refs[0], pos);
    if (!fn || std::memcmp(fn, &step.callee, sizeof(Cell)) != 0) return {};
    const Cell* values[kMaxCallArguments];
    for (int i = 0; i < n; i++) {
        const Cell* c = pos + 1 + i;
        const Cell* v = c;
        if (type_of(c) == T_WORD) {
            v = word_value(&step.refs[1 + i], c);
            // An unset! value is left to the evaluator whatever the list
            // takes, so only the typed arguments' sets were copied.
            if (!v || !word_pushes_value(type_of(v))) return {};
        }
        if ((step.typed >> i & 1) && !typeset_has(&step.typesets[i], type_of(v))) return {};
        values[i] = v;
    }
    if (after < end && infix_op_at(after)) return {};
    // The callee copied: a collection the routine runs drops the plan.
    Cell callee = step.callee;
    Cell* slot = stack_push(&callee);
    mark_lean_native_frame(pos);
    for (int i = 0; i < n; i++) {
        Cell* pushed = stack_push(values[i]);
        if (values[i] == pos + 1 + i) cell_clear_new_line(pushed);
    }
    run_native_inline(&callee);
    if (exit_pending()) return {after, true};
    lean_call_done(slot, code, after, pos);
    Evaluated<Cell*> next = statement_end(pos, after, end, code, slot);
    return {next.exit_pending() ? after : next.value(), true};
}

} // namespace

PlanRun plan_run(PlanSlot* slot, uint32_t k, Cell* pos, Cell* end, Cell* code) {
    XEL_ASSERT(slot->plan && slot->node);
    const Plan* plan = slot->plan;
    // A call runs code: it is a run of its own, and the walk looks at the
    // block and at a pending exit after it.
    if (plan->steps[k].call) return run_call_step(plan->steps[k], pos, end, code);
    // The evaluator pushes the first operand and checks for the room its
    // operator's call would need: an overflow is raised there. A step
    // pushes nothing, so the room stays for the steps after it.
    if (g_frames_top >= g_frames_end || g_stack_top + 2 >= g_stack_end) return {};
    // Steps that follow each other run here, without the walk between
    // them: a step raises no error, runs no code, allocates nothing and
    // leaves the plan as it is, so the walk would only have moved on.
    Cell* done = nullptr;
    while (Cell* after = run_step(plan->steps[k], pos, end)) {
        done = after;
        uint32_t next = plan->steps[k].next;
        if (!next || plan->steps[next - 1u].call) break;
        k = next - 1u;
        pos = after;
    }
    return {done, false};
}

} // namespace xel
