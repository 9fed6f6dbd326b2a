// make and to.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

FaceCapture g_face_capture = nullptr;

namespace {

// The library's face?, called in a function frame of its word. A pending
// exit is left for the caller to see.
bool library_face_q(const Cell* value) {
    Cell word = *word_load("face?");
    Cell fn = *context_get(&word);
    if (type_of(&fn) != T_FUNCTION) return false;
    Cell* base = g_stack_top;
    stack_mark_func(&word, function_context(&fn));
    stack_push(value);
    uint32_t slots = context_word_count(function_context(&fn));
    for (uint32_t i = 1; i < slots; i++)
        stack_push(&g_none_cell);
    if (interp_call_function(&fn).exit_pending()) return false;
    stack_unwind_func();
    bool face = type_of(base) == T_LOGIC && logic_get(base);
    g_stack_top = base;
    return face;
}

// A side of a size: negative counts as 0; beyond what a record holds is an error.
uint32_t side_of(const Cell* size, int32_t side) {
    if (side < 0) return 0;
    if (static_cast<uint32_t>(side) > kBitmapMaxSide)
        error_fire(kCatScript, err::script::kInvalidArg, size);
    return static_cast<uint32_t>(side);
}

Cell* make_image(const Cell* size, const Cell* rgb, const Cell* alpha, const Cell* fill) {
    uint32_t width = side_of(size, pair_x(size)), height = side_of(size, pair_y(size));
    Offset record = bitmap_create(width, height, rgb, alpha, fill);
    Cell* result = stack_arguments();
    image_init_cell(result, record, record ? 0 : width, record ? 0 : height);
    return result;
}

Cell* make_from_block(Cell* proto, const Cell* spec) {
    Cell block = *spec;
    Cell* first = block_rs_head(&block);
    auto count = first < block_rs_tail(&block) ? block_rs_tail(&block) - first : 0;
    if (count == 0) {
        if (type_of(proto) == T_IMAGE) {
            image_copy_into(proto, nullptr, stack_arguments());
            return stack_arguments();
        }
        error_fire(kCatScript, err::script::kInvalidArg, &block);
    }
    Cell size = first[0];
    if (type_of(&size) != T_PAIR) {
        Cell expected{T_DATATYPE, T_PAIR, 0, 0}, got{T_DATATYPE, type_of(&size), 0, 0};
        error_fire(kCatScript, err::script::kExpectVal, &expected, &got);
    }
    Cell colour = count > 1 ? first[1] : Cell{T_NONE, 0, 0, 0};
    Cell alpha = count > 2 ? first[2] : Cell{T_NONE, 0, 0, 0};
    if (count > 1 && type_of(&colour) != T_BINARY && type_of(&colour) != T_TUPLE)
        error_fire(kCatScript, err::script::kInvalidArg, &colour);
    if (count > 2 && type_of(&alpha) != T_BINARY)
        error_fire(kCatScript, err::script::kInvalidArg, &alpha);
    bool fill = type_of(&colour) == T_TUPLE;
    return make_image(&size, type_of(&colour) == T_BINARY ? &colour : nullptr,
                      count > 2 && !fill ? &alpha : nullptr, fill ? &colour : nullptr);
}

} // namespace

Cell* image_make(Cell* proto, Cell* spec, int type) {
    Cell s = *spec;
    if (type_of(&s) == T_PAIR) return make_image(&s, nullptr, nullptr, nullptr);
    if (type_of(&s) == T_BLOCK) return make_from_block(proto, &s);
    return image_to(proto, &s, type);
}

Cell* image_to(Cell*, Cell* spec, int) {
    Cell s = *spec;
    if (type_of(&s) == T_IMAGE) {
        image_copy_into(&s, nullptr, stack_arguments());
        return stack_arguments();
    }
    if (type_of(&s) == T_OBJECT && g_face_capture && library_face_q(&s)) {
        g_face_capture(&s, stack_arguments());
        return stack_arguments();
    }
    Cell type{T_DATATYPE, T_IMAGE, 0, 0};
    error_fire(kCatScript, err::script::kBadToArg, &type, &s);
}

} // namespace xel
