// Calling a routine!: its C++ code takes the frame's arguments either as
// cells or converted by their declared types (logic!, integer!, float!).
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

constexpr uint32_t kMaxRoutineArgs = 32;

RoutineValue converted(Cell* arg) {
    RoutineValue v;
    switch (type_of(arg)) {
    case T_LOGIC:
        v.integer = value_truth(arg) ? 1 : 0;
        break;
    case T_INTEGER:
        v.integer = integer_get(arg);
        break;
    case T_FLOAT:
        v.number = float_get(arg);
        break;
    default:
        v.cell = arg;
        break;
    }
    return v;
}

} // namespace

Evaluated<> interp_exec_routine(const Cell* fn) {
    Cell* record = function_record(fn);
    RoutineFn code = routine_code(static_cast<uint32_t>(integer_get(&record[kRecordCode])));
    if (!code) error_fire(kCatInternal, err::internal::kNotDone);
    int32_t return_type = integer_get(&record[kRecordOwner]);
    uint32_t count = function_header_count(fn);
    Cell* args = stack_arguments();
    RoutineValue values[kMaxRoutineArgs];
    bool cells = fn->header & kRoutineCellArguments;
    for (uint32_t i = 0; i < count && i < kMaxRoutineArgs; i++) {
        if (cells)
            values[i].cell = args + i;
        else
            values[i] = converted(args + i);
    }
    RoutineValue result = code(values, count);
    Cell out;
    switch (cells ? -1 : return_type) {
    case T_LOGIC:
        set_logic(&out, result.integer != 0);
        break;
    case T_INTEGER:
        set_integer(&out, result.integer);
        break;
    case T_FLOAT:
        float_make_at(&out, result.number);
        break;
    default:
        out = result.cell ? *result.cell : g_unset_cell;
        break;
    }
    stack_set_last_keep(&out);
    return {};
}

} // namespace xel
