#include "runtime/datatypes/triple/triple.h"

#include <string>

#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/text/integer-text.h"

namespace xel {

namespace {

int triple_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return triple_form(value, buffer, arg, part);
}

} // namespace

int triple_form(Cell* value, Cell* buffer, Cell*, int part) {
    std::string text = "make triple! [";
    const uint32_t words[3] = {value->data1, value->data2, value->data3};
    for (int i = 0; i < 3; i++) {
        if (i > 0) text += ' ';
        text += integer_to_text(static_cast<int32_t>(words[i]));
    }
    text += ']';
    string_concatenate_literal(buffer, text.c_str());
    return part - static_cast<int>(text.size());
}

// Every other slot stays empty: make, to, compare and the rest are refused.
void triple_row(ActionList& row) {
    row.set<A_FORM>(triple_form).set<A_MOLD>(triple_mold);
}

} // namespace xel
