// new-line and new-line?: the new-line markers of block cells; as: a series
// seen as another type of its class, without a copy.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/series/series-natives.h"

namespace xel {

namespace {

void set_marker(Cell* c, bool on) {
    if (on)
        c->header |= kNewLineFlag;
    else
        cell_clear_new_line(c);
}

bool block_class(uint8_t t) {
    return t == T_BLOCK || t == T_PAREN || (t >= T_PATH && t <= T_GET_PATH);
}

bool string_class(uint8_t t) {
    return t == T_STRING || t == T_FILE || t == T_URL || t == T_TAG || t == T_EMAIL || t == T_REF;
}

} // namespace

// With /all or /skip, every step-th cell from the position takes the marker
// as value says and the cells between take the opposite.
uint32_t natives_new_line(int, const int32_t* refs) {
    Cell position = *call_arg(0);
    bool value = logic_get(call_arg(1)) != 0;
    auto index = static_cast<uint32_t>(block_index(&position) < 0 ? 0 : block_index(&position));
    uint32_t length = block_buffer_length(&position);
    plan_note_write(block_buffer(&position));
    if (!ref_present(refs[0]) && !ref_present(refs[1])) {
        if (index < length) set_marker(block_cell_at(&position, index), value);
    } else {
        int32_t step = 1;
        if (const Cell* skip = ref_arg(refs[1])) {
            step = integer_get(skip);
            if (step <= 0) error_fire(kCatScript, err::script::kOutOfRange, skip);
        }
        for (uint32_t i = 0; index + i < length; i++) {
            bool mark = step == 1 || i % static_cast<uint32_t>(step) == 0;
            set_marker(block_cell_at(&position, index + i), value == mark);
        }
    }
    *stack_arguments() = position;
    return 0;
}

uint32_t natives_new_line_q(int, const int32_t*) {
    Cell* position = stack_arguments();
    auto index = block_index(position);
    bool marked = index >= 0 && static_cast<uint32_t>(index) < block_buffer_length(position) &&
                  (block_cell_at(position, static_cast<uint32_t>(index))->header & kNewLineFlag);
    set_logic(position, marked);
    return 0;
}

uint32_t natives_as(int, const int32_t*) {
    Cell* type = call_arg(0);
    Cell spec = *call_arg(1);
    uint8_t to = datatype_named_or_own(type);
    uint8_t from = type_of(&spec);
    if (!(block_class(to) && block_class(from)) && !(string_class(to) && string_class(from))) {
        Cell from_type = datatype_cell(from);
        Cell to_type = datatype_cell(to);
        error_fire(kCatScript, err::script::kNotSameClass, &from_type, &to_type);
    }
    cell_set_type(&spec, to);
    *stack_arguments() = spec;
    return 0;
}

uint32_t natives_extend(int, const int32_t* refs) {
    // Objects grow only through make; extend serves maps.
    if (type_of(call_arg(0)) == T_OBJECT) error_fire(kCatInternal, err::internal::kNotDone);
    map_extend(call_arg(0), call_arg(1), ref_present(refs[0]));
    return 0;
}

} // namespace xel
