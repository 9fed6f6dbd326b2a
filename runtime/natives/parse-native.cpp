// parse [input [binary! any-block! any-string!] rules [block!] /case
//        /part length [number! series!] /trace callback]
#include <cmath>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/natives.h"
#include "runtime/parse/parse.h"
#include "runtime/stack/exits.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The /part limit as an index into the input: a count from the input's
// position, or the index of a position in the input's own series.
int64_t part_limit(const Cell* input, const Cell* part) {
    switch (type_of(part)) {
    case T_INTEGER:
        return int64_t{series_index(input)} + integer_get(part);
    case T_FLOAT:
    case T_PERCENT: {
        double count = std::trunc(cell_double(part));
        if (!(count > -2147483648.0 && count < 2147483648.0))
            return count < 0 ? 0 : int64_t{series_buffer_length(input)};
        return int64_t{series_index(input)} + static_cast<int64_t>(count);
    }
    default:
        if (type_of(part) != type_of(input) || !series_same_buffer(part, input)) {
            Cell word = *word_load("part");
            Cell value = *part;
            error_fire(kCatScript, err::script::kInvalidRefineArg, &word, &value);
        }
        return series_index(part);
    }
}

} // namespace

uint32_t natives_parse(int, const int32_t* refs) {
    Cell input = *call_arg(0);
    Cell rules = *call_arg(1);
    bool strict = ref_present(refs[0]);
    Cell callback = g_none_cell;
    if (ref_present(refs[2])) {
        callback = *ref_arg(refs[2]);
        if (type_of(&callback) != T_FUNCTION && type_of(&callback) != T_NONE)
            error_fire(kCatScript, err::script::kInvalidArg, &callback);
    }
    series_clamp_position(&input);
    uint32_t tail = series_buffer_length(&input);

    uint32_t limit = 0;
    if (ref_present(refs[1])) {
        int64_t at = part_limit(&input, ref_arg(refs[1]));
        if (at < 1) {
            set_logic(stack_arguments(), series_index(&input) >= static_cast<int32_t>(tail));
            return 0;
        }
        limit = at > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(at);
    }
    parse_process(&input, &rules, strict, limit, &callback);
    return g_pending_exit;
}

} // namespace xel
