// The routines of the XELBIN codec object: encoding in either record
// encoding, decoding from bytes, a file or a url.
#include <vector>

#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/url/url.h"
#include "runtime/error-fire.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"
#include "services/simple-io/file-services.h"

namespace xel {

namespace {

// Answers the data as it comes, or the whole file or url as a binary!.
Cell bytes_of(Cell data) {
    if (type_of(&data) == T_FILE) {
        Cell* out = stack_push(&g_none_cell);
        simple_io_read(&data, nullptr, nullptr, true, false, out);
        return *out;
    }
    if (type_of(&data) == T_URL)
        return *url_read(&data, nullptr, nullptr, true, false, false, nullptr);
    return data;
}

// value, result slot, compact? flag.
RoutineValue routine_xelbin_encode(const RoutineValue* args, uint32_t) {
    Cell value = *args[0].cell;
    bool compact = value_truth(args[2].cell);
    Cell* out = stack_push(&g_none_cell);
    xelbin_encode(&value, compact, out);
    RoutineValue r;
    r.cell = out;
    return r;
}

// One value alone, several in a block.
RoutineValue routine_xelbin_decode(const RoutineValue* args, uint32_t) {
    Cell data = bytes_of(*args[0].cell);
    Cell* held = stack_push(&data);
    if (type_of(held) != T_BINARY || binary_xs_length(held) <= 10)
        error_fire(kCatScript, err::script::kInvalidData, held);
    // The decoder reads C++ memory: making values may move the binary.
    std::vector<uint8_t> bytes(binary_xs_head(held), binary_xs_head(held) + binary_xs_length(held));
    Cell* out = stack_push_cell();
    block_make_at(out, 4);
    xelbin_decode(bytes.data(), bytes.size(), out, kXelbinScript);
    Cell result = block_length_at(out) == 1 ? *block_cell_at(out, 0) : *out;
    return routine_answer(result);
}

} // namespace

void routines_register_codecs() {
    routine_register("xelbin-codec/encode*", routine_xelbin_encode);
    routine_register("xelbin-codec/decode", routine_xelbin_decode);
}

} // namespace xel
