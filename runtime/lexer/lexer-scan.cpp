#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"

namespace xel {

namespace {

// The byte that produced the final state belongs to these tokens; the
// automaton leaves it unconsumed, so it is stepped over here.
bool takes_final_byte(const LexerState* s, TokenClass tc, const uint8_t* p) {
    switch (tc) {
    case kTokBlockOpen:
    case kTokBlockClose:
    case kTokParenOpen:
    case kTokParenClose:
    case kTokBraceOpen:
    case kTokBraceClose:
    case kTokMapOpen:
    case kTokComma:
    case kTokString:
    case kTokChar:
    case kTokBinary:
    case kTokPoint:
    case kTokTag:
        return true;
    case kTokConstruct:
        return *p == ')';
    case kTokFile:
        return s->previous_state == kStFileQuoted;
    default:
        return false;
    }
}

// A raw string ends at the first "}" followed by as many "%" as opened it.
void extend_raw_string(LexerState* s) {
    const uint8_t* p = s->position; // at the "{"
    const auto signs = static_cast<size_t>(p - s->token_start);
    const uint8_t* end = s->input_end;
    int32_t lines = 0;
    for (const uint8_t* q = p + 1; q < end; q++) {
        if (*q == '\n') lines++;
        if (*q != '}') continue;
        size_t n = 0;
        while (n < signs && q + 1 + n < end && q[1 + n] == '%')
            n++;
        if (n == signs) {
            s->line += lines;
            s->position = s->token_end = q + 1 + signs;
            return;
        }
        q += n; // no "}" inside the run of signs
    }
    s->line += lines;
    lexer_throw_error(s, s->token_start, end, T_STRING);
}

// Lead bytes of the Unicode blanks' UTF-8 sequences.
bool may_lead_blank(uint8_t byte) {
    return byte == 0xC2 || (byte >= 0xE1 && byte <= 0xE3);
}

} // namespace

// Steps 1 to 4 of the main loop: one token from the start state. A Unicode
// blank takes the class of an ASCII blank, so it is skipped before a token
// and ends a word.
TokenClass lexer_next_token(LexerState* s) {
    const LexerTables& t = g_lexer_tables;
    const uint8_t* p = s->position;
    const uint8_t* end = s->input_end;
    const uint8_t* start = p;
    uint32_t flags = 0;
    int state = s->start_state;
    int32_t leading = 0;
    uint8_t next;
    for (;;) {
        if (p >= end) {
            next = t.transition[state * kClassCount + kClsEnd];
            break;
        }
        uint32_t entry = t.char_entry[*p];
        auto cls = static_cast<uint8_t>(entry);
        int width = 1;
        if (cls == kClsOther && may_lead_blank(*p)) {
            int blank = lexer_unicode_blank_length(p, end);
            if (blank) {
                cls = kClsBlank;
                width = blank;
            }
        }
        next = t.transition[state * kClassCount + cls];
        if (next >= kFinalBase) break;
        if (t.skip[next]) {
            start = p + width;
            leading += t.line[cls];
        } else {
            flags |= entry & ~0xFFu;
        }
        s->line += t.line[cls];
        p += width;
        state = next;
    }
    auto tc = static_cast<TokenClass>(next - kFinalBase);
    s->previous_state = state;
    s->token_start = start;
    s->token_flags = flags;
    s->token_class = tc;
    s->type = t.type[next];
    s->leading_lines = leading;
    if (p < end && takes_final_byte(s, tc, p)) p++;
    s->position = s->token_end = p;
    if (tc == kTokRawString) extend_raw_string(s);
    return tc;
}

namespace {

int enclosing_path_state(const LexerState* s) {
    const Cell* m = lexer_open_marker(s);
    return m && marker_type(m) >= T_PATH && marker_type(m) <= T_GET_PATH ? kStPath : kStStart;
}

void scan_value_token(LexerState* s, TokenClass tc) {
    LexerScanner scanner = g_lexer_scanners[tc];
    LexerLoader loader = g_lexer_loaders[tc];
    bool load = (s->mode & kScanLoad) != 0;
    bool scan_event = (s->event_mask & kEventScan) != 0;
    if (!load || scanner || scan_event) {
        if (scanner)
            scanner(s);
        else
            loader(s, false);
    }
    if (!lexer_fire_event(s, kEventScan, s->type, nullptr) || !load) return;
    uint32_t before = s->tail;
    loader(s, true);
    if (s->tail > before && !lexer_fire_event(s, kEventLoad, s->type, lexer_cell(before)))
        s->tail = before;
}

// The main loop, until the input is consumed or a one-value stop.
void scan_tokens(LexerState* s) {
    while (s->position < s->input_end) {
        TokenClass tc = lexer_next_token(s);
        if (s->start_state == kStPoint) s->start_state = enclosing_path_state(s);
        if (tc == kTokEnd) {
            s->position = s->input_end;
            s->type = s->last_type;
            break;
        }
        bool go;
        bool callback = type_of(&s->callback) != T_NONE;
        if (callback && s->start_state != kStBrace)
            go = lexer_fire_event(s, kEventPrescan, s->type, nullptr);
        else
            go = callback || !(s->mode & kScanPrescan);
        if (go) {
            if (tc < kFirstValueToken)
                g_lexer_scanners[tc](s);
            else
                scan_value_token(s, tc);
            if (s->start_state == kStPath && tc != kTokPathHead) lexer_end_path_segment(s);
        }
        // An empty error token that a callback let pass: step over its byte.
        if (s->position == s->token_start && s->token_end == s->token_start &&
            s->position < s->input_end)
            s->position++;
        if ((s->mode & (kScanOneValue | kScanPrescan)) && s->type != 0 &&
            s->start_state != kStPath && s->start_state != kStBrace && tc != kTokPathHead) {
            uint32_t n = s->tail - s->base;
            if (n == 0 || (n == 1 && s->head == s->base)) break;
        }
        s->last_type = s->type;
    }
    if (s->start_state == kStBrace) lexer_throw_error(s, s->brace_start, s->input_end, T_STRING);
}

// The error's callback moved the input: the scan goes on from there, out of
// any brace string or point literal the fault was in.
void resume_after_error(LexerState* s) {
    s->brace_depth = 0;
    s->closing_type = 0;
    s->start_state = enclosing_path_state(s);
}

// Links a state at the end of the chain; its output starts at the
// enclosing scan's tail.
struct ChainLink {
    LexerState* s;
    explicit ChainLink(LexerState* state) : s(state) {
        if (!g_lexer_states) {
            g_lexer_states = s;
            s->base = 0;
        } else {
            LexerState* last = g_lexer_states;
            while (last->next)
                last = last->next;
            last->next = s;
            s->previous = last;
            s->base = last->tail;
        }
        s->head = s->tail = s->base;
    }
    ~ChainLink() {
        if (s->previous)
            s->previous->next = nullptr;
        else
            g_lexer_states = nullptr;
    }
    ChainLink(const ChainLink&) = delete;
    ChainLink& operator=(const ChainLink&) = delete;
};

void copy_output(LexerState* s, Cell* result, Cell* output_block) {
    uint32_t n = s->tail - s->base;
    if ((s->mode & kScanOneValue) && !(s->mode & kScanBlock) && n >= 1) {
        if (result) *result = *lexer_cell(s->base);
        return;
    }
    if (output_block) {
        for (uint32_t i = 0; i < n; i++)
            *block_alloc_tail_cell(output_block) = *lexer_cell(s->base + i);
        if (result) *result = *output_block;
        return;
    }
    if (!result) return;
    Cell fresh;
    block_make_at(&fresh, static_cast<int>(n));
    SeriesBuf* buf = block_buffer(&fresh);
    std::memcpy(at<Cell>(buf->head), lexer_cell(s->base), n * sizeof(Cell));
    buf->tail = buf->head + n * sizeof(Cell);
    *result = fresh;
}

} // namespace

// Whether only blanks and comments are left.
bool lexer_rest_is_blank(const uint8_t* p, const uint8_t* end) {
    LexerState s{};
    s.position = p;
    s.input_start = p;
    s.input_end = end;
    for (;;) {
        TokenClass tc = lexer_next_token(&s);
        if (tc == kTokEnd) return true;
        if (tc != kTokComment) return false;
    }
}

int lexer_scan(Cell* result, const uint8_t* start, uint32_t length, uint32_t flags,
               int32_t* consumed, const Cell* callback, const Cell* input, Cell* output_block) {
    LexerState s{};
    ChainLink link(&s);
    s.input_start = s.position = s.token_start = s.token_end = start;
    s.input_end = start + length;
    s.line = 1;
    s.raise_errors = (flags & kScanLoad) && (flags & kScanOutput);
    if ((flags & kScanOneValue) && !s.raise_errors) flags &= ~kScanLoad;
    s.mode = flags;
    set_none(&s.callback);
    set_none(&s.input_value);
    if (input) s.input_value = *input;
    if (callback && lexer_callback_set(callback)) {
        s.callback = *callback;
        s.event_mask = lexer_callback_mask(callback);
    }
    s.cached_byte_position = start;
    bool stopped = false;
    for (;;) {
        try {
            scan_tokens(&s);
            if (s.head != s.base) {
                Cell* m = lexer_open_marker(&s);
                s.closing_type = marker_type(m);
                lexer_throw_error(&s, nullptr, nullptr, -4);
            }
            break;
        } catch (const LexerResume&) {
            resume_after_error(&s);
        } catch (const LexerStop&) {
            stopped = true;
            s.type = T_ERROR;
            break;
        }
    }
    if (s.head != s.base) {
        if (result) set_none(result);
    } else if (flags & kScanOutput) {
        copy_output(&s, result, output_block);
    }
    if (consumed) {
        auto bytes = static_cast<int32_t>(s.position - s.input_start);
        bool text = input && type_of(input) != T_BINARY;
        *consumed =
            text ? static_cast<int32_t>(lexer_count_code_points(s.input_start, s.position)) : bytes;
    }
    return stopped ? T_ERROR : s.type;
}

} // namespace xel
