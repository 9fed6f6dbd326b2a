#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

Cell* block_select_word(const Cell* block, const Cell* word, bool strict) {
    uint32_t want = strict ? word_symbol(word) : symbol_resolve(word_symbol(word));
    uint32_t len = block_buffer_length(block);
    uint32_t from = block_index(block) < 0 ? 0 : static_cast<uint32_t>(block_index(block));
    for (uint32_t i = from; i + 1 < len; i++) {
        Cell* c = block_cell_at(block, i);
        uint8_t t = type_of(c);
        if (t < T_WORD || t > T_GET_WORD) continue;
        uint32_t sym = strict ? word_symbol(c) : symbol_resolve(word_symbol(c));
        if (sym == want) return block_cell_at(block, i + 1);
    }
    return &g_none_cell;
}

Cell* block_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify) {
    (void)gparent, (void)p_item, (void)index, (void)get, (void)tail, (void)notify;
    Cell blk = *parent;
    Cell elem = *element;
    Cell* result = stack_arguments();
    if (type_of(&elem) == T_INTEGER) {
        auto n = static_cast<int32_t>(elem.data2);
        return value ? series_poke(&blk, n, value, &elem) : series_pick(&blk, n, &elem);
    }
    if (!value) {
        if (type_of(&elem) == T_WORD && type_of(&blk) != T_HASH) {
            *result = *block_select_word(&blk, &elem, case_);
            return result;
        }
        FindOptions o;
        o.only = true;
        o.case_ = case_;
        return block_select(&blk, &elem, o);
    }
    Cell v = *value;
    BlockFind f{&blk, &elem, nullptr, nullptr, false, case_, false, false, false, false, false};
    int32_t len = 0;
    int32_t i = block_find_index(f, &len);
    if (i < 0) error_fire(kCatScript, err::script::kBadPathSet, path ? path : &elem, &elem);
    // The value after the match: offset len + 1 from the match, counted from the block's position.
    int32_t offset = i + len - (block_index(&blk) < 0 ? 0 : block_index(&blk)) + 1;
    return series_poke(&blk, offset, &v, &elem);
}

} // namespace xel
