// email!: a string-family value holding an address; its text is its mold,
// and paths reach the parts before and after the at sign.
#pragma once

#include "runtime/cell.h"

namespace xel {

// The address as it is.
int email_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);

// An integer! picks or pokes a character as for strings. user and host read
// the text before and after the first at sign as a new string!, or replace
// that text in place. Without an at sign, user is the whole text and host
// is none! (setting it raises script bad-path-set). Any other element raises
// script invalid-path.
Cell* email_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);

} // namespace xel
