// Words, refinements and issues: the word kind from the token's prefix and
// suffix, and the spelling interned without them.
#include "runtime/datatypes/issue/issue-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/unicode.h"

namespace xel {

void lexer_check_word_text(LexerState* s, const uint8_t* start, const uint8_t* end, int type) {
    if (start == end || !utf8_valid(start, end)) lexer_invalid(s, type);
}

void lexer_load_word_text(LexerState* s, const uint8_t* start, const uint8_t* end, uint8_t type) {
    uint32_t symbol = symbol_make_from_buffer(start, static_cast<uint32_t>(end - start));
    Cell value;
    if (type == T_ISSUE) {
        issue_make_at_symbol(&value, symbol);
    } else {
        word_make_at(&value, symbol);
        cell_set_type(&value, type);
    }
    lexer_append_value(s, &value);
}

// ":a" get-word, "a:" set-word, "'a" lit-word; any other colon is invalid.
void lexer_scan_word(LexerState* s) {
    const uint8_t* start = s->token_start;
    const uint8_t* end = s->token_end;
    uint8_t first = *start;
    uint8_t last = end[-1];
    uint8_t type = T_WORD;
    if (s->token_flags & kFlagColon) {
        if (first == ':' && last != ':' && end - start > 1)
            type = T_GET_WORD;
        else if (last == ':' && first != ':' && first != '\'')
            type = T_SET_WORD;
        else
            lexer_invalid(s, first == '\'' ? T_LIT_WORD : T_WORD);
    } else if (first == '\'') {
        type = T_LIT_WORD;
    }
    if (type == T_GET_WORD || type == T_LIT_WORD) start++;
    if (type == T_SET_WORD) end--;
    lexer_check_word_text(s, start, end, type);
    s->type = type;
}

void lexer_scan_issue(LexerState* s) {
    lexer_check_word_text(s, s->token_start + 1, s->token_end, T_ISSUE);
}

void lexer_load_word(LexerState* s, bool load) {
    const uint8_t* start = s->token_start;
    const uint8_t* end = s->token_end;
    if (s->token_class == kTokIssue) {
        start++;
    } else if (s->type == T_GET_WORD || s->type == T_LIT_WORD) {
        start++;
    } else if (s->type == T_SET_WORD) {
        end--;
    }
    if (load) lexer_load_word_text(s, start, end, static_cast<uint8_t>(s->type));
}

// "/name" is a refinement; the short tokens "'/", ":/" and "/:" are the
// lit-, get- and set-words of "/".
void lexer_load_refinement(LexerState* s, bool load) {
    const uint8_t* start = s->token_start;
    const uint8_t* end = s->token_end;
    uint8_t type = T_REFINEMENT;
    if (end - start == 1) {
        type = T_WORD;
    } else if (end - start == 2 && (*start == '\'' || *start == ':' || end[-1] == ':')) {
        type = *start == '\'' ? T_LIT_WORD : *start == ':' ? T_GET_WORD : T_SET_WORD;
        if (type == T_SET_WORD)
            end--;
        else
            start++;
    } else if (*start != '/') {
        lexer_invalid(s, T_REFINEMENT);
    } else {
        start++;
    }
    lexer_check_word_text(s, start, end, type);
    s->type = type;
    if (load) lexer_load_word_text(s, start, end, type);
}

} // namespace xel
