#include "boot/boot-load.h"

#include <cstring>

#include "boot/embedded-sources.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/natives/natives.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/words/symbols.h"

namespace xel {

namespace {

// Loads an embedded source into a block value.
void load_source(const char* name, Cell* block) {
    const char* text = embedded_source(name);
    if (!text) {
        block_make_at(block, 1);
        return;
    }
    Cell* source = string_load(reinterpret_cast<const uint8_t*>(text),
                               static_cast<uint32_t>(std::strlen(text)), 0);
    Cell s = *source;
    lexer_load_string(block, &s, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
}

void define_from(const char* name, uint8_t type) {
    Cell defs;
    load_source(name, &defs);
    uint32_t n = block_buffer_length(&defs);
    for (uint32_t i = 0; i + 2 < n; i += 3) {
        Cell word = *block_cell_at(&defs, i);
        Cell index = *block_cell_at(&defs, i + 1);
        Cell spec = *block_cell_at(&defs, i + 2);
        if (type == T_NATIVE && !native_code(index.data2)) continue;
        Cell record;
        block_make_at(&record, 2);
        block_append_copy(&record, &spec);
        block_append_copy(&record, &index);
        stack_reset();
        stack_push_cell();
        Cell* value = native_make(nullptr, &record, type);
        Cell v = *value;
        cell_set_type(&word, T_WORD);
        context_set(&word, &v);
    }
    stack_reset();
}

} // namespace

void boot_load_definitions() {
    for (int id = 1; id <= g_highest_type; id++) {
        if (!g_type_names[id].name) continue;
        Cell word = *word_load(g_type_names[id].name);
        Cell type{T_DATATYPE, static_cast<uint32_t>(id), 0, 0};
        context_set(&word, &type);
    }
    // Every spec's types are read at its first call, make's included: the
    // set of all types must exist before any code runs.
    Cell all{T_TYPESET, 0, 0, 0};
    for (int id = 1; id <= g_highest_type; id++)
        typeset_set_type(&all, static_cast<uint8_t>(id));
    Cell any_type = *word_load("any-type!");
    context_set(&any_type, &all);
    define_from("boot/actions.xel", T_ACTION);
    // Natives are defined by subject, one file each: boot/natives-*.xel.
    for (const EmbeddedSource* src = g_embedded_sources; src->name; src++)
        if (!std::strncmp(src->name, "boot/natives-", 13)) define_from(src->name, T_NATIVE);
}

void boot_run_top_level() {
    Cell code;
    load_source("boot/base.xel", &code);
    stack_reset();
    interp_eval_block(&code, true);
    exit_take();
    stack_reset();
}

} // namespace xel
