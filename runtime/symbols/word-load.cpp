#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel {

Cell* word_load(const char* name) {
    Cell* word = context_make_global_word(symbol_make(name), true, true);
    return g_boot_recording ? word_append_to_root(word) : word;
}

} // namespace xel
