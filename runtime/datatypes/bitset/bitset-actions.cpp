// The series-like actions of bitset!: append and insert (set), pick and find
// (test), poke, remove/part (clear), clear, length?, path access, and the
// owner field; and the action row.
#include <cstdint>
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// Runs a change to the bitset between the owner's before and after reports.
template <class Body>
void reported(const Cell* bitset, Change action, const Cell* value, Body body) {
    Cell target = *bitset;
    bool told = ownership_notify_before(&target, action, value, 0, 0);
    body();
    if (told) ownership_notify_after(&target, action, value, 0, 0);
}

Cell* result_bitset(const Cell* bitset) {
    Cell* out = stack_arguments();
    *out = *bitset;
    return out;
}

Cell* add_spec(Cell* series, Cell* value, Change action) {
    Cell bitset = *series;
    Cell spec = *value;
    reported(&bitset, action, &spec,
             [&] { bitset_process_spec(&spec, &bitset, kBitsetSet, false, kBitsetSeries); });
    return result_bitset(&bitset);
}

Cell* bitset_append(Cell* series, Cell* value, Cell*, bool, Cell*) {
    return add_spec(series, value, Change::Append);
}

Cell* bitset_insert(Cell* series, Cell* value, Cell*, bool, Cell*) {
    return add_spec(series, value, Change::Insert);
}

bool holds(Cell* bitset, Cell* spec) {
    Cell b = *bitset;
    Cell s = *spec;
    return bitset_process_spec(&s, &b, kBitsetTest, false, kBitsetSeries) != 0;
}

Cell* bitset_pick(Cell* series, int, Cell* boxed) {
    bool member = holds(series, boxed);
    Cell* out = stack_arguments();
    set_logic(out, member);
    return out;
}

Cell* bitset_find(Cell* series, Cell* value, const FindOptions&) {
    bool member = holds(series, value);
    Cell* out = stack_arguments();
    if (member)
        set_logic(out, true);
    else
        set_none(out);
    return out;
}

// none, false, 0 and 0.0 clear; anything else sets.
bool clears(const Cell* v) {
    switch (type_of(v)) {
    case T_NONE:
        return true;
    case T_LOGIC:
        return v->data1 == 0;
    case T_INTEGER:
        return v->data2 == 0;
    case T_FLOAT:
        return cell_double(v) == 0.0;
    default:
        return false;
    }
}

Cell* bitset_poke(Cell* series, int, Cell* data, Cell* boxed) {
    Cell bitset = *series;
    Cell spec = *boxed;
    Cell value = *data;
    int op = clears(&value) ? kBitsetClear : kBitsetSet;
    reported(&bitset, Change::Poke, &value,
             [&] { bitset_process_spec(&spec, &bitset, op, false, kBitsetSeries); });
    Cell* out = stack_arguments();
    *out = value;
    return out;
}

// remove/part takes the part's numbers out of the set (for a negated set
// too: the stored bytes hold membership either way).
Cell* bitset_remove(Cell* series, Cell* part, Cell*) {
    if (!part) error_fire(kCatScript, err::script::kMissingArg);
    Cell bitset = *series;
    Cell spec = *part;
    reported(&bitset, Change::Remove, nullptr,
             [&] { bitset_process_spec(&spec, &bitset, kBitsetClear, false, kBitsetSeries); });
    return result_bitset(&bitset);
}

Cell* bitset_clear(Cell* series) {
    Cell bitset = *series;
    reported(&bitset, Change::Clear, nullptr, [&] {
        std::memset(bitset_xs_head(&bitset), bitset_negated(&bitset) ? 0xFF : 0x00,
                    bitset_size(&bitset));
    });
    return result_bitset(&bitset);
}

Cell* bitset_eval_path(Cell* parent, Cell* element, Cell* value, Cell*, Cell*, Cell*, int, bool,
                       bool, bool, bool) {
    uint8_t t = type_of(element);
    if (t != T_INTEGER && t != T_CHAR) {
        Cell type{T_DATATYPE, t, 0, 0};
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    if (value) return bitset_poke(parent, 0, value, element);
    return bitset_pick(parent, 0, element);
}

bool is_owner_field(const Cell* field) {
    return is_any_word_type(type_of(field)) &&
           symbol_resolve(word_symbol(field)) == symbol_resolve(g_sym_owner);
}

Cell* bitset_reflect(Cell* value, Cell* field) {
    if (!is_owner_field(field)) error_fire(kCatInternal, err::internal::kNotDone);
    Cell* owner = ownership_find_owner(value->data2);
    Cell* out = stack_arguments();
    if (owner)
        *out = *owner;
    else
        set_none(out);
    return out;
}

// modify bitset 'owner none | [object word].
Cell* bitset_modify(Cell* target, Cell* field, Cell* value, bool) {
    Cell bitset = *target;
    Cell v = *value;
    if (is_owner_field(field)) {
        if (type_of(&v) == T_NONE) {
            ownership_unbind(&bitset);
        } else if (type_of(&v) == T_BLOCK) {
            SeriesBuf* buf = buffer_of(v.data2);
            uint32_t len = buf->used() / sizeof(Cell);
            uint32_t i = static_cast<int32_t>(v.data1) < 0 ? 0 : v.data1;
            Cell* cells = at<Cell>(buf->head);
            if (i + 2 <= len && type_of(&cells[i]) == T_OBJECT &&
                is_any_word_type(type_of(&cells[i + 1]))) {
                Cell owner = cells[i];
                Cell word = cells[i + 1];
                ownership_set_owner_flagged(&bitset, &owner, &word);
            }
        }
    }
    Cell* out = stack_arguments();
    *out = v;
    return out;
}

} // namespace

int bitset_length(Cell* value) {
    uint64_t bits = uint64_t{bitset_size(value)} * 8;
    // A bitset that holds the highest integer has more bits than an integer counts.
    if (bits > INT32_MAX) error_fire(kCatMath, err::math::kOverflow);
    return static_cast<int>(bits);
}

void bitset_row(ActionList& row) {
    row.set<A_MAKE>(bitset_make)
        .set<A_REFLECT>(bitset_reflect)
        .set<A_TO>(bitset_to)
        .set<A_FORM>(bitset_form)
        .set<A_MOLD>(bitset_mold)
        .set<A_EVAL_PATH>(bitset_eval_path)
        .set<A_COMPARE>(bitset_compare)
        .set<A_NEGATE>(bitset_complement)
        .set<A_AND_T>([] { bitset_do_bitwise(kMathAnd); })
        .set<A_COMPLEMENT>(bitset_complement)
        .set<A_OR_T>([] { bitset_do_bitwise(kMathOr); })
        .set<A_XOR_T>([] { bitset_do_bitwise(kMathXor); })
        .set<A_APPEND>(bitset_append)
        .set<A_CLEAR>(bitset_clear)
        .set<A_COPY>(bitset_copy)
        .set<A_FIND>(bitset_find)
        .set<A_INSERT>(bitset_insert)
        .set<A_LENGTH_Q>(bitset_length)
        .set<A_PICK>(bitset_pick)
        .set<A_POKE>(bitset_poke)
        .set<A_REMOVE>(bitset_remove)
        .set<A_MODIFY>(bitset_modify);
}

void bitset_mark_cell(Cell* c) {
    collector_mark_series(&c->data2);
}

} // namespace xel
