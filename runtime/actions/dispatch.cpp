// Finding an action's implementation, the typed entries, and comparison.
#include "runtime/actions/dispatch.h"

#include "runtime/core/fatal.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

ActionEntry actions_get_action_ptr_from(uint8_t type, const Cell* value, int slot) {
    ActionEntry fn = action_entry(type, slot);
    if (fn == 0) [[unlikely]]
        error_fire_expect_arg(value ? uint8_t{type_of(value)} : type, 0);
    return fn;
}

ActionEntry actions_get_action_ptr(int slot) {
    const Cell* first = stack_arguments();
    return actions_get_action_ptr_from(type_of(first), first, slot);
}

ActionEntry actions_get_action_ptr_of(const Cell* value, int slot) {
    return actions_get_action_ptr_from(type_of(value), value, slot);
}

namespace {

// A new path of the same type holding the elements before the one at index.
Cell* path_before(const Cell* path, int index) {
    Cell source = *path;
    int available = static_cast<int>(block_rs_tail(&source) - block_rs_head(&source));
    if (index > available) index = available;
    if (index < 0) index = 0;
    Cell* out = stack_push_cell();
    block_make_at(out, index);
    for (int i = 0; i < index; i++) {
        Cell element = *(block_rs_head(&source) + i);
        block_append_copy(out, &element);
    }
    cell_set_type(out, type_of(path));
    return out;
}

} // namespace

ActionEntry actions_get_action_ptr_path(uint8_t type, Cell* path, Cell* element, int position) {
    ActionEntry fn = action_entry(type, A_EVAL_PATH);
    if (fn != 0) [[likely]]
        return fn;
    Cell datatype{T_DATATYPE, type, 0, 0};
    if (path) {
        Cell shown = *path_before(path, position);
        error_fire(kCatScript, err::script::kBadPathType, element, &datatype, &shown);
    }
    error_fire(kCatScript, err::script::kBadPathType2, element, &datatype);
}

namespace {

template <int Slot> typename ActionSig<Slot>::type impl_of(const Cell* value) {
    return reinterpret_cast<typename ActionSig<Slot>::type>(actions_get_action_ptr_of(value, Slot));
}

// make and to dispatch on the type that a datatype! names, else on the
// prototype's own type.
uint8_t target_type(const Cell* proto) {
    return type_of(proto) == T_DATATYPE ? datatype_id(proto) : uint8_t{type_of(proto)};
}

} // namespace

Cell* actions_make_typed(Cell* proto, Cell* spec) {
    uint8_t type = target_type(proto);
    auto fn = reinterpret_cast<MakeFn>(actions_get_action_ptr_from(type, nullptr, A_MAKE));
    return fn(proto, spec, type);
}

Cell* actions_to_typed(Cell* proto, Cell* spec) {
    uint8_t type = target_type(proto);
    auto fn = reinterpret_cast<MakeFn>(actions_get_action_ptr_from(type, nullptr, A_TO));
    return fn(proto, spec, type);
}

Cell* actions_random_typed(Cell* value, bool seed, bool secure, bool only) {
    return impl_of<A_RANDOM>(value)(value, seed, secure, only);
}

Cell* actions_reflect_typed(Cell* value, Cell* field) {
    return impl_of<A_REFLECT>(value)(value, field);
}

int actions_form_typed(Cell* value, Cell* buffer, Cell* arg, int part) {
    return impl_of<A_FORM>(value)(value, buffer, arg, part);
}

int actions_mold_typed(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg,
                       int part, int indent) {
    return impl_of<A_MOLD>(value)(value, buffer, only, all, flat, arg, part, indent);
}

Cell* actions_eval_path_typed(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                              Cell* p_item, int index, bool case_, bool get, bool tail,
                              bool notify) {
    auto fn = reinterpret_cast<ActionSig<A_EVAL_PATH>::type>(
        actions_get_action_ptr_path(type_of(parent), path, element, index));
    return fn(parent, element, value, path, gparent, p_item, index, case_, get, tail, notify);
}

Cell* actions_negate_typed(Cell* value) {
    return impl_of<A_NEGATE>(value)(value);
}

Cell* actions_round_typed(Cell* value, Cell* scale, bool even, bool down, bool half_down,
                          bool floor, bool ceiling, bool half_ceiling) {
    return impl_of<A_ROUND>(value)(value, scale, even, down, half_down, floor, ceiling,
                                   half_ceiling);
}

bool actions_even_typed(Cell* value) {
    return impl_of<A_EVEN_Q>(value)(value);
}

bool actions_odd_typed(Cell* value) {
    return impl_of<A_ODD_Q>(value)(value);
}

Cell* actions_complement_typed(Cell* value) {
    return impl_of<A_COMPLEMENT>(value)(value);
}

Cell* actions_append_typed(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return impl_of<A_APPEND>(series)(series, value, part, only, dup);
}

Cell* actions_change_typed(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return impl_of<A_CHANGE>(series)(series, value, part, only, dup);
}

Cell* actions_clear_typed(Cell* series) {
    return impl_of<A_CLEAR>(series)(series);
}

Cell* actions_copy_typed(Cell* value, Cell* part, bool deep, Cell* types) {
    return impl_of<A_COPY>(value)(value, part, deep, types);
}

Cell* actions_find_typed(Cell* series, Cell* value, const FindOptions& o) {
    return impl_of<A_FIND>(series)(series, value, o);
}

Cell* actions_insert_typed(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return impl_of<A_INSERT>(series)(series, value, part, only, dup);
}

int actions_length_typed(Cell* value) {
    return impl_of<A_LENGTH_Q>(value)(value);
}

Cell* actions_move_typed(Cell* origin, Cell* target, Cell* part) {
    return impl_of<A_MOVE>(origin)(origin, target, part);
}

Cell* actions_pick_typed(Cell* series, int index, Cell* boxed) {
    return impl_of<A_PICK>(series)(series, index, boxed);
}

Cell* actions_poke_typed(Cell* series, int index, Cell* data, Cell* boxed) {
    return impl_of<A_POKE>(series)(series, index, data, boxed);
}

Cell* actions_put_typed(Cell* series, Cell* key, Cell* value, bool case_) {
    return impl_of<A_PUT>(series)(series, key, value, case_);
}

Cell* actions_remove_typed(Cell* series, Cell* part, Cell* key) {
    return impl_of<A_REMOVE>(series)(series, part, key);
}

Cell* actions_reverse_typed(Cell* series, Cell* part, Cell* skip) {
    return impl_of<A_REVERSE>(series)(series, part, skip);
}

Cell* actions_select_typed(Cell* series, Cell* value, const FindOptions& o) {
    return impl_of<A_SELECT>(series)(series, value, o);
}

Cell* actions_sort_typed(Cell* series, const SortOptions& o) {
    return impl_of<A_SORT>(series)(series, o);
}

Cell* actions_swap_typed(Cell* series1, Cell* series2) {
    return impl_of<A_SWAP>(series1)(series1, series2);
}

Cell* actions_take_typed(Cell* series, Cell* part, bool deep, bool last) {
    return impl_of<A_TAKE>(series)(series, part, deep, last);
}

Cell* actions_trim_typed(Cell* series, const TrimOptions& o) {
    return impl_of<A_TRIM>(series)(series, o);
}

Cell* actions_create_typed(Cell* port) {
    return impl_of<A_CREATE>(port)(port);
}

Cell* actions_close_typed(Cell* port) {
    return impl_of<A_CLOSE>(port)(port);
}

Cell* actions_delete_typed(Cell* file) {
    return impl_of<A_DELETE>(file)(file);
}

Cell* actions_modify_typed(Cell* target, Cell* field, Cell* value, bool case_) {
    return impl_of<A_MODIFY>(target)(target, field, value, case_);
}

Cell* actions_open_typed(Cell* spec, bool new_, bool read, bool write, bool seek, bool allow,
                         Cell* access) {
    return impl_of<A_OPEN>(spec)(spec, new_, read, write, seek, allow, access);
}

Cell* actions_open_q_typed(Cell* port) {
    return impl_of<A_OPEN_Q>(port)(port);
}

Cell* actions_query_typed(Cell* target) {
    return impl_of<A_QUERY>(target)(target);
}

Cell* actions_read_typed(Cell* source, Cell* part, Cell* seek, bool binary, bool lines, bool info,
                         Cell* as) {
    return impl_of<A_READ>(source)(source, part, seek, binary, lines, info, as);
}

Cell* actions_rename_typed(Cell* from, Cell* to) {
    return impl_of<A_RENAME>(from)(from, to);
}

Cell* actions_update_typed(Cell* port) {
    return impl_of<A_UPDATE>(port)(port);
}

Cell* actions_write_typed(Cell* destination, Cell* data, bool binary, bool lines, bool info,
                          bool append, Cell* part, Cell* seek, Cell* allow, Cell* as) {
    return impl_of<A_WRITE>(destination)(destination, data, binary, lines, info, append, part, seek,
                                         allow, as);
}

bool actions_compare(Cell* value1, Cell* value2, int op) {
    int r = impl_of<A_COMPARE>(value1)(value1, value2, op);
    if (r == -2) {
        bool equality = op <= kCmpStrictEqual || (op >= kCmpSame && op <= kCmpFind);
        if (!equality) error_fire(kCatScript, err::script::kInvalidCompare, value1, value2);
    }
    switch (op) {
    case kCmpEqual:
    case kCmpStrictEqual:
    case kCmpSame:
    case kCmpStrictWord:
    case kCmpStrictPath:
    case kCmpFind:
        return r == 0;
    case kCmpNotEqual:
        return r != 0;
    case kCmpLesser:
        return r < 0;
    case kCmpLesserEqual:
        return r < 1;
    case kCmpGreater:
        return r >= 1;
    case kCmpGreaterEqual:
        return r >= 0;
    default:
        runtime_error(kErrNoSwitch, 0);
    }
}

void actions_compare_to_logic(int op) {
    Cell* args = stack_arguments();
    bool r = actions_compare(args, args + 1, op);
    set_logic(stack_arguments(), r);
}

int actions_get_index_argument(const Cell* value) {
    switch (type_of(value)) {
    case T_INTEGER:
        return integer_get(value);
    case T_CHAR:
        return static_cast<int32_t>(char_value(value));
    case T_LOGIC:
        return logic_get(value) ? 1 : 2;
    default:
        return 0;
    }
}

} // namespace xel
