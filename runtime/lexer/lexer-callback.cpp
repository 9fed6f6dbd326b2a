// The lexer event callback: a function! called for the events its body
// selects.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/words/symbols.h"

namespace xel {

namespace {

uint32_t event_of_word(const Cell* word) {
    static const char* const kEvents[] = {"prescan", "scan", "load", "open", "close", "error"};
    uint32_t length;
    const char* name = symbol_name(word_symbol(word), &length);
    for (uint32_t i = 0; i < 6; i++) {
        if (std::strlen(kEvents[i]) != length) continue;
        bool same = true;
        for (uint32_t k = 0; k < length && same; k++) {
            char c = name[k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
            same = c == kEvents[i][k];
        }
        if (same) return 1u << i;
    }
    return 0;
}

} // namespace

bool lexer_callback_set(const Cell* callback) {
    uint8_t type = type_of(callback);
    return type == T_FUNCTION || type == T_ROUTINE;
}

// The events named by a block at the head of the callback's body; all of
// them when its body does not start with one.
uint32_t lexer_callback_mask(const Cell* callback) {
    if (!callback->data3) return kEventAll;
    const Cell* body = at<Cell>(buffer_of(callback->data3)->head);
    if (!is_block_kind(type_of(body)) || block_length_at(const_cast<Cell*>(body)) == 0)
        return kEventAll;
    const Cell* first = block_rs_head(body);
    if (type_of(first) != T_BLOCK) return kEventAll;
    uint32_t mask = 0;
    for (uint32_t i = 0, n = static_cast<uint32_t>(block_length_at(const_cast<Cell*>(first)));
         i < n; i++) {
        const Cell* w = block_rs_head(first) + i;
        if (is_any_word_type(type_of(w))) mask |= event_of_word(w);
    }
    return mask;
}

bool lexer_fire_event(LexerState* s, uint32_t event, int, const Cell*) {
    if (type_of(&s->callback) == T_NONE || !(s->event_mask & event)) return true;
    error_fire(kCatInternal, err::internal::kFeatureNa);
}

} // namespace xel
