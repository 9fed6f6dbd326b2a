// The two stacks every parse call shares: blocks kept in the root block,
// grown at their tails and cut back to the heights each call began with.
#include "runtime/datatypes/block/block.h"
#include "runtime/error-fire.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/parse/parse.h"
#include "runtime/runtime-init.h"

namespace xel {

namespace {

constexpr int kInputStackRoom = 8;
constexpr int kRuleStackRoom = 100;

Cell* stack_in_root(int room) {
    Cell fresh;
    block_make_at(&fresh, room);
    Cell* c = root_alloc_tail_cell();
    *c = fresh;
    return c;
}

Cell* push_cells(const Cell* stack, uint32_t n) {
    SeriesBuf* buf = series_buffer(stack);
    uint32_t bytes = n * sizeof(Cell);
    if (buf->tail + bytes > buf->data_end())
        buf = expand_series_copy(buf, int64_t{buf->size} * 2 + bytes);
    auto* cells = at<Cell>(buf->tail);
    for (uint32_t i = 0; i < n; i++)
        cells[i] = Cell{T_NONE, 0, 0, 0};
    buf->tail += bytes;
    return cells;
}

void cut(const Cell* stack, uint32_t height) {
    SeriesBuf* buf = series_buffer(stack);
    if (height < buf->used() / sizeof(Cell)) buf->tail = buf->head + height * sizeof(Cell);
}

} // namespace

namespace parse {

// In the root block, which never moves.
Cell* g_rule_stack = nullptr;
Cell* g_input_stack = nullptr;

} // namespace parse

ParseStackMark parse_save_stacks() {
    return ParseStackMark{parse::rule_height(), parse::input_height()};
}

void parse_restore_stacks(const ParseStackMark& mark) {
    parse::rule_cut(mark.rules);
    parse::input_cut(mark.inputs);
}

void parse_init() {
    parse::g_input_stack = stack_in_root(kInputStackRoom);
    parse::g_rule_stack = stack_in_root(kRuleStackRoom);
    parse::keywords_init();
}

namespace parse {

Cell* rule_push(uint32_t n) {
    check_stacks(n);
    return push_cells(g_rule_stack, n);
}

void rule_cut(uint32_t height) {
    cut(g_rule_stack, height);
}

void input_push(const Cell* series) {
    Cell s = *series;
    check_stacks(0);
    *push_cells(g_input_stack, 1) = s;
}

void input_cut(uint32_t height) {
    cut(g_input_stack, height);
}

void check_stacks(uint32_t more_rule_cells) {
    if (rule_height() + more_rule_cells > kStackLimit || input_height() + 1 > kStackLimit)
        error_fire(kCatScript, err::script::kParseStack);
}

} // namespace parse

} // namespace xel
