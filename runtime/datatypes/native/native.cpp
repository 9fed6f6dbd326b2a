#include "runtime/datatypes/native/native.h"

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/natives/natives.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

bool is_function_source(uint8_t type) {
    return type == T_FUNCTION || type == T_ROUTINE;
}

bool same_refinement(const Cell* word, const Cell* refinement) {
    return symbol_resolve(word_symbol(word)) == symbol_resolve(word_symbol(refinement));
}

Cell spec_block_of(const Cell* value) {
    Cell spec;
    block_set_cell(&spec, T_BLOCK, native_spec_node(value), 0);
    return spec;
}

} // namespace

bool op_spec_fits(const Cell* spec) {
    int count = 0;
    bool seen_word = false;
    for (const Cell* c = block_rs_head(spec); c < block_rs_tail(spec); c++) {
        switch (type_of(c)) {
        case T_WORD:
            seen_word = true;
            count++;
            break;
        case T_LIT_WORD:
        case T_GET_WORD:
            if (!seen_word) return false;
            count++;
            break;
        case T_SET_WORD:
            return count == 2;
        case T_REFINEMENT:
            if (same_refinement(c, g_ref_local) || same_refinement(c, g_ref_extern))
                return count == 2;
            return false;
        default:
            break;
        }
    }
    return count == 2;
}

Cell* native_make(Cell*, Cell* spec, int type) {
    Cell datatype = datatype_cell(static_cast<uint32_t>(type));
    if (type_of(spec) != T_BLOCK || block_rs_tail(spec) - block_rs_head(spec) != 2)
        error_fire_bad_make_arg(&datatype, spec);
    Cell fn_spec = block_rs_head(spec)[0];
    Cell index = block_rs_head(spec)[1];
    int32_t limit = type == T_NATIVE ? kNativesCapacity : kActionCount;
    int32_t n = static_cast<int32_t>(index.data2);
    if (type_of(&fn_spec) != T_BLOCK || type_of(&index) != T_INTEGER || n < 1 || n > limit)
        error_fire_bad_make_arg(&datatype, spec);

    Cell value = native_value(static_cast<uint8_t>(type), static_cast<uint32_t>(n), &fn_spec);
    Cell* out = stack_arguments();
    *out = value;
    return out;
}

Cell native_value(uint8_t type, uint32_t index, const Cell* spec) {
    Cell fn_spec = *spec;
    Offset ctx = context_make_from_words(&fn_spec, kContextFunction, true);
    Cell record;
    block_make_at(&record, 2);
    Cell ctx_cell = *context_cell(ctx);
    block_append_copy(&record, &ctx_cell);
    block_append_copy(&record, &g_none_cell);
    return Cell{type, index, fn_spec.data2, record.data2};
}

Cell* op_make(Cell*, Cell* source, int) {
    uint8_t st = type_of(source);
    if (st != T_NATIVE && st != T_ACTION && !is_function_source(st)) {
        Cell datatype = datatype_cell(st);
        error_fire(kCatScript, err::script::kInvalidType, &datatype);
    }
    Cell spec = spec_block_of(source);
    if (!op_spec_fits(&spec)) error_fire(kCatScript, err::script::kBadOpSpec);
    Cell src = *source;
    if (is_function_source(st)) function_record(&src)[kRecordOpSource] = src;
    Cell* out = stack_arguments();
    *out = src;
    out->header = T_OP | static_cast<uint32_t>(st) << 16;
    return out;
}

Cell* native_reflect(Cell* value, Cell* field) {
    uint32_t sym = is_any_word_type(type_of(field)) ? symbol_resolve(word_symbol(field)) : 0;
    Cell* out = stack_arguments();
    if (sym == symbol_resolve(g_sym_spec)) {
        *out = spec_block_of(value);
        return out;
    }
    if (sym == symbol_resolve(g_sym_body)) {
        if (type_of(value) == T_OP && is_function_source(op_source_type(value))) {
            *out = function_record(value)[kRecordBody];
            return out;
        }
        // Word 1 is already the 1-based entry of the natives or actions table.
        set_integer(out, static_cast<int32_t>(value->data1));
        return out;
    }
    error_fire(kCatInternal, err::internal::kNotDone);
}

int native_form(Cell* value, Cell* buffer, Cell*, int part) {
    switch (type_of(value)) {
    case T_NATIVE:
        string_concatenate_literal(buffer, "?native?");
        return part - 8;
    case T_ACTION:
        string_concatenate_literal(buffer, "?action?");
        return part - 8;
    default:
        string_concatenate_literal(buffer, "?op?");
        return part - 4;
    }
}

int native_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent) {
    Cell spec = spec_block_of(value);
    if (type_of(value) != T_OP) {
        string_concatenate_literal(buffer, type_of(value) == T_NATIVE ? "make native! ["
                                                                      : "make action! [");
        part = actions_mold_typed(&spec, buffer, only, all, flat, arg, part - 14, indent);
        string_concatenate_literal(buffer, "]");
        return part - 1;
    }
    string_concatenate_literal(buffer, "make op! ");
    part -= 9;
    bool func = op_source_type(value) == T_FUNCTION;
    string_concatenate_literal(buffer, func ? "func " : "[");
    part -= func ? 5 : 1;
    part = actions_mold_typed(&spec, buffer, only, all, flat, arg, part, indent);
    if (!func) {
        string_concatenate_literal(buffer, "]");
        return part - 1;
    }
    Cell body = function_record(value)[kRecordBody];
    if (type_of(&body) == T_BLOCK)
        part = actions_mold_typed(&body, buffer, only, all, flat, arg, part, indent);
    return part;
}

// Equal only when word 1 is: the same table entry (an op: its source's word 1).
int native_compare(Cell* value1, Cell* value2, int op) {
    return function_compare_identity(value1, value2, value1->data1, value2->data1, op);
}

void native_row(ActionList& row) {
    row.set<A_MAKE>(native_make)
        .set<A_REFLECT>(native_reflect)
        .set<A_FORM>(native_form)
        .set<A_MOLD>(native_mold)
        .set<A_COMPARE>(native_compare);
}

void action_row(ActionList& row) {
    row.set<A_MAKE>(native_make)
        .inherit(A_REFLECT)
        .set<A_FORM>(native_form)
        .set<A_MOLD>(native_mold)
        .set<A_COMPARE>(native_compare);
}

void op_row(ActionList& row) {
    row.set<A_MAKE>(op_make)
        .inherit(A_REFLECT)
        .set<A_FORM>(native_form)
        .set<A_MOLD>(native_mold)
        .set<A_COMPARE>(native_compare);
}

void native_mark_cell(Cell* c) {
    collector_mark_block_node(&c->data2);
    collector_mark_block_node(&c->data3);
}

// An op! keeps the layout of the function it was made from.
void op_mark_cell(Cell* c) {
    uint8_t source = op_source_type(c);
    if (source == T_FUNCTION || source == T_ROUTINE) collector_mark_context(&c->data1);
    collector_mark_block_node(&c->data2);
    collector_mark_block_node(&c->data3);
    if (source == T_FUNCTION) function_mark_owner(c->data3);
}

} // namespace xel
