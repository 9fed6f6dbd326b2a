#include <string>
#include <vector>

#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/ownership/ownership.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class BlockModify : public SeriesFixture {};

using Ints = std::vector<int32_t>;

TEST_F(BlockModify, AppendAndInsert) {
    Cell b = int_block({1});
    Cell more = int_block({2, 3});
    Cell* r = block_append(&b, &more, nullptr, false, nullptr);
    EXPECT_EQ(ints(b), (Ints{1, 2, 3}));
    EXPECT_EQ(block_index(r), 0) << "append answers the head";

    Cell c = at_index(int_block({1, 4}), 1);
    r = block_insert(&c, &more, nullptr, false, nullptr);
    EXPECT_EQ(ints(c), (Ints{1, 2, 3, 4}));
    EXPECT_EQ(block_index(r), 3) << "insert answers the position past the inserted values";

    Cell d = int_block({1});
    block_append(&d, &more, nullptr, true, nullptr);
    ASSERT_EQ(block_buffer_length(&d), 2u);
    EXPECT_EQ(block_cell_at(&d, 1)->data2, more.data2) << "append/only keeps the block whole";

    Cell e = int_block({9});
    Cell part = integer(1);
    block_insert(&e, &more, &part, false, nullptr);
    EXPECT_EQ(ints(e), (Ints{2, 9}));

    Cell self = int_block({1, 2});
    block_append(&self, &self, nullptr, false, nullptr);
    EXPECT_EQ(ints(self), (Ints{1, 2, 1, 2}));
    Cell mid = at_index(int_block({1, 2}), 1);
    Cell whole = at_index(mid, 0);
    block_insert(&mid, &whole, nullptr, false, nullptr);
    EXPECT_EQ(ints(mid), (Ints{1, 1, 2, 2})) << "a block inserted into itself";
}

TEST_F(BlockModify, AppendDup) {
    Cell b = int_block({});
    Cell x = integer(7);
    Cell three = integer(3);
    Cell* r = block_append(&b, &x, nullptr, false, &three);
    EXPECT_EQ(ints(b), (Ints{7, 7, 7}));
    EXPECT_EQ(block_index(r), 0);
    Cell pairs = int_block({1, 2});
    Cell many = integer(40);
    block_append(&b, &pairs, nullptr, false, &many);
    EXPECT_EQ(block_buffer_length(&b), 83u);
    EXPECT_EQ(ints(b).back(), 2);
    EXPECT_EQ(ints(b)[81], 1);
    Cell zero = integer(0);
    block_append(&b, &x, nullptr, false, &zero);
    EXPECT_EQ(block_buffer_length(&b), 83u);
    Cell huge = integer(1 << 30);
    expect_error(kCatInternal, err::internal::kNoMemory,
                 [&] { block_append(&b, &pairs, nullptr, false, &huge); });
    EXPECT_EQ(block_buffer_length(&b), 83u) << "nothing changes before the check";
}

TEST_F(BlockModify, Change) {
    struct Case {
        Ints start;
        int32_t index;
        Cell value;
        int32_t part; // -1: no /part
        int32_t dup;  // 0: no /dup
        Ints expected;
        int32_t result_index;
    };
    const Case cases[] = {
        {{1, 2, 3}, 0, int_block({8, 9}), -1, 0, {8, 9, 3}, 2},
        {{1, 2}, 1, int_block({7, 8, 9}), -1, 0, {1, 7, 8, 9}, 4},
        {{1, 2, 3, 4}, 0, int_block({9}), 3, 0, {9, 4}, 1},
        {{1, 2, 3}, 0, int_block({7, 8, 9}), 1, 0, {7, 8, 9, 2, 3}, 3},
        {{1, 2, 3, 4}, 0, integer(0), -1, 2, {0, 0, 3, 4}, 2},
        {{1, 2, 3}, 1, integer(5), 9, 0, {1, 5}, 2},
    };
    for (const Case& c : cases) {
        Cell b = int_block({});
        for (int32_t n : c.start) {
            Cell v = integer(n);
            block_append_copy(&b, &v);
        }
        Cell pos = at_index(b, c.index);
        Cell value = c.value;
        Cell part = integer(c.part);
        Cell dup = integer(c.dup);
        Cell* r =
            block_change(&pos, &value, c.part < 0 ? nullptr : &part, false, c.dup ? &dup : nullptr);
        EXPECT_EQ(ints(b), c.expected);
        EXPECT_EQ(block_index(r), c.result_index);
    }
    Cell p = int_block({1, 2, 3, 4});
    Cell upto = at_index(p, 2);
    Cell nine = integer(9);
    block_change(&p, &nine, &upto, false, nullptr);
    EXPECT_EQ(ints(p), (Ints{9, 3, 4})) << "/part as a position in the series";

    Cell b = int_block({1, 2});
    Cell v = int_block({5, 6});
    block_change(&b, &v, nullptr, true, nullptr);
    EXPECT_EQ(type_of(block_cell_at(&b, 0)), T_BLOCK) << "change/only";
    EXPECT_EQ(block_cell_at(&b, 1)->data2, 2u);
}

TEST_F(BlockModify, TrimSwapPut) {
    Cell b = block({integer(1), none(), integer(2), none()});
    block_trim(&b, TrimOptions{});
    EXPECT_EQ(ints(b), (Ints{1, 2}));
    Cell c = at_index(block({none(), integer(1), none(), integer(2)}), 1);
    block_trim(&c, TrimOptions{});
    EXPECT_EQ(block_buffer_length(&c), 3u) << "cells before the position stay";

    Cell x = at_index(int_block({1, 2}), 1);
    Cell y = int_block({3, 4});
    Cell* r = block_swap(&x, &y);
    EXPECT_EQ(block_index(r), 1);
    EXPECT_EQ(ints(x), (Ints{1, 3}));
    EXPECT_EQ(ints(y), (Ints{2, 4}));
    Cell tail = at_index(y, 2);
    block_swap(&x, &tail);
    EXPECT_EQ(ints(x), (Ints{1, 3})) << "nothing at a tail";
    Cell n = none();
    expect_error(kCatScript, err::script::kInvalidArg, [&] { block_swap(&x, &n); });

    Cell a = *word_load("a");
    Cell bw = *word_load("b");
    Cell kv = block({a, integer(1)});
    Cell two = integer(2);
    block_put(&kv, &bw, &two, false);
    EXPECT_EQ(ints(kv), (Ints{INT_MIN, 1, INT_MIN, 2})) << "a missing key is appended";
    Cell five = integer(5);
    Cell* put = block_put(&kv, &a, &five, false);
    EXPECT_EQ(put->data2, 5u);
    EXPECT_EQ(ints(kv), (Ints{INT_MIN, 5, INT_MIN, 2}));
    Cell last = block({a});
    block_put(&last, &a, &two, false);
    EXPECT_EQ(ints(last), (Ints{INT_MIN, 2})) << "a key in the last cell gets its value appended";
}

TEST_F(BlockModify, TakeGivesTheValueWithoutPart) {
    Cell nested = int_block({5});
    Cell b = block({integer(1), nested, integer(3)});
    Cell first = *block_take(&b, nullptr, false, false);
    EXPECT_EQ(type_of(&first), T_INTEGER);
    EXPECT_EQ(first.data2, 1u);
    Cell one = integer(1);
    Cell part = *block_take(&b, &one, true, false);
    ASSERT_EQ(type_of(&part), T_BLOCK);
    ASSERT_EQ(block_buffer_length(&part), 1u);
    Cell* copied = block_cell_at(&part, 0);
    EXPECT_NE(copied->data2, nested.data2) << "take/deep copies the taken series";
    EXPECT_EQ(ints(*copied), (Ints{5}));
    EXPECT_EQ(ints(b), (Ints{3}));
}

TEST_F(BlockModify, CopyDeepAndTypes) {
    Cell inner = int_block({2});
    Cell str = text("s");
    Cell b = block({integer(1), inner, str});
    Cell shallow = *block_copy(&b, nullptr, false, nullptr);
    EXPECT_EQ(block_cell_at(&shallow, 1)->data2, inner.data2);
    Cell deep = *block_copy(&b, nullptr, true, nullptr);
    EXPECT_NE(block_cell_at(&deep, 1)->data2, inner.data2);
    EXPECT_NE(block_cell_at(&deep, 2)->data2, str.data2);
    EXPECT_EQ(ints(*block_cell_at(&deep, 1)), (Ints{2}));
    Cell only_blocks = datatype(T_BLOCK);
    Cell typed = *block_copy(&b, nullptr, false, &only_blocks);
    EXPECT_NE(block_cell_at(&typed, 1)->data2, inner.data2);
    EXPECT_EQ(block_cell_at(&typed, 2)->data2, str.data2) << "copy/types leaves other types";

    Cell self = int_block({1});
    block_append_copy(&self, &self);
    expect_error(kCatInternal, err::internal::kNoCycle,
                 [&] { block_copy(&self, nullptr, true, nullptr); });
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(BlockModify, MakeAndTo) {
    Cell proto = datatype(T_BLOCK);
    Cell zero = integer(0);
    Cell made = *block_make(&proto, &zero, T_BLOCK);
    EXPECT_EQ(block_buffer_length(&made), 0u);
    EXPECT_EQ(block_buffer(&made)->size, 16u) << "room for one cell";
    Cell f{T_FLOAT, 0, 0, 0};
    cell_set_double(&f, 2.9);
    made = *block_make(&proto, &f, T_BLOCK);
    EXPECT_EQ(block_buffer(&made)->size, 32u);
    cell_set_double(&f, 3e9);
    expect_error(kCatScript, err::script::kOutOfRange, [&] { block_make(&proto, &f, T_BLOCK); });
    Cell s = text("a");
    expect_error(kCatScript, err::script::kBadMakeArg, [&] { block_make(&proto, &s, T_BLOCK); });

    Cell src = at_index(int_block({1, 2, 3}), 1);
    Cell paren = *block_make(&proto, &src, T_PAREN);
    EXPECT_EQ(type_of(&paren), T_PAREN);
    EXPECT_NE(paren.data2, src.data2);
    EXPECT_EQ(ints(paren), (Ints{2, 3}));

    Cell five = integer(5);
    Cell to = *block_to(&proto, &five, T_BLOCK);
    EXPECT_EQ(ints(to), (Ints{5}));
    EXPECT_EQ(mold(to), "[5]");
    Cell source = text("1 [a]\n2");
    to = *block_to(&proto, &source, T_BLOCK);
    EXPECT_EQ(mold(to), "[1 [a]\n2]") << "to block! of a string loads its text";
    Cell set{T_TYPESET, 0, 0, 0};
    reinterpret_cast<uint8_t*>(&set.data1)[T_NONE >> 3] |= 0x80 >> (T_NONE & 7);
    reinterpret_cast<uint8_t*>(&set.data1)[T_BLOCK >> 3] |= 0x80 >> (T_BLOCK & 7);
    to = *block_to(&proto, &set, T_BLOCK);
    EXPECT_EQ(mold(to), "[none! block!]");
}

TEST_F(BlockModify, CloneDeepKeepsNestedTypes) {
    Cell p = int_block({2});
    cell_set_type(&p, T_PAREN);
    Cell inner = int_block({1});
    Cell b = block({inner, p});
    Cell plain = *block_clone(&b, true, false);
    EXPECT_NE(block_cell_at(&plain, 0)->data2, inner.data2);
    EXPECT_EQ(block_cell_at(&plain, 1)->data2, p.data2) << "parens only with the any flag";
    Cell any = *block_clone(&b, true, true);
    EXPECT_NE(block_cell_at(&any, 1)->data2, p.data2);
    EXPECT_EQ(type_of(block_cell_at(&any, 1)), T_PAREN);
}

// The owner's change events, as on-deep-change* would receive them.
std::vector<std::string> g_events;

void record_event(Cell*, Cell*, Cell*, Cell* action, Cell*, int index, int part) {
    g_events.push_back(std::string(symbol_name(word_symbol(action))) + " " + std::to_string(index) +
                       " " + std::to_string(part));
}

TEST_F(BlockModify, ChangesAreReportedInPairs) {
    if (!g_ownership_table) ownership_init();
    auto saved = g_object_fire_on_deep_change;
    g_object_fire_on_deep_change = record_event;
    Cell owner{T_OBJECT, 0, 0, 1}; // an event record: the owner has change handlers
    Cell field = *word_load("items");
    Cell b = int_block({3, 1, 2});
    ownership_set_owner(&b, &owner, &field);

    Cell v = integer(4);
    block_append(&b, &v, nullptr, false, nullptr);
    Cell pos = at_index(b, 1);
    series_remove(&pos, nullptr, nullptr);
    block_sort(&b, SortOptions{});
    series_poke(&b, 1, &v, nullptr);
    g_object_fire_on_deep_change = saved;
    EXPECT_EQ(g_events,
              (std::vector<std::string>{"append 3 1", "appended 3 1", "remove 1 1", "removed 1 0",
                                        "sort 0 3", "sorted 0 3", "poke 0 1", "poked 0 1"}));
}

// A handler that empties the series when told of a change to come.
void clear_before(Cell*, Cell*, Cell* target, Cell* action, Cell*, int, int) {
    std::string word = symbol_name(word_symbol(action));
    if (word.size() < 3 || word.compare(word.size() - 2, 2, "ed") != 0) block_clear_from(target, 0);
}

TEST_F(BlockModify, AHandlerThatEmptiesTheSeriesFirst) {
    if (!g_ownership_table) ownership_init();
    auto saved = g_object_fire_on_deep_change;
    g_object_fire_on_deep_change = clear_before;
    Cell owner{T_OBJECT, 0, 0, 1};
    Cell field = *word_load("items");
    Cell b = int_block({1, 2, 3, 4});
    ownership_set_owner(&b, &owner, &field);
    Cell v = integer(7);
    Cell late = at_index(b, 3);
    block_insert(&late, &v, nullptr, false, nullptr);
    EXPECT_EQ(ints(b), (Ints{7})) << "the insertion point follows the shortened block";
    Cell more = int_block({1, 2, 3});
    block_append(&b, &more, nullptr, false, nullptr);
    Cell at2 = at_index(b, 2);
    Cell two = integer(2);
    series_remove(&at2, &two, nullptr);
    series_reverse(&at2, nullptr, nullptr);
    block_change(&at2, &v, nullptr, false, nullptr);
    series_take(&at2, &two, false, true);
    block_sort(&b, SortOptions{});
    g_object_fire_on_deep_change = saved;
    EXPECT_LE(block_buffer_length(&b), 1u);
}

} // namespace
