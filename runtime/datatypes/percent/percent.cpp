// percent!: its own text; everything else comes from float!.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/percent/percent-cell.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

int percent_form(Cell* value, Cell* buffer, Cell*, int part) {
    const char* text = float_form_value(percent_get(value) * 100.0, 3);
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

int percent_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return percent_form(value, buffer, arg, part);
}

} // namespace

Cell* percent_make_in(Cell* blk, double fraction) {
    Cell* c = block_alloc_tail_cell(blk);
    percent_make_at(c, fraction);
    return c;
}

void percent_row(ActionList& row) {
    row.inherit_all().set<A_FORM>(percent_form).set<A_MOLD>(percent_mold);
}

} // namespace xel
