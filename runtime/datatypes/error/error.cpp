// error!: making errors from the catalogue, and the error text.
#include "runtime/datatypes/error/error.h"

#include <algorithm>
#include <climits>

#include "runtime/actions/dispatch.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error-catalog.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/memory/collector.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

Cell g_state_stack_trace{T_NONE, 0, 0, 0};
Cell g_state_source_files{T_NONE, 0, 0, 0};

namespace {

constexpr const char* kFieldNames[kErrorFieldCount] = {"code", "type", "id",    "arg1",  "arg2",
                                                       "arg3", "near", "where", "stack", "files"};

// Made by error_init: the prototype's context, the catalogue's symbols
// (canonical ids) and its messages, kept in a block in the root block.
Offset g_prototype = 0;
// Raising no-memory must not need memory: its error is made at start and
// raised again each time.
Offset g_no_memory = 0;
uint32_t g_category_symbols[kErrorCategoryCount];
uint32_t* g_id_symbols[kErrorCategoryCount];
uint32_t g_message_start[kErrorCategoryCount];
Cell g_messages{};

const Cell* message_of(int category, int id) {
    return block_rs_head(&g_messages) + g_message_start[category] + (id - 2);
}

int category_of_symbol(uint32_t sym) {
    for (int c = 0; c < kErrorCategoryCount; c++)
        if (g_category_symbols[c] == sym) return c;
    return -1;
}

int id_of_symbol(int category, uint32_t sym) {
    for (int i = 0; i < kErrorCatalog[category].count; i++)
        if (g_id_symbols[category][i] == sym) return i + 2;
    return -1;
}

uint32_t canonical_word_symbol(const Cell* c) {
    return is_any_word_type(type_of(c)) ? symbol_resolve(word_symbol(c)) : 0;
}

void set_word(Cell* cell, const char* name) {
    word_make_at(cell, symbol_make(name));
}

void make_message(const ErrorIdInfo& info) {
    Cell* slot = block_alloc_tail_cell(&g_messages);
    switch (info.kind) {
    case ErrorMessageKind::kNone:
        set_none(slot);
        return;
    case ErrorMessageKind::kString: {
        Cell s;
        string_make_at(&s, 0);
        string_concatenate_literal(&s, info.parts[0]);
        *(block_rs_tail(&g_messages) - 1) = s;
        return;
    }
    case ErrorMessageKind::kBlock:
        break;
    }
    Cell blk;
    block_make_at(&blk, 6);
    for (const char* part : info.parts) {
        if (!part) break;
        Cell c;
        if (part[0] == ':') {
            word_make_at(&c, symbol_make(part + 1));
            cell_set_type(&c, T_GET_WORD);
        } else {
            string_make_at(&c, 0);
            string_concatenate_literal(&c, part);
        }
        block_append_copy(&blk, &c);
    }
    *(block_rs_tail(&g_messages) - 1) = blk;
}

// A new error! of the prototype's shape, fields none!, class id 1.
void new_error_at(Cell* out) {
    *out = Cell{T_ERROR, g_prototype, 1, 0};
    context_clone(out);
}

void set_kind(Cell* error, int category, int id) {
    set_integer(error_field(error, kErrFieldCode), error_code(category, id));
    Cell w;
    word_make_at(&w, symbol_make(kErrorCatalog[category].name));
    *error_field(error, kErrFieldType) = w;
    word_make_at(&w, symbol_make(kErrorCatalog[category].ids[id - 2].name));
    *error_field(error, kErrFieldId) = w;
}

void raise_pending_error() {
    const PendingError& p = g_pending_error;
    if (p.category == kCatInternal && p.id == err::internal::kNoMemory) {
        Cell error{T_ERROR, g_no_memory, 1, 0};
        for (uint32_t f = kErrFieldNear; f < kErrorFieldCount; f++)
            set_none(error_field(&error, f));
        stack_throw_error(&error);
    }
    Cell args[3];
    for (int i = 0; i < p.arg_count; i++)
        args[i] = p.args[i];
    Cell error;
    error_create_at(&error, p.category, p.id, p.arg_count > 0 ? &args[0] : nullptr,
                    p.arg_count > 1 ? &args[1] : nullptr, p.arg_count > 2 ? &args[2] : nullptr);
    stack_throw_error(&error);
}

// The error's field named by a word's symbol, or nullptr.
const Cell* field_named(const Cell* error, uint32_t sym) {
    int32_t i = context_find_word(error_context(error), sym, true);
    return i < 0 ? nullptr : context_value_at(error_context(error), static_cast<uint32_t>(i));
}

int length_of(const Cell* str) {
    return static_cast<int>(string_xs_length_from_head(str));
}

// Molds value flat without outer brackets into buffer, at most 40 characters.
// The limit is given as mold/part's, so the walk stops there: a near block
// too long or too deep to mold whole still reports.
void append_mold_40(Cell* buffer, const Cell* value) {
    Cell v = *value;
    Cell limit;
    set_integer(&limit, 40);
    Cell* tmp = stack_push_cell();
    string_make_at(tmp, 64);
    actions_mold_typed(&v, tmp, true, false, true, &limit, 40, 0);
    tmp = stack_top();
    string_truncate_at(string_buffer(tmp), 40);
    std::string text = string_utf8_text(tmp);
    stack_pop(1);
    string_append_bytes(buffer, reinterpret_cast<const uint8_t*>(text.data()),
                        static_cast<uint32_t>(text.size()));
}

// The prototype is held only here; the messages block is one of the root
// block's, and its copy here must follow node compaction.
void mark_roots() {
    collector_mark_context(&g_prototype);
    collector_mark_context(&g_no_memory);
    collector_mark_block_node(series_node_slot(&g_messages));
    collector_mark_cells(&g_state_stack_trace, &g_state_stack_trace + 1);
    collector_mark_cells(&g_state_source_files, &g_state_source_files + 1);
    PendingError& pending = g_pending_error;
    if (pending.arg_count > 0 && pending.arg_count <= 3)
        collector_mark_cells(pending.args, pending.args + pending.arg_count);
}

} // namespace

void error_init() {
    for (uint32_t*& ids : g_id_symbols)
        delete[] ids;
    g_prototype = context_make(kErrorFieldCount, kContextObject, 0, false, false);
    for (const char* name : kFieldNames)
        context_index_or_add(g_prototype, symbol_make(name));
    for (uint32_t i = 0; i < kErrorFieldCount; i++)
        set_none(context_value_at(g_prototype, i));

    g_messages = *block_make_in(&g_root, 200);
    uint32_t fill = 0;
    for (int c = 0; c < kErrorCategoryCount; c++) {
        const ErrorCategoryInfo& cat = kErrorCatalog[c];
        g_category_symbols[c] = symbol_resolve(symbol_make(cat.name));
        g_id_symbols[c] = new uint32_t[cat.count > 0 ? cat.count : 1];
        g_message_start[c] = fill;
        for (int i = 0; i < cat.count; i++) {
            g_id_symbols[c][i] = symbol_resolve(symbol_make(cat.ids[i].name));
            make_message(cat.ids[i]);
            fill++;
        }
    }
    Cell no_memory;
    error_create_at(&no_memory, kCatInternal, err::internal::kNoMemory, nullptr, nullptr, nullptr);
    g_no_memory = error_context(&no_memory);
    g_state_stack_trace = Cell{T_NONE, 0, 0, 0};
    g_state_source_files = Cell{T_NONE, 0, 0, 0};
    g_throw_error = raise_pending_error;
    collector_add_root_callback(mark_roots);
}

void error_create_at(Cell* out, int category, int id, const Cell* arg1, const Cell* arg2,
                     const Cell* arg3) {
    Cell args[3];
    const Cell* given[3] = {arg1, arg2, arg3};
    for (int i = 0; i < 3; i++)
        if (given[i]) args[i] = *given[i];
    Cell error;
    new_error_at(&error);
    set_kind(&error, category, id);
    for (int i = 0; i < 3; i++)
        if (given[i]) *error_field(&error, kErrFieldArg1 + i) = args[i];
    *out = error;
}

bool error_lookup(uint32_t category_symbol, uint32_t id_symbol, int* category, int* id) {
    *category = category_of_symbol(symbol_resolve(category_symbol));
    *id = *category < 0 ? -1 : id_of_symbol(*category, symbol_resolve(id_symbol));
    return *id >= 0;
}

void error_set_where(Cell* error, const Cell* where) {
    Cell* field = error_field(error, kErrFieldWhere);
    if (type_of(field) == T_NONE) *field = *where;
}

void error_set_near(Cell* error, const Cell* near) {
    if (error_context(error) == g_no_memory) return;
    Cell* field = error_field(error, kErrFieldNear);
    if (type_of(field) == T_NONE) *field = *near;
}

uint32_t error_type_symbol(const Cell* error) {
    const Cell* c = error_field(error, kErrFieldType);
    return is_any_word_type(type_of(c)) ? word_symbol(c) : 0;
}

uint32_t error_id_symbol(const Cell* error) {
    const Cell* c = error_field(error, kErrFieldId);
    return is_any_word_type(type_of(c)) ? word_symbol(c) : 0;
}

Cell error_arg_word(int n) {
    Cell call = *stack_get_call();
    Offset ctx = word_context(&call);
    if (!ctx || !context_has_values(ctx) || word_index(&call) < 0) return *g_word_anon_marker;
    return function_arg_word(context_value_at(ctx, static_cast<uint32_t>(word_index(&call))), n);
}

void error_fire_expect_arg(uint8_t type, int n) {
    Cell called = *stack_get_call();
    Cell datatype = datatype_cell(type);
    Cell arg = error_arg_word(n);
    error_fire(kCatScript, err::script::kExpectArg, &called, &datatype, &arg);
}

namespace {

// A field of system/state where the library's system object holds it; the
// stand-in serves a run-time without that object.
Cell state_field(const char* name, const Cell& stand_in) {
    int32_t i = context_find_word(g_global_context, g_sym_system, false);
    if (i < 0) return stand_in;
    const Cell* system = context_value_at(g_global_context, static_cast<uint32_t>(i));
    if (type_of(system) != T_OBJECT) return stand_in;
    Offset ctx = object_context(system);
    i = context_find_word(ctx, symbol_make("state"), true);
    if (i < 0) return stand_in;
    const Cell* state = context_value_at(ctx, static_cast<uint32_t>(i));
    if (type_of(state) != T_OBJECT) return stand_in;
    ctx = object_context(state);
    i = context_find_word(ctx, symbol_make(name), true);
    return i < 0 ? stand_in : *context_value_at(ctx, static_cast<uint32_t>(i));
}

// The depth of call traces, 0 when they are off.
int trace_depth(const Cell* trace) {
    return type_of(trace) == T_INTEGER ? std::max(static_cast<int32_t>(trace->data2), 0) : 0;
}

} // namespace

void error_capture_stack(Cell* error) {
    Cell* stack = error_field(error, kErrFieldStack);
    if (type_of(stack) != T_INTEGER) return;
    uint32_t position = stack->data2;
    Cell trace = state_field("stack-trace", g_state_stack_trace);
    int depth = trace_depth(&trace) > 0 ? trace_depth(&trace) : 1;
    Cell e = *error;
    Cell* block = stack_push_cell();
    block_make_at(block, 20);
    stack_trace_where(depth, block, position);
    *error_field(&e, kErrFieldStack) = *stack_top();
    stack_pop(1);
    Cell files = state_field("source-files", g_state_source_files);
    if (type_of(&files) == T_BLOCK && block_length_at(&files) > 0) {
        Cell copy = *block_clone(&files, false, false);
        stack_pop(1);
        *error_field(&e, kErrFieldFiles) = copy;
    }
}

namespace {

// Molds an argument whole, as the message shows it; forming never raises, so
// one too deep to mold whole shows as far as 80 characters of it.
void append_argument_mold(Cell* string, Cell* value) {
    uint32_t before = string_xs_length_from_head(string);
    CallFrame* frame = stack_top_frame();
    Cell* base = g_stack_args;
    Cell* top = g_stack_top;
    stack_mark_try(g_word_try);
    uint32_t raised = catch_at(kCatchErrors, [&] {
        actions_mold_typed(value, string, false, false, false, nullptr, INT_MAX, 0);
    });
    stack_set_top_frame(frame);
    g_stack_args = base;
    g_stack_top = top;
    if (!raised) return;
    string_truncate_at(string_buffer(string), before);
    Cell limit;
    set_integer(&limit, 80);
    actions_mold_typed(value, string, false, false, false, &limit, 80, 0);
    string_truncate_at(string_buffer(string), before + 80);
}

} // namespace

int error_form_message(const Cell* message, Cell* string, const Cell* error, int budget) {
    Cell msg = *message;
    Cell err = *error;
    uint32_t cat = canonical_word_symbol(error_field(&err, kErrFieldType));
    bool form_args = cat == g_category_symbols[kCatSyntax] || cat == g_category_symbols[kCatUser];
    bool first = true;
    int count = static_cast<int>(block_rs_tail(&msg) - block_rs_head(&msg));
    for (int i = 0; i < count; i++) {
        Cell part = block_rs_head(&msg)[i];
        uint8_t t = type_of(&part);
        if (t != T_STRING && t != T_WORD && t != T_GET_WORD) continue;
        if (!first) {
            string_concatenate_literal(string, " ");
            budget--;
        }
        first = false;
        int before = length_of(string);
        if (t == T_STRING) {
            std::string text = string_utf8_text(&part);
            string_append_bytes(string, reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<uint32_t>(text.size()));
        } else {
            const Cell* f = field_named(&err, word_symbol(&part));
            Cell value = f ? *f : g_none_cell;
            if (form_args)
                actions_form_typed(&value, string, nullptr, 80);
            else
                append_argument_mold(string, &value);
        }
        budget -= length_of(string) - before;
    }
    return budget;
}

int error_form(Cell* value, Cell* buffer, Cell*, int part) {
    Cell err = *value;
    Cell str = *buffer;
    int start = length_of(&str);
    string_concatenate_literal(&str, "*** ");

    // An unknown category or id forms as internal invalid-error with it as argument.
    int category = category_of_symbol(canonical_word_symbol(error_field(&err, kErrFieldType)));
    int id = -1;
    Cell fallback_arg{};
    if (category < 0) {
        fallback_arg = *error_field(&err, kErrFieldType);
    } else {
        id = id_of_symbol(category, canonical_word_symbol(error_field(&err, kErrFieldId)));
        if (id < 0) fallback_arg = *error_field(&err, kErrFieldId);
    }
    const Cell* message = nullptr;
    if (category >= 0 && id >= 0) {
        message = message_of(category, id);
        if (type_of(message) != T_STRING && type_of(message) != T_BLOCK) {
            fallback_arg = *error_field(&err, kErrFieldId);
            message = nullptr;
        }
    }
    Cell shown = err;
    if (!message) {
        category = kCatInternal;
        id = err::internal::kInvalidError;
        message = message_of(category, id);
        new_error_at(&shown);
        set_kind(&shown, category, id);
        *error_field(&shown, kErrFieldArg1) = fallback_arg;
    }
    const char* display = kErrorCatalog[category].display;
    string_concatenate_literal(&str, display);
    string_concatenate_literal(&str, ": ");
    int budget = part - static_cast<int>(std::char_traits<char>::length(display)) - 6;

    Cell msg = *message;
    if (type_of(&msg) == T_STRING) {
        std::string text = string_utf8_text(&msg);
        string_append_bytes(&str, reinterpret_cast<const uint8_t*>(text.data()),
                            static_cast<uint32_t>(text.size()));
        budget -= static_cast<int>(string_xs_length(&msg));
    } else {
        budget = error_form_message(&msg, &str, &shown, budget);
    }

    string_concatenate_literal(&str, "\n*** Where: ");
    Cell where = *error_field(&err, kErrFieldWhere);
    if (type_of(&where) == T_WORD) {
        budget -= 12;
        budget = actions_form_typed(&where, &str, nullptr, budget);
    } else if (type_of(&where) == T_STRING) {
        std::string text = string_utf8_text(&where);
        string_append_bytes(&str, reinterpret_cast<const uint8_t*>(text.data()),
                            static_cast<uint32_t>(text.size()));
    } else {
        string_concatenate_literal(&str, "???");
    }

    string_concatenate_literal(&str, "\n*** Near : ");
    append_mold_40(&str, error_field(&err, kErrFieldNear));

    Cell trace = state_field("stack-trace", g_state_stack_trace);
    if (trace_depth(&trace) > 0) {
        Cell stack = *error_field(&err, kErrFieldStack);
        int depth = trace_depth(&trace);
        if (type_of(&stack) == T_INTEGER) {
            string_concatenate_literal(&str, "\n*** Stack: ");
            budget = stack_trace_print(depth, &str, stack.data2, budget - 12);
        } else if (type_of(&stack) == T_BLOCK) {
            string_concatenate_literal(&str, "\n*** Stack: ");
            budget = actions_form_typed(&stack, &str, nullptr, budget);
        }
    }
    Cell files = *error_field(&err, kErrFieldFiles);
    if (type_of(&files) == T_BLOCK) {
        string_concatenate_literal(&str, "\n*** Files: ");
        append_mold_40(&str, &files);
    }
    (void)budget;
    return part - (length_of(&str) - start);
}

std::string error_headline(const Cell* error) {
    Cell err = *error;
    int category = category_of_symbol(canonical_word_symbol(error_field(&err, kErrFieldType)));
    int id = category < 0
                 ? -1
                 : id_of_symbol(category, canonical_word_symbol(error_field(&err, kErrFieldId)));
    if (id < 0) return "*** Internal Error: invalid error";
    const ErrorIdInfo& info = kErrorCatalog[category].ids[id - 2];
    std::string text = std::string("*** ") + kErrorCatalog[category].display + ": ";
    return text + (info.kind == ErrorMessageKind::kString ? info.parts[0] : info.name);
}

std::string error_form_text(Cell* error) {
    Cell err = *error;
    Cell* buffer = stack_push_cell();
    string_make_at(buffer, 256);
    actions_form_typed(&err, buffer, nullptr, INT_MAX);
    std::string text = string_utf8_text(stack_top());
    stack_pop(1);
    return text;
}

namespace {

[[noreturn]] void bad_spec_field(const char* field) {
    Cell w;
    set_word(&w, field);
    error_fire(kCatScript, err::script::kInvalidSpecField, &w);
}

} // namespace

Cell* error_make(Cell*, Cell* spec, int) {
    Cell s = *spec;
    Cell error;
    switch (type_of(&s)) {
    case T_INTEGER: {
        int32_t code = static_cast<int32_t>(s.data2);
        int category = code / 100;
        int id = code % 100 + 2;
        if (code < 0 || category >= kErrorCategoryCount || id - 2 >= kErrorCatalog[category].count)
            error_fire(kCatScript, err::script::kOutOfRange, &s);
        new_error_at(&error);
        set_kind(&error, category, id);
        break;
    }
    case T_BLOCK: {
        int n = static_cast<int>(block_rs_tail(&s) - block_rs_head(&s));
        Cell first = n > 0 ? block_rs_head(&s)[0] : g_none_cell;
        if (n > 0 && type_of(&first) == T_SET_WORD) {
            // A field spec is evaluated in the new error, like an object's body.
            new_error_at(&error);
            Cell* held = stack_push(&error);
            context_bind_block(&s, error_context(&error), false);
            if (interp_eval_block(&s, false).exit_pending()) return stack_arguments();
            error = *held;
            g_stack_top = held;
            const Cell* type = error_field(&error, kErrFieldType);
            int category =
                type_of(type) == T_WORD ? category_of_symbol(canonical_word_symbol(type)) : -1;
            if (category < 0) bad_spec_field("type");
            const Cell* id_word = error_field(&error, kErrFieldId);
            int id = type_of(id_word) == T_WORD
                         ? id_of_symbol(category, canonical_word_symbol(id_word))
                         : -1;
            if (id < 0) bad_spec_field("id");
            set_kind(&error, category, id);
            break;
        }
        if (type_of(&first) != T_WORD)
            error_fire(kCatInternal, err::internal::kInvalidError, &first);
        int category = category_of_symbol(canonical_word_symbol(&first));
        if (category < 0) bad_spec_field("type");
        if (n < 2) bad_spec_field("id");
        Cell second = block_rs_head(&s)[1];
        if (type_of(&second) != T_WORD) error_fire(kCatScript, err::script::kInvalidArg, &second);
        int id = id_of_symbol(category, canonical_word_symbol(&second));
        if (id < 0) bad_spec_field("id");
        new_error_at(&error);
        set_kind(&error, category, id);
        break;
    }
    case T_STRING:
        new_error_at(&error);
        set_kind(&error, kCatUser, err::user::kMessage);
        *error_field(&error, kErrFieldArg1) = s;
        break;
    default: {
        Cell datatype = datatype_cell(T_ERROR);
        error_fire_bad_make_arg(&datatype, &s);
    }
    }
    return stack_set_last(&error);
}

Cell* error_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify) {
    auto fn = reinterpret_cast<ActionSig<A_EVAL_PATH>::type>(
        actions_get_action_ptr_path(T_OBJECT, path, element, index));
    return fn(parent, element, value, path, gparent, p_item, index, case_, get, tail, notify);
}

int error_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_ERROR) return -2;
    auto fn = reinterpret_cast<ActionSig<A_COMPARE>::type>(
        actions_get_action_ptr_from(T_OBJECT, value1, A_COMPARE));
    cell_set_type(value2, T_OBJECT);
    int r;
    try {
        r = fn(value1, value2, op);
    } catch (...) {
        cell_set_type(value2, T_ERROR);
        throw;
    }
    cell_set_type(value2, T_ERROR);
    return r;
}

void error_row(ActionList& row) {
    row.set<A_MAKE>(error_make)
        .inherit(A_REFLECT)
        .set<A_FORM>(error_form)
        .set<A_MOLD>(error_mold)
        .set<A_EVAL_PATH>(error_eval_path)
        .set<A_COMPARE>(error_compare)
        .inherit(A_COPY)
        .inherit(A_SELECT);
}

} // namespace xel
