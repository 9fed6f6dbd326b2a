// function! (24) and routine! (29): functions of the language, interpreted or
// compiled, and routines (C++ code with typed arguments).
//   header: the type id; 0x200 no-trace, 0x400 trace; routines: 0x8000 the
//           cell-arguments bit and bits 25-29 the argument count;
//   word 1: node of the function's own context (kind function, its values on
//           the argument stack during a call; its self cell holds the value);
//   word 2: node of the spec block, always read from its head;
//   word 3: node of the function record, five cells (FunctionRecordCell).
// Every copy of a value shares the record, so the argument-list cache and the
// op source filled later are seen through all of them.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

enum FunctionRecordCell : uint32_t {
    kRecordBody = 0,     // block!, or none! for a function without a body
    kRecordCache = 1,    // the interpreter's argument list (block!), else not built
    kRecordCode = 2,     // integer! code index, or unset! when interpreted
    kRecordOpSource = 3, // copy of the value once an op! is made from it, else unset!
    kRecordOwner = 4,    // function!: integer! owner context node or unset!;
                         // routine!: integer! return type id
};
constexpr uint32_t kFunctionRecordCells = 5;

// The code index of a library function: a function made from a block of the
// boot data, which runs its body as the program's own code (a compiled
// frame, no tracing inside).
constexpr uint32_t kCodeLibrary = 1;

constexpr uint32_t kFunctionNoTrace = 0x200;
constexpr uint32_t kFunctionTrace = 0x400;
constexpr uint32_t kRoutineCellArguments = 0x8000;
constexpr uint32_t kHeaderCountShift = 25;
constexpr uint32_t kHeaderCountMask = 0x1F;

inline Cell function_cell(Offset ctx, Offset spec, Offset record) {
    return Cell{T_FUNCTION, ctx, spec, record};
}
inline void function_set_spec_node(Cell* fn, Offset spec) {
    fn->data2 = spec;
}
inline Offset function_context(const Cell* fn) {
    return fn->data1;
}
inline Offset function_spec_node(const Cell* fn) {
    return fn->data2;
}
// The record's cells (for native!, action! and op! the two-cell block of word
// 3); valid until the next allocation.
inline Cell* function_record(const Cell* fn) {
    return at<Cell>(buffer_of(fn->data3)->head);
}
inline void function_spec_block(const Cell* fn, Cell* out) {
    *out = Cell{T_BLOCK, 0, fn->data2, 0};
}
// The 5-bit field of header bits 25-29.
inline uint32_t function_header_count(const Cell* fn) {
    return (fn->header >> kHeaderCountShift) & kHeaderCountMask;
}

// Makes a function! and pushes it on the argument stack (the returned cell).
// A spec not at its head is copied from its position first. ctx 0: a context
// is made from the spec and the copied body is bound to it. code 0: an
// interpreted function, unless the body is a block of the boot data (a
// library function, kCodeLibrary, whose copied body stays marked so that the
// functions it makes are library functions too); owner 0: no owning object. body may be nullptr
// (the record's body is then none!).
Cell* function_make_compiled(const Cell* spec, const Cell* body, Offset ctx, uint32_t code,
                             Offset owner, uint32_t flags);
// Makes a routine! and pushes it. return_type: 4, 11 or 12 converts the
// result to logic!, integer! or float!; 0 or below leaves it as it is.
Cell* routine_make_compiled(const Cell* spec, const Cell* body, uint32_t code, int32_t return_type,
                            bool cell_arguments);
// Number of word! cells in the whole spec block.
uint32_t routine_count_arguments(const Cell* spec);

// Checks a spec block from its position; returns the attribute flags
// (kFunctionTrace, kFunctionNoTrace). Raises script bad-func-def,
// invalid-type-spec, no-value or dup-vars; never changes the spec.
uint32_t function_validate_spec(const Cell* spec);
// script dup-vars with the later of two argument, refinement or local words
// that share a canonical symbol.
void function_check_duplicates(const Cell* spec);
// The local slots from index start: 1 for the first /local, 1 per word! after
// it. With strict and no /local: -1.
int32_t function_count_locals(Offset spec_node, uint32_t start, bool strict);
// The words that the function native makes local: set-words of the body and
// the words of foreach, remove-each and repeat, minus the spec's own words
// and /extern ones. The spec is cut at /extern and extended in place with
// /local and the collected words. Returns the block of collected words.
Cell function_collect_words(Cell* spec, const Cell* body);
// The n-th (from 0) word, get-word, lit-word or refinement of the spec of a
// native!, action!, op!, function! or routine!, as a word! without its
// new-line marker; the word <anon> for another value or past the spec's end.
Cell function_arg_word(const Cell* fn, int n);
// Pushes false then n - 1 none! cells: an absent refinement and its arguments.
void function_push_unused_refinement(uint32_t n);

// Actions.
Cell* function_make(Cell* proto, Cell* spec, int type);
Cell* function_reflect(Cell* value, Cell* field);
int function_form(Cell* value, Cell* buffer, Cell* arg, int part);
int routine_form(Cell* value, Cell* buffer, Cell* arg, int part);
int function_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent);
int routine_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent);
int function_compare(Cell* value1, Cell* value2, int op);
// Values with identity, not order (functions, natives, ops): the same type and
// equal keys (key1 of value1, key2 of value2) make them equal; sorting orders
// the keys; any other comparison, or another type, gives -2.
int function_compare_identity(const Cell* value1, const Cell* value2, uint32_t key1, uint32_t key2,
                              int op);

} // namespace xel
