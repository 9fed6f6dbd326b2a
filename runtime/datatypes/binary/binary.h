// The actions of binary! (the row is binary_row in rows.h) and the rules by
// which other values become bytes. binary! takes make, find, select, sort,
// swap, take and the position actions from string! and series!.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

// The bytes a value stands for when it is written into a binary: char! as
// its UTF-8, integer! as one byte (binary_integer_byte), binary! and tuple!
// as their bytes, the string family as UTF-8, block!, paren! and hash!
// element by element (a block met inside itself raises internal no-cycle).
// Any other type raises script invalid-arg with the value. Appends to out.
// A limit of 0 or more takes at most that many units from the value's
// position: elements of a block, characters of a string, bytes of a binary.
void binary_bytes_of(const Cell* value, std::vector<uint8_t>& out, int64_t limit = -1);

// to binary!: the to table (4 big-endian bytes of an integer!, 8 of a float!
// or percent!, the hex digits of an issue!, a bitset's bytes ...); make
// binary! hands every spec but a number here. The result goes to the
// current frame's result slot.
Cell* binary_to(Cell* proto, Cell* spec, int type);

// "#{" and two upper-case hex digits per byte from the position, "}"; from
// 31 bytes on (unless flat) the digits stand on their own lines of at most
// 32 bytes, indented one level deeper than the value.
int binary_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);
int binary_form(Cell* value, Cell* buffer, Cell* arg, int part);

// Byte order: the first differing byte decides, then the length; under
// op 9 (same) only the same buffer at the same index is equal. Any value
// other than a binary! gives -2.
int binary_compare(Cell* value1, Cell* value2, int op);

// and~, or~, xor~ on the current frame (binary! first, binary! second) and
// complement: new binaries.
void binary_do_bitwise(int op);
Cell* binary_complement(Cell* value);

// append and insert share one body (append is insert at the tail); change
// overwrites from the position. /part cuts the incoming bytes (for a block,
// its elements) for append and insert, and is the replaced range for change.
Cell* binary_append(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* binary_insert(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* binary_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
// Zero bytes off the head and the tail (only one end with /head or /tail).
Cell* binary_trim(Cell* series, const TrimOptions& o);

} // namespace xel
