#include "runtime/interpreter/interp-spec.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/interpreter/interp-internal.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

const Cell* spec_arg_word(const Cell* fn, int n) {
    static Cell word;
    uint8_t ft = type_of(fn);
    if (ft != T_NATIVE && ft != T_ACTION && ft != T_FUNCTION && ft != T_ROUTINE)
        return g_word_anon_marker;
    Cell spec;
    function_spec_block(fn, &spec);
    uint32_t len = block_buffer_length(&spec);
    for (uint32_t i = 0; i < len; i++) {
        const Cell* v = block_cell_at(&spec, i);
        uint8_t t = type_of(v);
        if (t != T_WORD && t != T_GET_WORD && t != T_LIT_WORD && t != T_REFINEMENT) continue;
        if (n-- == 0) {
            word = *v;
            cell_set_type(&word, T_WORD);
            cell_clear_new_line(&word);
            return &word;
        }
    }
    return g_word_anon_marker;
}

} // namespace xel
