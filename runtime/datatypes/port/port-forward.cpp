// Actions on a port call its actor's functions.
#include <array>
#include <vector>

#include "runtime/actions/action-slots.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/port/port.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/native-call.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

struct Forwarded {
    int slot;
    const char* name;
};

constexpr Forwarded kForwarded[] = {
    {A_APPEND, "append"}, {A_AT, "at"},          {A_BACK, "back"},       {A_CHANGE, "change"},
    {A_CLEAR, "clear"},   {A_COPY, "copy"},      {A_FIND, "find"},       {A_HEAD, "head"},
    {A_HEAD_Q, "head?"},  {A_INDEX_Q, "index?"}, {A_INSERT, "insert"},   {A_LENGTH_Q, "length?"},
    {A_MOVE, "move"},     {A_NEXT, "next"},      {A_PICK, "pick"},       {A_POKE, "poke"},
    {A_PUT, "put"},       {A_REMOVE, "remove"},  {A_REVERSE, "reverse"}, {A_SELECT, "select"},
    {A_SORT, "sort"},     {A_SKIP, "skip"},      {A_SWAP, "swap"},       {A_TAIL, "tail"},
    {A_TAIL_Q, "tail?"},  {A_TAKE, "take"},      {A_TRIM, "trim"},       {A_CREATE, "create"},
    {A_CLOSE, "close"},   {A_DELETE, "delete"},  {A_MODIFY, "modify"},   {A_OPEN, "open"},
    {A_QUERY, "query"},   {A_READ, "read"},      {A_RENAME, "rename"},   {A_UPDATE, "update"},
    {A_WRITE, "write"},
};

const char* forwarded_name(int slot) {
    for (const Forwarded& f : kForwarded)
        if (f.slot == slot) return f.name;
    return nullptr;
}

// The shape of an action's spec: its mandatory arguments and, for each
// refinement, the number of its arguments. Read once from the action bound
// to the word of its name.
struct Shape {
    bool known = false;
    int mandatory = 0;
    std::vector<int> refinements;
};

std::array<Shape, kActionCount + 1> g_shapes;

const Shape& shape_of(int slot, const char* name) {
    Shape& shape = g_shapes[static_cast<size_t>(slot)];
    if (shape.known) return shape;
    Cell word = *word_load(name);
    const Cell* action = context_get(&word);
    if (!action || type_of(action) != T_ACTION ||
        native_entry(action) != static_cast<uint32_t>(slot))
        error_fire(kCatInternal, err::internal::kNotDone);
    Cell spec;
    function_spec_block(action, &spec);
    uint32_t n = block_buffer_length(&spec);
    for (uint32_t i = 0; i < n; i++) {
        uint8_t t = type_of(block_cell_at(&spec, i));
        if (t == T_REFINEMENT) {
            shape.refinements.push_back(0);
        } else if (t == T_WORD || t == T_LIT_WORD || t == T_GET_WORD) {
            if (shape.refinements.empty())
                shape.mandatory++;
            else
                shape.refinements.back()++;
        } else if (t == T_SET_WORD) {
            i++;
        }
    }
    shape.known = true;
    return shape;
}

[[noreturn]] void access_error(int id, const Cell* arg = nullptr) {
    Cell a = arg ? *arg : g_none_cell;
    error_fire(kCatAccess, id, &a);
}

// The actor's function of that name; access invalid-port when the actor is
// not an object!, no-port-action when it has no such function.
Cell actor_function(const Cell* port, const char* name, Cell* actor_out) {
    Cell p = *port;
    Offset port_ctx = object_context(&p);
    Cell actor_word = *word_load("actor");
    int32_t at = context_find_word(port_ctx, word_symbol(&actor_word), true);
    if (at < 0) access_error(err::access::kInvalidPort);
    Cell actor = *context_value_at(port_ctx, static_cast<uint32_t>(at));
    if (type_of(&actor) != T_OBJECT) access_error(err::access::kInvalidPort);
    Cell word = *word_load(name);
    int32_t i = context_find_word(object_context(&actor), word_symbol(&word), true);
    Cell fn =
        i < 0 ? g_none_cell : *context_value_at(object_context(&actor), static_cast<uint32_t>(i));
    if (type_of(&fn) != T_FUNCTION) access_error(err::access::kNoPortAction, &word);
    *actor_out = actor;
    return fn;
}

// Where an argument of an actor's function comes from. It is read off the
// action's own arguments when it is pushed: a copy kept on the C++ heap
// across the previous actor call would miss the collector moving its series.
struct ActorArg {
    enum Kind : uint8_t { kActionArg, kNone, kTrue, kFalse } kind;
    int index = 0; // of the action's argument, for kActionArg
};

// Calls the actor's function of that name with the arguments; the actor's
// extra arguments are none, arguments it does not take are dropped. The
// result is left in *result. False while an exit is pending.
bool call_actor(const char* name, const std::vector<ActorArg>& args, Cell* result) {
    Cell actor;
    Cell fn = actor_function(call_arg(0), name, &actor);
    Cell word = *word_load(name);
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    stack_push(&fn);
    stack_mark_interp_func(&word, function_context(&fn));
    uint32_t count = context_word_count(function_context(&fn));
    for (uint32_t k = 0; k < count; k++) {
        const Cell* value = &g_none_cell;
        if (k < args.size()) {
            switch (args[k].kind) {
            case ActorArg::kActionArg:
                value = saved_args + args[k].index;
                break;
            case ActorArg::kTrue:
                value = &g_true_cell;
                break;
            case ActorArg::kFalse:
                value = &g_false_cell;
                break;
            case ActorArg::kNone:
                break;
            }
        }
        stack_push(value);
    }
    if (interp_call_function(&fn).exit_pending()) return false;
    stack_unwind_keep();
    *result = *(g_stack_top - 1);
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
    return true;
}

} // namespace

bool port_forwards(int slot) {
    return forwarded_name(slot) != nullptr;
}

uint32_t port_forward(int slot, const int32_t* refs) {
    const char* name = forwarded_name(slot);
    Cell result = g_unset_cell;
    if (slot == A_READ || slot == A_WRITE) {
        // All three must be there before any runs.
        Cell actor;
        for (const char* step : {"open", slot == A_READ ? "copy" : "insert", "close"})
            actor_function(call_arg(0), step, &actor);
        const std::vector<ActorArg> only_port{{ActorArg::kActionArg, 0}};
        std::vector<ActorArg> with_data = only_port;
        if (slot == A_WRITE) with_data.push_back({ActorArg::kActionArg, 1});
        Cell ignored;
        if (!call_actor("open", only_port, &ignored)) return 0;
        if (!call_actor(slot == A_READ ? "copy" : "insert", with_data, &result)) return 0;
        if (!call_actor("close", only_port, &ignored)) return 0;
    } else {
        const Shape& shape = shape_of(slot, name);
        std::vector<ActorArg> args;
        for (int k = 0; k < shape.mandatory; k++)
            args.push_back({ActorArg::kActionArg, k});
        for (size_t r = 0; r < shape.refinements.size(); r++) {
            bool present = ref_present(refs[r]);
            args.push_back({present ? ActorArg::kTrue : ActorArg::kFalse});
            for (int k = 0; k < shape.refinements[r]; k++)
                args.push_back(present ? ActorArg{ActorArg::kActionArg, refs[r] + k}
                                       : ActorArg{ActorArg::kNone});
        }
        if (!call_actor(name, args, &result)) return 0;
    }
    stack_set_last_keep(&result);
    return 0;
}

} // namespace xel
