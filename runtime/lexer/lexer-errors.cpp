// Syntax errors: the line, the text near the error and the category's id.
#include <cstdio>
#include <cstring>

#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

constexpr int kNearBytes = 30;

// Up to the input end, the first line feed or 30 bytes of whole code points.
const uint8_t* near_end(const uint8_t* start, const uint8_t* end) {
    const uint8_t* p = start;
    while (p < end && *p != '\n' && p - start < kNearBytes)
        p++;
    if (p - start == kNearBytes && p < end) {
        // Back off a sequence cut by the limit.
        const uint8_t* q = p;
        while (q > start && (*q & 0xC0) == 0x80)
            q--;
        if (q > start && q < p && utf8_lead_length(*q) > p - q) p = q;
    }
    return p;
}

bool is_closer_token(const LexerState* s) {
    return s->token_class == kTokBlockClose || s->token_class == kTokParenClose;
}

// The closer that the innermost open series misses: "]" or ")", or the
// opener when the offending byte is itself a closer.
uint32_t missing_char(const LexerState* s, int code) {
    uint8_t offending = '_';
    if (code == -3) {
        if (is_closer_token(s))
            offending = *s->token_start;
        else if (s->position < s->input_end)
            offending = *s->position;
        else if (s->input_end > s->input_start)
            offending = s->input_end[-1];
    }
    switch (s->closing_type) {
    case T_BLOCK:
    case T_MAP:
        return offending == ']' ? '[' : ']';
    case T_PAREN:
    case T_POINT2D:
        return offending == ')' ? '(' : ')';
    default:
        return offending == ')' ? '(' : '[';
    }
}

} // namespace

void lexer_throw_error(LexerState* s, const uint8_t* start, const uint8_t* end, int code) {
    if (!s->raise_errors) throw LexerStop{};
    if (!start) {
        const Cell* m = lexer_open_marker(s);
        start = m ? s->input_start + marker_opener_offset(m) : s->input_start;
    }
    if (!end) end = s->position;
    if (type_of(&s->callback) != T_NONE && (s->event_mask & kEventError)) {
        int type = code > 0          ? code
                   : s->closing_type ? s->closing_type
                   : s->type         ? s->type
                                     : T_ERROR;
        const Cell* m = lexer_open_marker(s);
        if (m && marker_type(m) >= T_PATH && marker_type(m) <= T_GET_PATH) lexer_pop_marker(s, -1);
        const uint8_t* saved_start = s->token_start;
        const uint8_t* saved_end = s->token_end;
        s->token_start = start;
        s->token_end = end;
        bool go = lexer_fire_event(s, kEventError, type, nullptr);
        s->token_start = saved_start;
        s->token_end = saved_end;
        if (!go) {
            if (s->input_moved) throw LexerResume{};
            throw LexerStop{};
        }
    }
    Cell near;
    lexer_make_text(start, near_end(start, s->input_end), &near);
    char line[32];
    std::snprintf(line, sizeof line, "(line %d)", s->line);
    Cell line_text;
    lexer_make_text(reinterpret_cast<const uint8_t*>(line),
                    reinterpret_cast<const uint8_t*>(line) + std::strlen(line), &line_text);
    if (code < -2 && s->closing_type >= T_PATH && s->closing_type <= T_GET_PATH) code = -1;
    switch (code) {
    case -1:
        error_fire(kCatSyntax, err::syntax::kBadChar, &line_text, &near);
    case -2:
        error_fire(kCatSyntax, err::syntax::kMalconstruct, &line_text, &near);
    case -3:
    case -4: {
        Cell c;
        char_set(&c, missing_char(s, code));
        error_fire(kCatSyntax, err::syntax::kMissing, &line_text, &c, &near);
    }
    default: {
        Cell type = datatype_cell(static_cast<uint32_t>(code));
        error_fire(kCatSyntax, err::syntax::kInvalid, &line_text, &type, &near);
    }
    }
}

void lexer_invalid(LexerState* s, int type) {
    lexer_throw_error(s, s->token_start, s->position, type);
}

void lexer_invalid_at_opener(LexerState* s, int type) {
    lexer_throw_error(s, nullptr, nullptr, type);
}

void lexer_scan_error(LexerState* s) {
    int type = g_lexer_tables.type[s->previous_state];
    const uint8_t* start = s->token_start;
    if (s->start_state == kStBrace)
        start = s->brace_start;
    else if (s->head > s->base)
        start = nullptr;
    lexer_throw_error(s, start, s->position, type ? type : -1);
}

} // namespace xel
