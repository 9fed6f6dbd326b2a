// transcode: the lexer's entry for the language, over UTF-8 bytes or text.
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/stack/exits.h"

namespace xel {

namespace {

// The refinements of transcode, in spec order.
enum TranscodeRef : int { kNext, kOne, kPrescan, kScan, kPart, kInto, kTrace };

// Units (bytes of a binary!, code points of a string!) from the position to
// the tail; a position past the tail is moved back to it.
int32_t clamp_source(Cell* src) {
    if (type_of(src) == T_STRING) {
        string_char_at_index(src);
        return string_xs_length(src);
    }
    uint32_t used = series_buffer(src)->used();
    if (static_cast<uint32_t>(series_index(src)) > used)
        series_set_index(src, static_cast<int32_t>(used));
    return static_cast<int32_t>(used - static_cast<uint32_t>(series_index(src)));
}

// The /part length: a count, or the distance to a position in a series of
// the source's own type; cut to what the source holds.
int32_t part_length(const Cell* src, const Cell* part, int32_t available) {
    int64_t n;
    if (type_of(part) == T_INTEGER)
        n = integer_get(part);
    else if (type_of(part) == type_of(src))
        n = int64_t{series_index(part)} - series_index(src);
    else
        error_fire(kCatScript, err::script::kNotSameType);
    if (n < 0) return 0;
    return n > available ? available : static_cast<int32_t>(n);
}

} // namespace

uint32_t natives_transcode(int, const int32_t* refs) {
    Cell src = *call_arg(0);
    bool next = ref_present(refs[kNext]), one = ref_present(refs[kOne]);
    bool prescan = ref_present(refs[kPrescan]), scan = ref_present(refs[kScan]) || prescan;
    Cell* into = ref_arg(refs[kInto]);
    const Cell* callback = ref_arg(refs[kTrace]);

    int32_t length = clamp_source(&src);
    if (ref_present(refs[kPart])) length = part_length(&src, ref_arg(refs[kPart]), length);
    if (type_of(&src) == T_BINARY && length >= 3) {
        const uint8_t* p = binary_xs_head(&src);
        if (p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
            series_move_index(&src, 3);
            length -= 3;
        }
    }

    uint32_t flags = scan ? (prescan ? kScanPrescan : 0u) : kScanLoad | kScanOutput;
    if (one || next) flags |= kScanOneValue;
    // An /into block receives the value of a one-value scan too.
    if (into) flags |= kScanBlock;

    Cell* out = stack_push_cell();
    set_unset(out);
    int32_t consumed = 0;
    int type = 0;
    // A callback may leave by throw, break or return: the scan ends there.
    exit_boundary([&] {
        if (type_of(&src) == T_BINARY) {
            const uint8_t* bytes = binary_xs_head(&src);
            type = lexer_scan(out, bytes, static_cast<uint32_t>(length), flags, &consumed, callback,
                              &src, into);
        } else {
            type = lexer_load_string(out, &src, length, flags, &consumed, callback, into);
        }
    });
    if (exit_pending()) return 0;
    if (scan) {
        if (length == 0 || type == 0)
            set_none(out);
        else
            *out = datatype_cell(static_cast<uint8_t>(type));
    }

    Cell* result = stack_arguments();
    if (into) {
        *result = *into;
    } else if (next && (!one || scan)) {
        Cell pair;
        block_make_at(&pair, 2);
        block_append_copy(&pair, out);
        Cell rest = src;
        series_move_index(&rest, consumed);
        block_append_copy(&pair, &rest);
        *result = pair;
    } else {
        *result = *out;
    }
    stack_keep();
    return 0;
}

} // namespace xel
