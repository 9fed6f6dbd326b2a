// do, reduce and compose: the natives that evaluate values and blocks.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/natives/control/control.h"
#include "runtime/natives/native-call.h"
#include "runtime/ownership/ownership.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/exits.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

inline bool is_function_type(uint8_t t) {
    return t == T_NATIVE || t == T_ACTION || t == T_OP || t == T_FUNCTION || t == T_ROUTINE;
}

// Types whose evaluation as an expression is not the value itself.
inline bool evaluates(uint8_t t) {
    return (t >= T_WORD && t <= T_GET_WORD) || (t >= T_PATH && t <= T_GET_PATH) || t == T_PAREN ||
           is_function_type(t);
}

// Pushes the value of one value evaluated as an expression: a word gives its
// value, a function is called with no arguments (nothing follows it).
Evaluated<> push_evaluated(const Cell* value) {
    if (!evaluates(type_of(value))) {
        cell_clear_new_line(stack_push(value));
        return {};
    }
    Cell code;
    block_make_at(&code, 1);
    block_append_copy(&code, value);
    Cell* pos = block_rs_head(&code);
    (void)interp_eval_expression(pos, pos + 1, &code, false, true, false);
    return {};
}

// The value of a field of an object!, or nullptr.
const Cell* object_field(const Cell* object, uint32_t symbol) {
    if (type_of(object) != T_OBJECT) return nullptr;
    int32_t i = context_find_word(object_context(object), symbol, true);
    return i < 0 ? nullptr : context_value_at(object_context(object), static_cast<uint32_t>(i));
}

// Calls a function of the environment library in a function frame: the given
// argument cells, then none! for its other slots. The result goes to the
// current frame's result slot.
Evaluated<> call_library(const Cell* word, const Cell* fn, const Cell* args, uint32_t count) {
    Cell f = *fn;
    Cell name = *word;
    stack_mark_func(&name, function_context(&f));
    uint32_t slots = context_word_count(function_context(&f));
    for (uint32_t i = 0; i < slots; i++)
        stack_push(i < count ? &args[i] : &g_none_cell);
    if (interp_call_function(&f).exit_pending()) return {};
    stack_unwind_func_last();
    return {};
}

// The library function bound to a global word; script no-value naming the
// word while the library does not define it.
Cell library_function(const char* name) {
    Cell word = *word_load(name);
    Cell value = *context_get(&word);
    if (type_of(&value) != T_FUNCTION) error_fire(kCatScript, err::script::kNoValue, &word);
    return value;
}

// do/expand: the preprocessor's expand runs on the block in place.
Evaluated<> expand_block(const Cell* block) {
    Cell word = *word_load("preprocessor");
    Cell preprocessor = *context_get(&word);
    if (type_of(&preprocessor) != T_OBJECT) error_fire(kCatScript, err::script::kNoValue, &word);
    Cell expand_word = *word_load("expand");
    const Cell* expand = object_field(&preprocessor, word_symbol(&expand_word));
    if (!expand || type_of(expand) != T_FUNCTION)
        error_fire(kCatScript, err::script::kNoValue, &expand_word);
    Cell fn = *expand;
    Cell args[3] = {*block, g_none_cell, g_false_cell};
    return call_library(&expand_word, &fn, args, 3);
}

// do of a file! or url!: the library's do-file runs the script.
Evaluated<> do_file(const Cell* file, const Cell* args) {
    Cell fn = library_function("do-file");
    Cell cells[3] = {*file, g_none_cell, *args};
    Cell word = *word_load("do-file");
    return call_library(&word, &fn, cells, 3);
}

// Evaluates the value as do does; the result goes to the current frame's
// result slot.
Evaluated<> do_value(Cell* value, bool expand, const Cell* args, const Cell* next_word) {
    switch (type_of(value)) {
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        series_clamp_position(value);
        if (expand && expand_block(value).exit_pending()) return {};
        if (next_word) {
            Evaluated<int32_t> index = interp_do_next(value);
            if (index.exit_pending()) return {};
            stack_keep();
            Cell position = *value;
            series_set_index(&position, index.value());
            Cell word = *next_word;
            context_set(&word, &position);
            return {};
        }
        return interp_eval_block(value, true);
    case T_STRING: {
        Cell code;
        lexer_load_string(&code, value, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        return interp_eval_block(&code, true);
    }
    case T_FILE:
    case T_URL:
        return do_file(value, args);
    case T_ERROR:
        stack_throw_error(value);
    default: {
        Cell* mark = g_stack_top;
        if (push_evaluated(value).exit_pending()) return {};
        stack_set_last_keep(mark);
        return {};
    }
    }
}

// Where values go: a new block, or the /into block at its position.
struct Output {
    Cell block; // the position where the next value goes
    bool insert;
    bool hashed;
    int32_t start;
    uint32_t added = 0;

    Output(bool into, const Cell* out, int capacity) {
        if (into) {
            block = *out;
        } else {
            block_make_at(&block, capacity);
        }
        series_clamp_position(&block);
        start = block_index(&block);
        hashed = type_of(&block) == T_HASH;
        insert = block_index(&block) < static_cast<int32_t>(block_buffer_length(&block));
    }

    void add(const Cell* value) {
        Cell v = *value;
        if (hashed) {
            block = *actions_insert_typed(&block, &v, nullptr, true, nullptr);
        } else if (insert) {
            block_insert_value(&block, &v, false, true);
        } else {
            block_append_copy(&block, &v);
            series_move_index(&block, 1);
        }
        added++;
    }

    // The new block at its head, or the /into block after the added values;
    // the owner of an /into block hears of the insertion.
    Cell result(bool into) {
        if (!into) {
            Cell head = block;
            series_set_index(&head, 0);
            return head;
        }
        if (!hashed && added) {
            Cell at_start = block;
            series_set_index(&at_start, start);
            ownership_check(&at_start, ownership_word_before(Change::Insert), nullptr, start,
                            static_cast<int>(added));
        }
        return block;
    }
};

// Keeps the cycle stack as it was however a deep walk ends.
struct CycleDepthGuard {
    uint32_t depth = cycles_depth();
    ~CycleDepthGuard() { cycles_pop_n(cycles_depth() - depth); }
};

// Copies block's cells into out, evaluating parens; false when an exit is
// pending.
bool compose_into(Output& out, const Cell* block, bool deep, bool only) {
    Cell src = *block;
    for (auto i = static_cast<uint32_t>(block_index(&src) > 0 ? block_index(&src) : 0);
         i < block_buffer_length(&src); i++) {
        Cell c = *block_cell_at(&src, i);
        uint8_t t = type_of(&c);
        if (t == T_PAREN) {
            if (block_index(&c) >= static_cast<int32_t>(block_buffer_length(&c))) continue;
            Cell* mark = g_stack_top;
            if (interp_eval_block(&c, false).exit_pending()) return false;
            Cell v = *mark;
            g_stack_top = mark;
            if (type_of(&v) == T_UNSET) continue;
            if (type_of(&v) != T_BLOCK || only) {
                out.add(&v);
                continue;
            }
            for (auto k = static_cast<uint32_t>(block_index(&v) > 0 ? block_index(&v) : 0);
                 k < block_buffer_length(&v); k++)
                out.add(block_cell_at(&v, k));
        } else if (t == T_BLOCK && deep) {
            if (cycles_find(series_node(&c))) error_fire(kCatInternal, err::internal::kNoCycle);
            cycles_push(series_node(&c));
            Output nested(false, nullptr, block_length_at(&c));
            if (!compose_into(nested, &c, deep, only)) return false;
            cycles_pop();
            Cell made = nested.result(false);
            made.header |= c.header & kNewLineFlag;
            out.add(&made);
        } else {
            out.add(&c);
        }
    }
    return true;
}

} // namespace

// do [value [any-type!] /expand /args arg /next position [word!]
//     /trace callback [function! [event code offset value ref frame]]]
//
// Returns the exit code left pending (0 when none), for compiled callers.
uint32_t natives_do(int, const int32_t* refs) {
    Cell value = *call_arg(0);
    bool expand = ref_present(refs[0]);
    Cell args = ref_present(refs[1]) ? *ref_arg(refs[1]) : g_none_cell;
    Cell next_word = ref_present(refs[2]) ? *ref_arg(refs[2]) : g_none_cell;
    const Cell* next = ref_present(refs[2]) ? &next_word : nullptr;
    if (!ref_present(refs[3]) || g_tracer_installed) {
        (void)do_value(&value, expand, &args, next);
        return g_pending_exit;
    }

    // Traced: the frame below this one stops return and exit for the
    // duration, so the tracer sees its end event before they go on.
    Cell tracer = *ref_arg(refs[3]);
    CallFrame* marked = stack_mark_exit_target();
    auto finish = [marked] {
        if (marked) stack_clear_exit_target(marked);
        exit_boundary(trace_uninstall);
    };
    try {
        // The tracer is called from deep inside the traced code: an exit
        // it takes arrives here as a throw and goes on as a pending exit.
        exit_boundary([&] {
            trace_install(&tracer);
            (void)do_value(&value, expand, &args, next);
        });
    } catch (const Throw& t) {
        if (t.code != kThrowError) {
            finish();
            exit_take();
            throw;
        }
        // The error has unwound the frames already: the tracer's end event
        // runs under a try of its own, and an error it raises is dropped.
        Cell* args = g_stack_args;
        Cell* top = g_stack_top;
        CallFrame* frames = g_frames_top;
        stack_mark_try(g_word_try);
        catch_at(kCatchErrors, finish);
        g_stack_args = args;
        g_stack_top = top;
        g_frames_top = frames;
        exit_take();
        throw;
    }
    finish();
    uint32_t code = g_pending_exit;
    if ((code == kThrowReturn || code == kThrowExit) && marked && stack_top_frame() == marked) {
        exit_take();
        stack_throw_exit(code == kThrowReturn, true);
    }
    return g_pending_exit;
}

// reduce [value [any-type!] /into out [any-block!]]
uint32_t natives_reduce(int, const int32_t* refs) {
    Cell value = *call_arg(0);
    bool into = ref_present(refs[0]);
    const Cell* out_arg = into ? ref_arg(refs[0]) : nullptr;
    uint8_t t = type_of(&value);

    if (t != T_BLOCK) {
        if (!into) {
            if (is_function_type(t)) {
                stack_keep();
                return 0;
            }
            Cell* mark = g_stack_top;
            if (push_evaluated(&value).exit_pending()) return 0;
            stack_set_last_keep(mark);
            return 0;
        }
        Output out(true, out_arg, 0);
        if (is_function_type(t)) {
            out.add(&value);
        } else {
            Cell* mark = g_stack_top;
            if (push_evaluated(&value).exit_pending()) return 0;
            out.add(mark);
            g_stack_top = mark;
        }
        Cell result = out.result(true);
        stack_set_last_keep(&result);
        return 0;
    }

    series_clamp_position(&value);
    Output out(into, out_arg, block_length_at(&value));
    Cell* base = stack_mark_native(g_word_body_marker);
    Cell* pos = block_rs_head(&value);
    Cell* end = block_rs_tail(&value);
    while (pos < end) {
        Evaluated<Cell*> next = interp_eval_expression(pos, end, &value, false, true, false);
        if (next.exit_pending()) return 0;
        pos = next.value();
        cell_clear_new_line(base);
        out.add(base);
        stack_reset();
    }
    *base = out.result(into);
    stack_unwind_last();
    stack_keep();
    return 0;
}

// compose [value [block!] /deep /only /into out [any-block!]]
//
// Parens are evaluated: unset! adds nothing, a block! adds its values (as one
// value with /only), an empty paren is dropped unevaluated. With /deep nested
// blocks are composed into new blocks.
uint32_t natives_compose(int, const int32_t* refs) {
    Cell value = *call_arg(0);
    if (type_of(&value) != T_BLOCK) {
        Cell expected = datatype_cell(T_BLOCK);
        Cell got = datatype_cell(type_of(&value));
        error_fire(kCatScript, err::script::kExpectVal, &expected, &got);
    }
    bool deep = ref_present(refs[0]);
    bool only = ref_present(refs[1]);
    bool into = ref_present(refs[2]);
    series_clamp_position(&value);
    Output out(into, into ? ref_arg(refs[2]) : nullptr, block_length_at(&value));
    CycleDepthGuard guard;
    if (deep) cycles_push(series_node(&value));
    if (!compose_into(out, &value, deep, only)) return 0;
    Cell result = out.result(into);
    stack_set_last_keep(&result);
    return 0;
}

} // namespace xel
