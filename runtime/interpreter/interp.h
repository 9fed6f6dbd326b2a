// The interpreter: walks a block one expression at a time, calls natives,
// actions, routines and functions with the arguments their specs ask for,
// handles infix operators and paths, and reports its steps to a tracer.
//
// Positions are cell pointers into the block under evaluation. A buffer that
// expands while it is evaluated leaves its old copy in place until the next
// compaction, and the collector pins buffers that the machine stack points
// into, so a position stays readable for the whole walk.
//
// Every function here returns at once, without touching the stacks, while a
// break, continue, return, exit or throw is pending, and says so in its
// Evaluated result, which the caller must look at (runtime/stack/exits.h).
#pragma once
#include <csignal>
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/stack/exits.h"

namespace xel {

// apply modes of interp_eval_code.
enum ApplyMode : int {
    kApplyNone = 0,
    kApplyAll = 1,
    kApplyPlain = 2,
    kApplySafer = 4,
};

// The script code under evaluation (the innermost block that is not the
// library's), its index at the expression being evaluated.
extern Cell g_current_code;
// That code as a block at the expression: what an error raised now is near.
// False when no script code is being evaluated.
bool interp_code_near(Cell* out);

// The evaluator's fast paths: operators on numbers computed in place,
// arguments pushed without a round through the evaluator, calls gathered by
// a lean walk, set-words stored inline. On unless XEL_INTERP_FAST=0, which
// leaves the generic evaluator (the reference) to do everything.
extern bool g_interp_fast;

// Set by the text console's Ctrl+C handler: the evaluation stops before its
// next expression as halt stops it, when a catch is there to take it.
extern volatile std::sig_atomic_t g_interrupt_requested;

void interp_init();

// Evaluates all of a block in an eval frame named <body>. pass: the last
// value is copied into the caller's result slot; else it is left pushed as
// the caller's last value. branch: a block that most often holds one plain
// value (either's branches), taken without the loop when it does.
template <bool Pass, bool Branch = false> Evaluated<> interp_walk(Cell* block);
// Every caller names pass as a constant: each walk is compiled for its own
// frame pop.
inline Evaluated<> interp_eval_block(Cell* block, bool pass) {
    return pass ? interp_walk<true>(block) : interp_walk<false>(block);
}

// Evaluates one expression from pos (before end) and returns the position
// after it. keep: the value is pushed; else it becomes the current result
// (stack_set_last_keep). no_infix: no operator may follow (right operands).
// literal_functions: a function value met in the code is a value, not a call.
Evaluated<Cell*> interp_eval_expression(Cell* pos, Cell* end, Cell* code, bool no_infix, bool keep,
                                        bool literal_functions);

// Calls a native!, action!, routine! or function! whose arguments start at
// pos; leaves the result pushed where the call began and returns the position
// after the arguments. name names the frame (a word!, or a path whose further
// elements are the call's refinements).
Evaluated<Cell*> interp_eval_code(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                  const Cell* name, int mode, bool infix);

// Calls a function! whose arguments fill the current frame (a function frame).
Evaluated<> interp_call_function(const Cell* fn);
// Calls a routine!'s code with the arguments of the current frame; its
// result becomes the frame's last value.
Evaluated<> interp_exec_routine(const Cell* fn);

// Evaluates a path (read, set or get mode) starting at pos; pushes its value.
// For a set-path the value to set is evaluated from pos + 1 first.
Evaluated<Cell*> interp_eval_path(Cell* pos, Cell* end, Cell* code, bool set, bool get);

// Evaluates one expression at the block's index and returns the next index;
// at the tail stores unset! and returns the index unchanged.
Evaluated<int32_t> interp_do_next(Cell* block);

} // namespace xel
