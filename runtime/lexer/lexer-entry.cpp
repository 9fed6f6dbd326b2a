// Loading text held in string! values.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// The converted text stays reserved while its scan runs, so a nested scan
// (from a callback) converts its own text after it.
struct TextReservation {
    uint8_t* text;
    explicit TextReservation(uint32_t size) : text(lexer_text_reserve(size)) {}
    ~TextReservation() { lexer_text_release(text); }
    TextReservation(const TextReservation&) = delete;
    TextReservation& operator=(const TextReservation&) = delete;
};

} // namespace

int lexer_load_string(Cell* result, const Cell* string, int32_t length, uint32_t flags,
                      int32_t* consumed, const Cell* callback, Cell* output_block) {
    int32_t available = string_xs_length(string);
    if (length < 0 || length > available) length = available;
    uint32_t unit = string_buffer(string)->unit();
    uint64_t size = uint64_t(length) * (unit == 4 ? 4 : unit + 1) + 1;
    if (size > UINT32_MAX) error_fire(kCatInternal, err::internal::kNoMemory);
    TextReservation text(static_cast<uint32_t>(size));
    uint32_t bytes = string_encode_utf8_into(string, text.text, length, true);
    return lexer_scan(result, text.text, bytes, flags, consumed, callback, string, output_block);
}

Cell* lexer_scan_single(const Cell* string, Cell* destination) {
    int32_t available = string_xs_length(string);
    uint32_t unit = string_buffer(string)->unit();
    TextReservation text(static_cast<uint32_t>(available) * (unit == 4 ? 4 : unit + 1) + 1);
    uint32_t bytes = string_encode_utf8_into(string, text.text, available, true);
    int32_t consumed = 0;
    lexer_scan(destination, text.text, bytes, kScanLoad | kScanOutput | kScanOneValue | kScanBlock,
               &consumed, nullptr, nullptr, nullptr);
    if (!lexer_rest_is_blank(text.text + consumed, text.text + bytes)) return &g_none_cell;
    if (block_length_at(destination) == 0) {
        set_unset(destination);
        return destination;
    }
    return block_rs_head(destination);
}

Cell* lexer_load_single(const Cell* string) {
    return lexer_scan_single(string, stack_arguments());
}

} // namespace xel
