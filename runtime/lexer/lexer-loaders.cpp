// The scanner and loader of every token class, and what loaders share.
#include "runtime/datatypes/map/map-cell.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"

namespace xel {

const LexerScanner g_lexer_scanners[kTokenClassCount] = {
    nullptr,                   // end of input: the main loop stops
    lexer_scan_error,          // error
    lexer_scan_opener,         // "["
    lexer_scan_block_close,    // "]"
    lexer_scan_opener,         // "("
    lexer_scan_paren_close,    // ")"
    lexer_scan_brace_open,     // "{"
    lexer_scan_brace_close,    // "}"
    lexer_scan_map_open,       // "#["
    lexer_scan_path,           // word followed by "/"
    lexer_scan_construct,      // "#(...)"
    lexer_scan_comment,        // ";"
    lexer_scan_comma,          // ","
    lexer_check_quoted_string, // quoted string
    lexer_scan_word,           // word
    lexer_scan_issue,          // issue
};

const LexerLoader g_lexer_loaders[kTokenClassCount] = {
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    lexer_load_quoted_string,
    lexer_load_word,
    lexer_load_word,
    lexer_load_integer,
    lexer_load_refinement,
    lexer_load_char,
    lexer_load_file,
    lexer_load_binary,
    lexer_load_percent,
    lexer_load_float,
    lexer_load_special_float,
    lexer_load_tuple,
    lexer_load_date,
    lexer_load_pair,
    lexer_load_point,
    lexer_load_time,
    lexer_load_money,
    lexer_load_tag,
    lexer_load_url,
    lexer_load_email,
    lexer_load_hex,
    lexer_load_raw_string,
    lexer_load_ref,
};

void lexer_append_value(LexerState* s, const Cell* value) {
    Cell* c = lexer_alloc_cell(s);
    *c = *value;
    if (s->leading_lines > 0)
        c->header |= kNewLineFlag;
    else
        c->header &= ~kNewLineFlag;
}

void lexer_check_map(LexerState* s) {
    uint32_t n = s->tail - s->head;
    if (n % 2) lexer_invalid_at_opener(s, T_MAP);
    for (uint32_t i = s->head; i < s->tail; i += 2)
        if (!map_key_type(type_of(lexer_cell(i)))) lexer_invalid_at_opener(s, T_MAP);
}

void lexer_make_map(LexerState*, Cell* block) {
    uint32_t new_line = block->header & kNewLineFlag;
    map_make_at(block);
    block->header |= new_line;
}

} // namespace xel
