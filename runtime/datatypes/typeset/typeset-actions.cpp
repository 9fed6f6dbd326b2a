#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

Cell* set_result(const Cell* ts) {
    Cell* out = stack_arguments();
    *out = typeset_cell(ts->data1, ts->data2, ts->data3);
    return out;
}

} // namespace

void typeset_do_bitwise(int op) {
    Cell* args = stack_arguments();
    Cell a = args[0];
    Cell b = args[1];
    if (type_of(&b) == T_DATATYPE) {
        uint8_t t = static_cast<uint8_t>(b.data1);
        b = typeset_cell(0, 0, 0);
        typeset_set_type(&b, t);
    } else if (type_of(&b) != T_TYPESET) {
        error_fire(kCatScript, err::script::kInvalidArg, &b);
    }
    Cell r = typeset_cell(0, 0, 0);
    uint32_t* rw = &r.data1;
    const uint32_t* aw = &a.data1;
    const uint32_t* bw = &b.data1;
    for (int i = 0; i < 3; i++) {
        switch (op) {
        case kMathOr:
        case kSetUnion:
            rw[i] = aw[i] | bw[i];
            break;
        case kMathAnd:
        case kSetIntersect:
            rw[i] = aw[i] & bw[i];
            break;
        case kMathXor:
        case kSetDifference:
            rw[i] = aw[i] ^ bw[i];
            break;
        case kSetExclude:
            rw[i] = aw[i] & ~bw[i];
            break;
        default:
            // unique has nothing to do on a set of types.
            return;
        }
    }
    set_result(&r);
}

Cell* typeset_make(Cell*, Cell* spec, int) {
    if (type_of(spec) == T_TYPESET) return set_result(spec);
    if (type_of(spec) != T_BLOCK) {
        Cell datatype = datatype_cell(T_TYPESET);
        error_fire(kCatScript, err::script::kBadToArg, &datatype, spec);
    }
    Cell ts = typeset_cell(0, 0, 0);
    Cell list = *spec;
    for (uint32_t i = static_cast<uint32_t>(block_index(&list)); i < block_buffer_length(&list);
         i++) {
        Cell value = *block_cell_at(&list, i);
        typeset_add_type(&ts, &value);
    }
    return set_result(&ts);
}

Cell* typeset_complement(Cell* value) {
    Cell inverted = typeset_cell(~value->data1, ~value->data2, ~value->data3);
    return set_result(&inverted);
}

Cell* typeset_find(Cell* series, Cell* value, const FindOptions&) {
    if (type_of(value) != T_DATATYPE) error_fire(kCatScript, err::script::kInvalidArg, value);
    bool found = typeset_has(series, static_cast<uint8_t>(value->data1));
    Cell* out = stack_arguments();
    set_logic(out, found);
    return out;
}

int typeset_mold(Cell* value, Cell* buffer, bool only, bool, bool, Cell* arg, int part, int) {
    Cell ts = *value;
    if (!only) {
        string_concatenate_literal(buffer, "make typeset! [");
        part -= 15;
    }
    bool wrote = false;
    for (int id = 1; id <= g_highest_type; id++) {
        const TypeName& name = g_type_names[id];
        if (!name.name || !typeset_has(&ts, static_cast<uint8_t>(id))) continue;
        if (arg && part < 0) break;
        string_concatenate_literal(buffer, name.name);
        string_concatenate_literal(buffer, " ");
        part -= static_cast<int>(name.length) + 2;
        wrote = true;
    }
    if (wrote) {
        // The blank after the last name goes: replaced by the bracket, or dropped.
        string_truncate_at(string_buffer(buffer), string_xs_length_from_head(buffer) - 1);
        if (!only)
            string_concatenate_literal(buffer, "]");
        else
            part++;
    } else if (!only) {
        string_concatenate_literal(buffer, "]");
        part--;
    }
    return part;
}

int typeset_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return typeset_mold(value, buffer, false, false, false, arg, part, 0);
}

int typeset_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_TYPESET) return -2;
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpStrictEqual:
    case kCmpSame:
    case kCmpFind:
        return value1->data1 == value2->data1 && value1->data2 == value2->data2 &&
                       value1->data3 == value2->data3
                   ? 0
                   : 1;
    case kCmpSort:
    case kCmpCaseSort: {
        uint32_t n1 = typeset_count_types(value1);
        uint32_t n2 = typeset_count_types(value2);
        return n1 < n2 ? -1 : (n1 > n2 ? 1 : 0);
    }
    default:
        return -2;
    }
}

void typeset_row(ActionList& row) {
    row.set<A_MAKE>(typeset_make)
        .set<A_TO>(typeset_make)
        .set<A_FORM>(typeset_form)
        .set<A_MOLD>(typeset_mold)
        .set<A_COMPARE>(typeset_compare)
        .set<A_AND_T>([] { typeset_do_bitwise(kMathAnd); })
        .set<A_COMPLEMENT>(typeset_complement)
        .set<A_OR_T>([] { typeset_do_bitwise(kMathOr); })
        .set<A_XOR_T>([] { typeset_do_bitwise(kMathXor); })
        .set<A_FIND>(typeset_find);
}

} // namespace xel
