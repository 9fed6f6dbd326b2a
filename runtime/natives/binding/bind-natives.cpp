// bind, in and context?.
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/natives/binding/word-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

// The context a word is bound to; an unbound word has none to give.
Offset word_context_checked(const Cell* word) {
    Offset ctx = word_context(word);
    if (!ctx) error_fire(kCatScript, err::script::kNotDefined, word);
    return ctx;
}

// The context of a native!'s or action!'s spec words: the record keeps a
// copy of its context cell, whose word entries name the context node.
// 0 when the spec has no words.
Offset spec_words_context(const Cell* fn) {
    Offset table = context_cell_table(&function_record(fn)[0]);
    Cell words;
    block_set_cell(&words, T_BLOCK, hash_record(table)->block, 0);
    if (block_buffer_length(&words) == 0) return 0;
    return word_context(block_cell_at(&words, 0));
}

// The context in answers for: an object's, a function's, or a native's
// spec words.
Offset in_context(const Cell* value) {
    uint8_t t = type_of(value);
    if (t == T_OP) t = op_source_type(value);
    if (t == T_NATIVE || t == T_ACTION) return spec_words_context(value);
    return is_object_kind(t) ? object_context(value) : function_context(value);
}

} // namespace

uint32_t natives_bind(int, const int32_t* refs) {
    Cell* args = stack_arguments();
    Cell target = args[0], context = args[1];
    uint8_t ct = type_of(&context);
    Offset ctx = ct >= T_WORD && ct <= T_GET_WORD ? word_context_checked(&context)
                 : is_object_kind(ct)             ? object_context(&context)
                                                  : function_context(&context);
    if (type_of(&target) == T_BLOCK) {
        // Nested parens and paths are copied too: binding the copy must
        // leave every part of the original as it was.
        if (ref_present(refs[0])) target = *block_clone(&target, true, true);
        context_bind_block(&target, ctx, ct == T_OBJECT);
    } else {
        context_bind_word(ctx, &target);
    }
    *stack_arguments() = target;
    return 0;
}

uint32_t natives_in(int, const int32_t*) {
    Cell* args = stack_arguments();
    Offset ctx = in_context(args);
    Cell word = args[1];
    if (ctx && context_bind_word(ctx, &word) >= 0) {
        if (type_of(&word) == T_REFINEMENT) cell_set_type(&word, T_WORD);
        *stack_arguments() = word;
    } else {
        set_none(stack_arguments());
    }
    return 0;
}

uint32_t natives_context(int, const int32_t*) {
    Cell* arg = stack_arguments();
    Offset ctx = word_context_checked(arg);
    *stack_arguments() = *context_self(ctx);
    return 0;
}

} // namespace xel
