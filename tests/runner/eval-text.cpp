#include "tests/runner/eval-text.h"

#include <climits>

#include "runtime/actions/dispatch.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

std::string text_of(Cell* value, bool form) {
    Cell out;
    string_make_at(&out, 64);
    Cell v = *value;
    if (form)
        actions_form_typed(&v, &out, nullptr, INT_MAX);
    else
        actions_mold_typed(&v, &out, false, false, false, nullptr, INT_MAX, 0);
    return string_utf8_text(&out);
}

} // namespace

EvalOutcome eval_text(const std::string& code) {
    g_stack_args = g_stack_top = g_stack_base;
    g_frames_top = g_frames_base;
    exit_take();
    EvalOutcome out{false, ""};
    uint32_t caught = catch_at(kCatchErrors, [&] {
        stack_mark_try(g_word_try);
        Cell* source = string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                   static_cast<uint32_t>(code.size()), 0);
        Cell text = *source;
        Cell block;
        lexer_load_string(&block, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        stack_reset();
        if (interp_eval_block(&block, true).exit_pending()) {
            uint32_t pending = exit_take();
            out.error = true;
            out.text = pending == kThrowThrow ? "uncaught throw" : "uncaught exit";
            return;
        }
        out.text = text_of(stack_arguments(), false);
    });
    if (caught) {
        out.error = true;
        out.text = text_of(stack_top(), true);
    }
    return out;
}

} // namespace xel
