// make, form and mold of port!, and its action row.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/port/port.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The field of an object, or nullptr when the value is no object or lacks it.
const Cell* field_of(const Cell* object, const char* name) {
    if (!object || type_of(object) != T_OBJECT) return nullptr;
    Cell word = *word_load(name);
    int32_t i = context_find_word(object_context(object), word_symbol(&word), true);
    if (i < 0) return nullptr;
    return context_value_at(object_context(object), static_cast<uint32_t>(i));
}

const Cell* system_field(const char* first, const char* second) {
    Cell system = *word_load("system");
    const Cell* value = context_get(&system);
    if (!value) return nullptr;
    const Cell* inner = field_of(value, first);
    return second ? field_of(inner, second) : inner;
}

[[noreturn]] void access_error(int id, const Cell* arg = nullptr) {
    Cell a = arg ? *arg : g_none_cell;
    error_fire(kCatAccess, id, &a);
}

} // namespace

Cell* port_make(Cell*, Cell* spec, int) {
    Cell* held = stack_push(spec);
    if (type_of(held) == T_BLOCK) {
        const Cell* template_ = system_field("standard", "port-spec");
        Cell proto = template_ && type_of(template_) == T_OBJECT ? *template_ : g_none_cell;
        Cell made = *object_make(&proto, held, T_OBJECT);
        *held = made;
    }
    if (type_of(held) != T_OBJECT) error_fire(kCatScript, err::script::kInvalidArg, held);
    const Cell* scheme = field_of(held, "scheme");
    if (!scheme || type_of(scheme) != T_WORD) access_error(err::access::kNoScheme, held);
    Cell scheme_word = *scheme;
    const Cell* schemes = system_field("schemes", nullptr);
    const Cell* entry =
        schemes ? field_of(schemes, symbol_name(word_symbol(&scheme_word))) : nullptr;
    if (!entry || type_of(entry) != T_OBJECT)
        access_error(err::access::kUnknownScheme, &scheme_word);
    const Cell* actor = field_of(entry, "actor");
    if (!actor || (type_of(actor) != T_OBJECT && type_of(actor) != T_HANDLE))
        access_error(err::access::kInvalidActor);

    Cell* actor_copy = stack_push(actor);
    if (type_of(actor_copy) == T_OBJECT) {
        Cell copied = *object_copy(actor_copy, nullptr, false, nullptr);
        *actor_copy = copied;
    }
    Cell port;
    object_make_at(&port, 3);
    Cell* kept = stack_push(&port);
    Offset ctx = object_context(kept);
    const char* names[] = {"spec", "scheme", "actor"};
    const Cell* values[] = {held, &scheme_word, actor_copy};
    for (int i = 0; i < 3; i++) {
        Cell word = *word_load(names[i]);
        auto index = static_cast<uint32_t>(context_index_or_add(ctx, word_symbol(&word)));
        *context_value_at(ctx, index) = *values[i];
    }
    port = *kept;
    cell_set_type(&port, T_PORT);
    return stack_set_last(&port);
}

int port_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return port_mold(value, buffer, false, false, false, arg, part, 0);
}

int port_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent) {
    return object_mold_as("make port! [", value, buffer, only, all, flat, arg, part, indent);
}

void port_row(ActionList& row) {
    row.set<A_MAKE>(port_make)
        .set<A_FORM>(port_form)
        .set<A_MOLD>(port_mold)
        .inherit(A_REFLECT)
        .inherit(A_EVAL_PATH)
        .inherit(A_COMPARE);
}

} // namespace xel
