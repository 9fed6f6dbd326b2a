// The parse engine's own records: the state of one parse call, the layout of
// the two shared stacks, the keywords, and the routines of each file.
//
// The rule stack holds, from the bottom:
// - for every rule block being run, a group of two cells: a position cell
//   (integer! header; word 2 the input index and word 3 the input length at
//   the block's entry), then the block itself, its index at the next rule;
// - for every pending rule, a frame of four cells: an aux cell (the target
//   word of copy, set and collect), a bounds cell (minimum, count, maximum of
//   a repetition; the input at the start of copy and set; the target series
//   of collect into/after), a position cell (word 1 the index of the rule
//   the frame runs, word 2 the input index and word 3 the input length at the
//   rule's start) and a kind cell (word 1 extra data, word 2 the kind).
// A block! cell on top means a group, an integer! cell a frame.
//
// The input stack holds the series being matched, one per open `into`.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/memory/series-memory.h"

namespace xel::parse {

enum class Kw : uint8_t {
    kNotKeyword = 0,
    kSkip,
    kAny,
    kSome,
    kOpt,
    kTo,
    kThru,
    kCopy,
    kSet,
    kRemove,
    kBreak,
    kReject,
    kFail,
    kKeep,
    kAhead,
    kWhile,
    kInto,
    kInsert,
    kChange,
    kEnd,
    kIf,
    kNot,
    kQuote,
    kCollect,
    kCase,
    kNone,
    kBar,
    kOnly,
    kPick,
    kAfter,
};

enum FrameKind : uint32_t {
    kIterate = 1,
    kTo,
    kThru,
    kCopy,
    kSet,
    kNot,
    kInto,
    kRemove,
    kWhile,
    kCollect,
    kKeep,
    kAhead,
    kChange,
    kCase,
};

enum class InputKind : uint8_t { kBlock, kString, kBinary };

// What the machine does next.
enum class Step : uint8_t { kFetch, kCheck, kPopBlock, kFinish, kExit };

constexpr uint32_t kGroupCells = 2;
constexpr uint32_t kFrameCells = 4;
constexpr uint32_t kStackLimit = 10000;
constexpr uint32_t kNoMaximum = 0xFFFFFFFF;

enum FrameCell : uint32_t { kAux = 0, kBounds = 1, kPosition = 2, kKindCell = 3 };

// Frames and groups keep their numbers in integer-typed record cells, which
// the collector passes over; these name the three words of each record.
inline Cell record_cell(uint32_t a, uint32_t b, uint32_t c) {
    return Cell{T_INTEGER, a, b, c};
}
// Bounds of a repetition: least count, runs so far, most (kNoMaximum).
inline uint32_t frame_min(const Cell* f) {
    return f[kBounds].data1;
}
inline uint32_t frame_count(const Cell* f) {
    return f[kBounds].data2;
}
inline uint32_t frame_max(const Cell* f) {
    return f[kBounds].data3;
}
inline void frame_set_count(Cell* f, uint32_t n) {
    f[kBounds].data2 = n;
}
// Where to and thru began searching (their bounds record).
inline uint32_t frame_search_origin(const Cell* f) {
    return f[kBounds].data1;
}
// The position record: the rule to go back to, the input position at the
// start of the run (or of the attempt), and the input's tail then.
inline uint32_t frame_rule(const Cell* f) {
    return f[kPosition].data1;
}
inline uint32_t frame_start(const Cell* f) {
    return f[kPosition].data2;
}
inline uint32_t frame_tail(const Cell* f) {
    return f[kPosition].data3;
}
inline void frame_set_start(Cell* f, uint32_t pos, uint32_t tail) {
    f[kPosition].data2 = pos;
    f[kPosition].data3 = tail;
}
// The kind record: the keyword's own number (a flag, or collect's mode and
// outer slot), the frame kind, and collect's argument-stack slot.
inline uint32_t frame_extra(const Cell* f) {
    return f[kKindCell].data1;
}
inline uint32_t frame_kind(const Cell* f) {
    return f[kKindCell].data2;
}
inline uint32_t frame_slot(const Cell* f) {
    return f[kKindCell].data3;
}
inline void frame_set_slot(Cell* f, uint32_t slot) {
    f[kKindCell].data3 = slot;
}
// The kind of the frame whose last cell is at top.
inline uint32_t frame_kind_below(const Cell* top) {
    return frame_kind(top + 1 - kFrameCells);
}
// Where copy and set began: their bounds cell is the input at that position.
inline uint32_t frame_capture_start(const Cell* f) {
    return static_cast<uint32_t>(series_index(&f[kBounds]));
}
// A group is a record (its input position at entry and the tail then)
// followed by its rule block.
inline Cell group_record(uint32_t pos, uint32_t tail) {
    return record_cell(0, pos, tail);
}
inline uint32_t group_entry(const Cell* g) {
    return g[0].data2;
}

// collect targets, in the kind cell's word 1 (low two bits).
enum CollectMode : uint32_t { kCollectPlain = 0, kCollectSet, kCollectInto, kCollectAfter };

// The trace events.
enum class Event : uint8_t { kPush, kPop, kFetch, kMatch, kIterate, kParen, kEnd };

struct Engine {
    bool strict;
    uint32_t limit; // an index into the outermost input, 0 for none
    Cell callback;
    bool tracing;
    bool stopped; // the callback answered false

    // The stack heights at this call's start.
    uint32_t rule_base;
    uint32_t input_base;

    // The input being matched: type and node; pos is the position.
    Cell input;
    uint32_t pos;
    InputKind kind;
    bool outermost;

    // The rule block being run at its next rule, and the stack index of its cell.
    Cell rules;
    uint32_t group;

    bool result;
    // Argument-stack offset of the innermost collect's block, or -1.
    int32_t collect_slot;
    Cell collected; // the block of an outermost collect
    bool has_collected;
};

// The index of the next rule in the rule block.
inline uint32_t rule_pos(const Engine& e) {
    return static_cast<uint32_t>(series_index(&e.rules));
}
inline void set_rule_pos(Engine& e, uint32_t index) {
    series_set_index(&e.rules, static_cast<int32_t>(index));
}
inline void rule_advance(Engine& e) {
    series_move_index(&e.rules, 1);
}

// parse-stacks.cpp: the shared stacks, their block cells in the root block.
extern Cell* g_rule_stack;
extern Cell* g_input_stack;
inline Cell* rule_cells() {
    return at<Cell>(series_buffer(g_rule_stack)->head);
}
inline uint32_t rule_height() {
    return series_buffer(g_rule_stack)->used() / sizeof(Cell);
}
inline Cell* input_cells() {
    return at<Cell>(series_buffer(g_input_stack)->head);
}
inline uint32_t input_height() {
    return series_buffer(g_input_stack)->used() / sizeof(Cell);
}
// Room for n more cells, checked against the limit (parse-stack).
Cell* rule_push(uint32_t n);
void rule_cut(uint32_t height);
void input_push(const Cell* series);
void input_cut(uint32_t height);
// Raises parse-stack when either stack holds more than the limit.
void check_stacks(uint32_t more_rule_cells);

// parse-keywords.cpp.
void keywords_init();
Kw keyword_of(const Cell* value); // kNotKeyword unless a word! naming a keyword
inline bool is_bar(const Cell* value) {
    return keyword_of(value) == Kw::kBar;
}

// parse-errors.cpp: the engine's errors (category script).
[[noreturn]] void fail_rule(const Cell* value);
[[noreturn]] void fail_end(const Cell* keyword);
[[noreturn]] void fail_invalid_ref(const Cell* word);
[[noreturn]] void fail_block(const Cell* input);
[[noreturn]] void fail_unsupported();
[[noreturn]] void fail_keep();
[[noreturn]] void fail_into_bad();
[[noreturn]] void fail_into_type();

// parse-input.cpp: the input.
void set_input(Engine& e, const Cell* series);
uint32_t input_tail(const Engine& e);
// The tail, or the /part limit on the outermost input when it comes first.
uint32_t input_end(const Engine& e);
// The input at an index.
Cell input_at(const Engine& e, uint32_t index);
// The value at an index: the cell, a char! or an integer! byte.
Cell element_at(const Engine& e, uint32_t index);
// count values from index as one new series of the input's type.
Cell copy_part(const Engine& e, uint32_t index, uint32_t count);
// Whether value is a position in the input's own buffer.
bool same_series(const Engine& e, const Cell* value);

// parse-match-block.cpp and parse-match-string.cpp: terminal rules (the
// shared entry points are declared after this namespace).
uint32_t block_repeat(Engine& e, const Cell* rule, uint32_t max);
bool block_find(Engine& e, const Cell* rule, bool thru);
bool string_match(Engine& e, const Cell* rule);
uint32_t string_repeat(Engine& e, const Cell* rule, uint32_t max);

// parse-terminal.cpp: one terminal rule at the position (advancing on a
// match), its tight repetition, and the to/thru search.
bool match_terminal(Engine& e, const Cell* rule, bool as_value);
bool find_literal(Engine& e, const Cell* rule, bool thru);
// The next rule when it is terminal (a word standing for its value), for
// the tight paths of repetitions and to/thru.
bool terminal_next(Engine& e, Cell* out);

// parse-rules.cpp: the rule block walk.
Step push_block(Engine& e, const Cell* block);
Step push_frame(Engine& e, uint32_t kind, uint32_t extra, const Cell* aux, const Cell* bounds);
// The next rule of the current block, or the end of the block's alternative.
Step fetch(Engine& e);
Step dispatch(Engine& e, const Cell* rule);
// The value a rule word stands for (parse-rule when it has none).
Cell word_rule_value(const Cell* word);
// The rule at the rule index, or nullptr at the block's end.
const Cell* rule_at(const Engine& e, uint32_t index);
// parse-end naming keyword unless a rule follows.
void need_rule(const Engine& e, const Cell* keyword);
// The index just after the whole rule starting at index.
uint32_t skip_rule(const Engine& e, uint32_t index);
// Makes the nearest group at or below height the current block.
void find_group(Engine& e, uint32_t height);

// parse-keywords-run.cpp: the keywords.
Step run_keyword(Engine& e, Kw k, const Cell* word);
// Repetition of the next rule, tight for a terminal one.
Step repeat(Engine& e, uint32_t min, uint32_t max, uint32_t kind);

// parse-frames.cpp: ending frames.
Step check_pending(Engine& e);
Step pop_block(Engine& e);
Step pop_frame(Engine& e);
Step break_loop(Engine& e, bool matched);

// parse-collect.cpp.
Step collect_begin(Engine& e, const Cell* word);
void collect_end(Engine& e, const Cell* frame);
void collect_abandon(Engine& e, const Cell* frame);
Step keep_begin(Engine& e, const Cell* word);
void keep_end(Engine& e, const Cell* frame);

// parse-modify.cpp.
Step insert_rule(Engine& e, const Cell* word);
Step remove_begin(Engine& e, const Cell* word);
void remove_end(Engine& e, const Cell* frame);
Step change_begin(Engine& e, const Cell* word);
// false when an exit is pending.
bool change_end(Engine& e, const Cell* frame);
// The value of an insert or change: a paren's result, a word's value.
bool action_value(Engine& e, const Cell* word, Cell* out);

} // namespace xel::parse

namespace xel {

// The entry points other modules call.

// Heights of both stacks, recorded by a parse call and cut back to however
// it ends (an error or a pending exit too).
struct ParseStackMark {
    uint32_t rules;
    uint32_t inputs;
};
ParseStackMark parse_save_stacks();
void parse_restore_stacks(const ParseStackMark& mark);

// Calls the trace callback; sets e.stopped when it answers false.
void parse_fire_event(parse::Engine& e, parse::Event event);
// Evaluates a paren into value (may be null); false when an exit is pending.
bool parse_eval_paren(parse::Engine& e, const Cell* paren, Cell* value);
// One value of a block input at the position; as_value matches a datatype
// or typeset as a value (quote) instead of by type. Advances on a match.
bool parse_match_value(parse::Engine& e, const Cell* rule, bool as_value);
// Repetition of a terminal rule from the position, at most max times; the
// position moves past the matches. The count is answered.
uint32_t parse_match_repeat(parse::Engine& e, const Cell* rule, uint32_t max);
uint32_t parse_match_chars(parse::Engine& e, uint32_t cp, uint32_t max);
uint32_t parse_match_bitset(parse::Engine& e, const Cell* bitset, uint32_t max);
// to and thru with a literal on string or binary input.
bool parse_find_in_string(parse::Engine& e, const Cell* rule, bool thru);
// A datatype or typeset rule on binary input: one token scanned by the lexer.
bool parse_scan_datatype(parse::Engine& e, const Cell* rule);

} // namespace xel
