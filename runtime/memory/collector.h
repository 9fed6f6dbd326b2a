// The mark-and-compact collector of series memory. It marks from the run-time's
// roots, from the registered root callbacks and from the machine stack, then
// slides live buffers down their frames, frees dead big blocks and gives dead
// nodes back to their frames. Before marking it may empty sparse node frames
// by moving their nodes (node compaction); marking then rewrites every node
// slot it passes through the relocation map.
//
// The machine stack (from the current stack pointer up to
// g_runtime.stack_base) and the saved registers are scanned conservatively at
// 4-byte steps: a word holding a live node keeps its series alive; a word
// pointing into a series buffer keeps that buffer alive and pins it, so it is
// not moved in that collection. The start-up sets g_runtime.stack_base; while
// it is 0 (GoogleTest tests that call runtime_init directly) a collection
// takes the top of the running thread's stack.
//
// Node compaction never moves a node that the stack refers to, but every node
// kept outside the arena (C++ globals and heap memory) must be reachable
// through a root: the module that keeps it registers, at its own init, a root
// callback that marks it with the functions below. What a cell refers to is
// marked by its datatype's marker, given when the type is registered.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/memory/series-memory.h"

namespace xel {

using RootCallback = void (*)();

// Empties the root callback list; runs right after memory_init, before any
// module registers its roots.
void collector_reset();
// Counters 0, the torture switch (g_collector_torture) set when the
// environment variable XEL_GC_TORTURE is 1, and the collection installed as
// g_collect; the last step of the run-time init.
void collector_init();

// Node compaction's torture: every collection moves each node that the
// machine stack does not hold to a frame of its own, whether its frame is
// sparse or not, so a reference that marking does not rewrite names a freed
// node at once. Set by collector_init from XEL_GC_TORTURE_NODES.
extern bool g_move_every_node;

// One full collection, whether collection is enabled or not; never nested.
void collector_collect();
// True while a collection runs.
bool collector_active();

// The roots: callbacks run in order of registration; registering twice calls
// twice; removing clears the first matching entry (the list keeps its length).
// A module registers the cells and nodes it keeps at its own init:
//   collector_add_root_callback([] { hash_mark(&g_symbol_table); });
void collector_add_root_callback(RootCallback callback);
void collector_remove_root_callback(RootCallback callback);

// How the cells of one datatype mark what they refer to. Every registered
// type gives one; kMarksNothing for a type whose cells name no series.
using CellMarker = void (*)(Cell* cell);
constexpr CellMarker kMarksNothing = nullptr;
void collector_set_marker(uint8_t type, CellMarker marker);

// Marking, for root callbacks. Each takes the address of the slot holding a
// node, so that a node moved by node compaction is rewritten in place. A slot
// holding 0 or no live node marks nothing.
// collector_mark_series: true when the series was not marked yet. A series
// of cells has its cells from head to tail marked too, whichever slot named
// it first (a stale cell may name a block as a string or a record).
bool collector_mark_series(Offset* node);
void collector_unmark_series(Offset node);
// The same, for slots that hold blocks.
void collector_mark_block_node(Offset* node);
// The context series with its two cells: the word table, the values block
// (unless the values live on the argument stack) and the self cell.
void collector_mark_context(Offset* ctx);
// What each cell of [first, end) refers to, by datatype.
void collector_mark_cells(Cell* first, Cell* end);
// A hash table: its record, flags and keys, the kind's own series, and the
// table's block with its cells.
void hash_mark(Offset* table);
// A table whose entries do not keep what they name (its owner sweeps them):
// its record, flags, keys and entries block; never followed as a table.
void collector_mark_weak_table(Offset* table);
// Marks a record's series; true once per collection, when its fields are
// to be followed (a live record reached first by a path that did not know it
// as a record may already have marked its series). A stale slot may name a
// node now holding a record of another kind: only a record that is_shape
// accepts is claimed, so the marker of its own kind still follows it.
bool collector_follow_record(Offset* node, bool (*is_shape)(Offset node));
// The buffer of a live node, or null when the address is no node in use.
SeriesBuf* collector_live_buffer(Offset node);
// For a sweep after marking: rewrites the slot through node compaction's map
// and answers its series' buffer when it is live and marked, else null.
SeriesBuf* collector_marked_buffer(Offset* node);
// The node a slot stands for after node compaction (for structures outside
// the arena that relocate their own slots).
Offset collector_relocated(Offset node);
// The cells of a live cell series from head to tail and their count, else
// null: a record named by a slot that may be stale is checked before it is read.
Cell* collector_record_cells(Offset node, uint32_t* count);

} // namespace xel
