// value?, unset and type?.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/natives/binding/word-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

uint32_t natives_value(int, const int32_t*) {
    Cell* arg = stack_arguments();
    uint8_t t = type_of(arg);
    // An unbound word raises its error here rather than answering false.
    bool has = t >= T_WORD && t <= T_GET_WORD ? type_of(context_get(arg)) != T_UNSET : t != T_UNSET;
    set_logic(stack_arguments(), has);
    return 0;
}

uint32_t natives_unset(int, const int32_t*) {
    Cell target = *stack_arguments();
    if (type_of(&target) == T_WORD) {
        context_set(&target, &g_unset_cell);
    } else {
        uint32_t n = block_buffer_length(&target);
        for (auto i = static_cast<uint32_t>(block_index(&target)); i < n; i++) {
            Cell word = *block_cell_at(&target, i);
            if (type_of(&word) == T_WORD) context_set(&word, &g_unset_cell);
        }
    }
    set_unset(stack_arguments());
    return 0;
}

uint32_t natives_type(int, const int32_t* refs) {
    Cell* arg = stack_arguments();
    uint8_t t = type_of(arg);
    if (ref_present(refs[0]))
        *arg = *g_type_names[t].word;
    else
        *arg = datatype_cell(static_cast<uint8_t>(t));
    return 0;
}

} // namespace xel
