// Scanners of the structural tokens: blocks, parens, maps, paths, brace
// strings, commas, comments and construction syntax.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"

namespace xel {

namespace {

bool is_path_type(int type) {
    return type >= T_PATH && type <= T_GET_PATH;
}

int enclosing_start_state(const LexerState* s) {
    const Cell* m = lexer_open_marker(s);
    return m && is_path_type(marker_type(m)) ? kStPath : kStStart;
}

bool loading(const LexerState* s) {
    return (s->mode & kScanLoad) != 0;
}

// A "(" followed by float characters up to a "," starts a point literal.
bool looks_like_point(const LexerState* s) {
    const uint8_t* p = s->position;
    if (s->input_end - p < 3) return false;
    for (; p < s->input_end; p++) {
        if (*p == ',') return true;
        if (!g_lexer_tables.float_char[*p]) return false;
    }
    return false;
}

bool closer_matches(int closer, int opened) {
    if (closer == -1 || closer == opened) return true;
    if (closer == T_BLOCK && opened == T_MAP) return true;
    return closer == T_SET_PATH && is_path_type(opened);
}

} // namespace

void lexer_push_marker(LexerState* s, uint8_t type, const uint8_t* opener, bool new_line) {
    const Cell* open = lexer_open_marker(s);
    if (open && marker_type(open) == T_POINT2D) lexer_invalid_at_opener(s, T_POINT2D);
    if (!lexer_fire_event(s, kEventOpen, type, nullptr)) return;
    uint32_t index = s->tail;
    Cell* m = lexer_alloc_cell(s);
    marker_make_at(m, index - s->head, type, static_cast<uint32_t>(opener - s->input_start),
                   new_line);
    s->head = s->tail;
    s->start_state = kStStart;
}

void lexer_pop_marker(LexerState* s, int closer) {
    const Cell* open = lexer_open_marker(s);
    int closed = closer == -1 && open ? marker_type(open) : closer;
    if (!lexer_fire_event(s, kEventClose, closed > 0 ? closed : 0, nullptr)) return;
    Cell* m = lexer_open_marker(s);
    if (!m) {
        s->closing_type = 0;
        lexer_throw_error(s, nullptr, s->position, -3);
    }
    uint8_t opened = marker_type(m);
    if (!closer_matches(closer, opened)) {
        s->closing_type = opened;
        lexer_throw_error(s, nullptr, s->position, -3);
    }
    uint8_t type = closer == -1 || opened == T_MAP ? opened : static_cast<uint8_t>(closer);
    uint32_t marker = s->head - 1;
    uint32_t enclosing = marker - marker_depth(m);
    uint32_t new_line = m->header & kNewLineFlag;
    if (loading(s)) {
        uint32_t n = s->tail - s->head;
        Cell fresh;
        block_make_at(&fresh, static_cast<int>(n));
        SeriesBuf* buf = block_buffer(&fresh);
        std::memcpy(at<Cell>(buf->head), lexer_cell(s->head), n * sizeof(Cell));
        buf->tail = buf->head + n * sizeof(Cell);
        fresh.header = type | new_line;
        *lexer_cell(marker) = fresh;
        s->tail = marker + 1;
    } else {
        s->tail = marker;
    }
    s->head = enclosing;
    s->type = type;
    s->start_state = enclosing_start_state(s);
}

void lexer_scan_opener(LexerState* s) {
    bool block = *s->token_start == '[';
    if (!block && looks_like_point(s)) {
        s->start_state = kStPoint;
        s->position = s->token_start;
        return;
    }
    lexer_push_marker(s, block ? T_BLOCK : T_PAREN, s->token_start, s->leading_lines > 0);
}

void lexer_scan_block_close(LexerState* s) {
    const Cell* m = lexer_open_marker(s);
    bool map = m && marker_type(m) == T_MAP && loading(s);
    if (map) lexer_check_map(s);
    lexer_pop_marker(s, T_BLOCK);
    if (map && s->type == T_MAP) lexer_make_map(s, lexer_cell(s->tail - 1));
}

void lexer_scan_paren_close(LexerState* s) {
    const Cell* m = lexer_open_marker(s);
    if (m && marker_type(m) == T_POINT2D) lexer_invalid_at_opener(s, T_POINT2D);
    lexer_pop_marker(s, T_PAREN);
}

void lexer_scan_map_open(LexerState* s) {
    lexer_push_marker(s, T_MAP, s->token_start, s->leading_lines > 0);
}

// A comma turns the innermost paren into a point; anywhere else it is invalid.
void lexer_scan_comma(LexerState* s) {
    Cell* m = lexer_open_marker(s);
    uint8_t type = m ? marker_type(m) : 0;
    if (type != T_PAREN && type != T_POINT2D)
        lexer_throw_error(s, s->token_start, s->position, T_POINT2D);
    marker_set_point(m, marker_commas(m) + 1);
}

void lexer_scan_comment(LexerState* s) {
    lexer_fire_event(s, kEventScan, 0, nullptr);
}

void lexer_scan_path(LexerState* s) {
    const uint8_t* word = s->token_start;
    uint8_t type = *word == '\'' ? T_LIT_PATH : *word == ':' ? T_GET_PATH : T_PATH;
    if (type != T_PATH) word++;
    if (word == s->token_end) lexer_invalid(s, type);
    lexer_check_word_text(s, word, s->token_end, T_WORD);
    s->type = 0;
    uint32_t markers = s->tail;
    lexer_push_marker(s, type, s->token_start, s->leading_lines > 0);
    if (s->tail == markers) {
        // The opener was refused: the head stays a plain word.
        s->type = T_WORD;
        if (loading(s)) lexer_load_word_text(s, s->token_start, s->token_end, T_WORD);
        return;
    }
    if (loading(s)) {
        s->leading_lines = 0;
        lexer_load_word_text(s, word, s->token_end, T_WORD);
    }
    s->type = 0;
    s->start_state = kStPath;
    s->position = s->token_end + 1;
    if (s->position >= s->input_end) lexer_invalid_at_opener(s, T_PATH);
}

void lexer_end_path_segment(LexerState* s) {
    const uint8_t* p = s->position;
    if (lexer_at_delimiter(s, p)) {
        lexer_pop_marker(s, -1);
        return;
    }
    if (*p == ':') {
        p++;
        if (!lexer_at_delimiter(s, p)) lexer_invalid_at_opener(s, T_PATH);
        s->position = p;
        lexer_pop_marker(s, T_SET_PATH);
        return;
    }
    if (*p != '/') lexer_invalid_at_opener(s, T_PATH);
    s->position = ++p;
    if (p >= s->input_end) lexer_invalid_at_opener(s, T_PATH);
}

void lexer_scan_brace_open(LexerState* s) {
    if (s->brace_depth == 0) {
        if (!lexer_fire_event(s, kEventOpen, T_STRING, nullptr)) return;
        s->brace_start = s->token_start;
        s->brace_new_line = s->leading_lines > 0;
        s->brace_flags = 0;
    }
    s->brace_depth++;
    s->brace_flags |= s->token_flags;
    s->start_state = kStBrace;
}

void lexer_scan_brace_close(LexerState* s) {
    s->brace_depth--;
    s->brace_flags |= s->token_flags;
    if (s->brace_depth > 0) {
        if (s->position >= s->input_end)
            lexer_throw_error(s, s->brace_start, s->input_end, T_STRING);
        return;
    }
    s->start_state = kStStart;
    s->type = T_STRING;
    lexer_fire_event(s, kEventClose, T_STRING, nullptr);
    s->token_start = s->brace_start;
    s->token_flags = s->brace_flags;
    s->leading_lines = s->brace_new_line ? 1 : 0;
    const uint8_t* text = s->brace_start + 1;
    const uint8_t* end = s->token_end - 1;
    bool load = loading(s);
    if (!load || (s->event_mask & kEventScan)) lexer_check_string(s, text, end);
    if (!lexer_fire_event(s, kEventScan, T_STRING, nullptr) || !load) return;
    uint32_t before = s->tail;
    lexer_load_string_text(s, text, end, true);
    if (!lexer_fire_event(s, kEventLoad, T_STRING, lexer_cell(before))) s->tail = before;
}

// "#(" keyword ")": true, false, none, unset, or a datatype name with or
// without its "!", in any letter case.
void lexer_scan_construct(LexerState* s) {
    const uint8_t* start = s->token_start + 2;
    const uint8_t* end = s->token_end;
    if (end == start || end[-1] != ')') lexer_throw_error(s, s->token_start, end, -2);
    end--;
    auto n = static_cast<size_t>(end - start);
    auto is = [start, n](const char* name) {
        if (n == 0 || std::strlen(name) != n) return false;
        for (size_t i = 0; i < n; i++)
            if ((start[i] | 0x20) != name[i]) return false;
        return true;
    };
    auto is_name = [start, n](const char* name) {
        size_t len = std::strlen(name);
        if (n != len && n != len - 1) return false;
        for (size_t i = 0; i < n; i++) {
            uint8_t a = start[i], b = static_cast<uint8_t>(name[i]);
            if (a >= 'A' && a <= 'Z') a |= 0x20;
            if (b >= 'A' && b <= 'Z') b |= 0x20;
            if (a != b) return false;
        }
        return true;
    };
    Cell value;
    if (is("true") || is("false")) {
        set_logic(&value, *start == 't' || *start == 'T');
    } else if (is("none")) {
        set_none(&value);
    } else if (is("unset")) {
        set_unset(&value);
    } else {
        int id = 1;
        for (; id <= g_highest_type; id++)
            if (g_type_names[id].name && is_name(g_type_names[id].name)) break;
        if (id > g_highest_type) lexer_throw_error(s, s->token_start, s->token_end, -2);
        value = datatype_cell(static_cast<uint8_t>(id));
    }
    s->type = type_of(&value);
    if (loading(s)) lexer_append_value(s, &value);
}

} // namespace xel
