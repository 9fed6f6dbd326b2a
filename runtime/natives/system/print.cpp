// print and prin: the language's output, through the value print hooks.
#include <climits>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/natives/control/control.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/natives.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/stack/exits.h"
#include "runtime/symbols/symbols.h"

namespace xel {

uint32_t g_last_new_line = 0;

namespace {

// A print's share of the print buffer: its values go after those of any
// print whose reduction is still running, and however the print ends (done,
// an error, a pending exit) the buffer is cut back and its index restored.
struct PrintBufferShare {
    int32_t saved_index;
    int32_t start;

    PrintBufferShare() {
        saved_index = block_index(&g_print_buffer);
        start = static_cast<int32_t>(block_buffer_length(&g_print_buffer));
        series_set_index(&g_print_buffer, start);
    }
    ~PrintBufferShare() {
        block_clear_from(&g_print_buffer, start);
        series_set_index(&g_print_buffer, saved_index);
    }
    PrintBufferShare(const PrintBufferShare&) = delete;
    PrintBufferShare& operator=(const PrintBufferShare&) = delete;
};

// reduce/into of the block at the print buffer's tail.
void reduce_into_print_buffer(const Cell* block) {
    Cell args[2] = {*block, g_print_buffer};
    Cell word = *word_load("reduce");
    stack_mark_native(&word);
    stack_push(&args[0]);
    stack_push(&args[1]);
    const int32_t refs[1] = {1};
    natives_reduce(0, refs);
    if (exit_pending()) return;
    stack_unwind();
}

// Pushes the string to print: a string! as it is (its position clamped to its
// tail), any other value formed into a new string.
Cell* push_text(const Cell* value) {
    if (type_of(value) == T_STRING) {
        Cell* text = stack_push(value);
        string_char_at_index(text);
        return text;
    }
    Cell v = *value;
    Cell* text = stack_push_cell();
    string_make_at(text, 64);
    Cell out = *text;
    actions_form_typed(&v, &out, nullptr, INT_MAX);
    return text;
}

} // namespace

void natives_print_value(int new_line) {
    Cell value = *call_arg(0);
    if (type_of(&value) == T_BLOCK) {
        PrintBufferShare share;
        reduce_into_print_buffer(&value);
        if (exit_pending()) return;
        Cell printed = g_print_buffer;
        series_set_index(&printed, share.start);
        printhooks_call_value_hooks(push_text(&printed), new_line);
    } else {
        printhooks_call_value_hooks(push_text(&value), new_line);
    }
    g_last_new_line = static_cast<uint32_t>(new_line);
    set_unset(stack_arguments());
    stack_keep();
}

uint32_t natives_print(int, const int32_t*) {
    natives_print_value(1);
    return 0;
}

uint32_t natives_prin(int, const int32_t*) {
    natives_print_value(0);
    return 0;
}

} // namespace xel
