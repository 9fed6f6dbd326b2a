// The collector's markers of the datatypes whose cells name series, one per
// layout, each beside its type's row; the registration table gives every
// type its marker (or kMarksNothing).
#pragma once
#include "runtime/memory/collector.h"

namespace xel {

void block_mark_cell(Cell* c);    // block!, paren! and the paths
void string_mark_cell(Cell* c);   // string! and the text types after it
void symbol_mark_cell(Cell* c);   // symbol!
void context_mark_cell(Cell* c);  // context!
void word_mark_cell(Cell* c);     // the words, refinement! and issue!
void native_mark_cell(Cell* c);   // native! and action!
void op_mark_cell(Cell* c);       // op!
void function_mark_cell(Cell* c); // function!
void routine_mark_cell(Cell* c);  // routine!
void binary_mark_cell(Cell* c);   // binary!
void bitset_mark_cell(Cell* c);   // bitset!
void vector_mark_cell(Cell* c);   // vector!
void image_mark_cell(Cell* c);
void event_mark_cell(Cell* c);    // event!
void object_mark_cell(Cell* c);   // object!, error! and port!
void hash_mark_cell(Cell* c);     // hash!
void map_mark_cell(Cell* c);      // map!

// A function! record's owner slot: an object's context node as an integer!.
void function_mark_owner(Offset record);

} // namespace xel
