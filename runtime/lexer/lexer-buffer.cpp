#include <array>
#include <cstdlib>

#include "runtime/datatypes/constants.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/text/unicode.h"

namespace xel {

LexerState* g_lexer_states = nullptr;
Cell* g_lexer_cells = nullptr;
uint32_t g_lexer_capacity = 0;

namespace {

constexpr uint32_t kInitialCells = 1000;
constexpr uint32_t kTextBufferSize = 100000;

uint8_t* g_text = nullptr;
uint32_t g_text_used = 0;

// The Unicode blanks that end a word as an ASCII blank does.
constexpr uint32_t kLastBlank = 0x3000;
constexpr std::array<uint8_t, kLastBlank / 8 + 1> build_blanks() {
    std::array<uint8_t, kLastBlank / 8 + 1> bits{};
    auto add = [&bits](uint32_t cp) { bits[cp >> 3] |= static_cast<uint8_t>(1u << (cp & 7)); };
    for (uint32_t cp :
         {0x85u, 0xA0u, 0x1680u, 0x2028u, 0x2029u, 0x202Fu, 0x205Fu, 0x3000u, 0x180Eu})
        add(cp);
    for (uint32_t cp = 0x2000; cp <= 0x200A; cp++)
        add(cp);
    return bits;
}
constexpr auto kBlanks = build_blanks();

} // namespace

void lexer_init() {
    std::free(g_lexer_cells);
    g_lexer_cells = static_cast<Cell*>(std::malloc(kInitialCells * sizeof(Cell)));
    g_lexer_capacity = kInitialCells;
    std::free(g_text);
    g_text = static_cast<uint8_t*>(std::malloc(kTextBufferSize));
    g_text_used = 0;
    g_lexer_states = nullptr;
    collector_add_root_callback(
        [] { lexer_mark_states([](Cell* cell) { collector_mark_cells(cell, cell + 1); }); });
    if (!g_lexer_cells || !g_text) error_fire(kCatInternal, err::internal::kNoMemory);
}

Cell* lexer_alloc_cell(LexerState* s) {
    if (s->tail >= g_lexer_capacity) {
        uint64_t capacity = uint64_t{g_lexer_capacity} * 2;
        void* grown = capacity < (uint64_t{1} << 27)
                          ? std::realloc(g_lexer_cells, capacity * sizeof(Cell))
                          : nullptr;
        if (!grown) error_fire(kCatInternal, err::internal::kNoMemory);
        g_lexer_cells = static_cast<Cell*>(grown);
        g_lexer_capacity = static_cast<uint32_t>(capacity);
    }
    Cell* c = lexer_cell(s->tail++);
    set_unset(c);
    return c;
}

uint8_t* lexer_text_reserve(uint32_t size) {
    if (g_text && size <= kTextBufferSize - g_text_used) {
        uint8_t* p = g_text + g_text_used;
        g_text_used += size;
        return p;
    }
    auto* p = static_cast<uint8_t*>(std::malloc(size));
    if (!p) error_fire(kCatInternal, err::internal::kNoMemory);
    return p;
}

void lexer_text_release(uint8_t* text) {
    if (g_text && text >= g_text && text < g_text + kTextBufferSize)
        g_text_used = static_cast<uint32_t>(text - g_text);
    else
        std::free(text);
}

void lexer_mark_states(void (*mark)(Cell* cell)) {
    for (LexerState* s = g_lexer_states; s; s = s->next) {
        for (uint32_t i = s->base; i < s->tail; i++)
            if (type_of(lexer_cell(i)) != kMarkerType) mark(lexer_cell(i));
        mark(&s->input_value);
        mark(&s->callback);
    }
}

int lexer_unicode_blank_length(const uint8_t* p, const uint8_t* end) {
    int n = utf8_lead_length(*p);
    if (n < 2 || n > end - p) return 0;
    int32_t cp;
    utf8_decode_char(p, &cp);
    if (cp < 0 || static_cast<uint32_t>(cp) > kLastBlank) return 0;
    return (kBlanks[cp >> 3] >> (cp & 7)) & 1 ? n : 0;
}

bool lexer_at_delimiter(const LexerState* s, const uint8_t* p) {
    if (p >= s->input_end) return true;
    return is_delimiter_class(char_class(*p)) || lexer_unicode_blank_length(p, s->input_end) > 0;
}

} // namespace xel
