#include "runtime/datatypes/block/block-actions.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class BlockSearch : public SeriesFixture {
  protected:
    static Cell word(const char* name, uint8_t type = T_WORD) {
        Cell w = *word_load(name);
        cell_set_type(&w, type);
        return w;
    }
};

// The index find answers, or -1 for none!.
int32_t find_at(Cell series, Cell value, FindOptions o = {}) {
    Cell* r = block_find(&series, &value, o);
    if (type_of(r) == T_NONE) return -1;
    EXPECT_EQ(r->data2, series.data2);
    return block_index(r);
}

TEST_F(BlockSearch, SingleValuesAndSequences) {
    Cell abc = block({word("a"), word("b"), word("c")});
    EXPECT_EQ(find_at(abc, word("b")), 1);
    EXPECT_EQ(find_at(abc, word("b"), {.tail = true}), 2);
    EXPECT_EQ(find_at(abc, word("d")), -1);
    EXPECT_EQ(find_at(abc, word("b", T_SET_WORD)), 1) << "search equality spans word kinds";
    EXPECT_EQ(find_at(at_index(abc, 3), word("c")), -1) << "at the tail";
    Cell nums = int_block({1, 2, 3, 4});
    EXPECT_EQ(find_at(nums, int_block({2, 3})), 1);
    EXPECT_EQ(find_at(nums, int_block({2, 3}), {.tail = true}), 3);
    EXPECT_EQ(find_at(nums, int_block({3, 5})), -1);
    EXPECT_EQ(find_at(nums, int_block({4, 5})), -1) << "a sequence must end before the tail";
    Cell nested = block({int_block({2, 3}), integer(2), integer(3)});
    EXPECT_EQ(find_at(nested, int_block({2, 3}), {.only = true}), 0);
    EXPECT_EQ(find_at(nested, int_block({2, 3})), 1);
}

TEST_F(BlockSearch, ByTypeAndTypeset) {
    Cell b = block({integer(1), text("a"), integer(2)});
    EXPECT_EQ(find_at(b, datatype(T_STRING)), 1);
    EXPECT_EQ(find_at(b, datatype(T_STRING), {.only = true}), -1);
    Cell with_type = block({integer(1), datatype(T_STRING)});
    EXPECT_EQ(find_at(with_type, datatype(T_STRING), {.only = true}), 1);
    Cell typeset{T_TYPESET, 0, 0, 0};
    auto* bits = reinterpret_cast<uint8_t*>(&typeset.data1);
    bits[T_STRING >> 3] |= 0x80 >> (T_STRING & 7);
    EXPECT_EQ(find_at(b, typeset), 1);
}

TEST_F(BlockSearch, SkipLastReverseMatchPart) {
    Cell rec = block({word("a"), integer(1), word("b"), integer(2)});
    Cell two = integer(2);
    EXPECT_EQ(find_at(rec, word("b"), {.skip = &two}), 2);
    Cell vals = block({word("a"), word("b"), word("x"), word("a")});
    EXPECT_EQ(find_at(vals, word("x"), {.skip = &two}), 2);
    EXPECT_EQ(find_at(vals, word("b"), {.skip = &two}), -1) << "only the record heads are searched";
    EXPECT_EQ(find_at(at_index(vals, 1), word("a"), {.skip = &two}), 3);
    Cell zero = integer(0);
    expect_error(kCatScript, err::script::kOutOfRange,
                 [&] { find_at(rec, word("b"), {.skip = &zero}); });
    Cell n = none();
    expect_error(kCatScript, err::script::kInvalidRefineArg,
                 [&] { find_at(rec, word("b"), {.skip = &n}); });

    Cell ones = int_block({1, 2, 1});
    EXPECT_EQ(find_at(ones, integer(1), {.last = true}), 2);
    EXPECT_EQ(find_at(ones, integer(1), {.last = true, .tail = true}), 3);
    EXPECT_EQ(find_at(at_index(ones, 3), integer(1), {.reverse = true}), 2);
    EXPECT_EQ(find_at(at_index(ones, 2), integer(1), {.reverse = true}), 0);
    EXPECT_EQ(find_at(ones, integer(1), {.reverse = true}), -1) << "at the head";
    EXPECT_EQ(find_at(ones, integer(2), {.match = true}), -1);
    EXPECT_EQ(find_at(ones, integer(1), {.tail = true, .match = true}), 1);

    Cell limit = integer(2);
    EXPECT_EQ(find_at(ones, integer(1), {.part = &limit, .last = true}), 0)
        << "/part bounds the cells searched";
    Cell none_part = integer(0);
    EXPECT_EQ(find_at(ones, integer(1), {.part = &none_part}), -1);
}

TEST_F(BlockSearch, SelectAndCase) {
    Cell kv = block({word("a"), integer(1), word("b"), integer(2)});
    Cell b = word("b");
    Cell* r = block_select(&kv, &b, FindOptions{});
    EXPECT_EQ(r->data2, 2u);
    Cell short_kv = block({word("a"), integer(1), word("b")});
    r = block_select(&short_kv, &b, FindOptions{});
    EXPECT_EQ(type_of(r), T_NONE) << "the key is the last cell";
    Cell seq = int_block({1, 2, 3, 4});
    Cell key = int_block({2, 3});
    r = block_select(&seq, &key, FindOptions{});
    EXPECT_EQ(r->data2, 4u) << "select skips a whole sequence";

    Cell mixed = block({word("Foo"), integer(1)});
    EXPECT_EQ(find_at(mixed, word("foo")), 0);
    EXPECT_EQ(find_at(mixed, word("foo"), {.case_ = true}), -1);
}

TEST_F(BlockSearch, SelectAndRemoveValue) {
    Cell b = int_block({1, 2, 3, 2});
    Cell two = integer(2);
    EXPECT_EQ(block_select_value(&b, &two)->data2, 3u);
    Cell last = integer(3);
    Cell tail_key = int_block({1, 3});
    EXPECT_EQ(type_of(block_select_value(&tail_key, &last)), T_NONE);
    Cell from_pos = at_index(b, 2);
    EXPECT_TRUE(block_remove_value(&from_pos, &two, false));
    EXPECT_EQ(ints(b), (std::vector<int32_t>{1, 2, 3}));
    Cell one = integer(1);
    EXPECT_FALSE(block_remove_value(&from_pos, &one, false));
    EXPECT_TRUE(block_remove_value(&from_pos, &one, true));
    EXPECT_EQ(ints(b), (std::vector<int32_t>{2, 3}));
}

TEST_F(BlockSearch, PathAccess) {
    Cell blk = block({word("x"), integer(10), word("foo", T_SET_WORD), integer(20),
                      word("bar", T_LIT_WORD), integer(30)});
    Cell two = integer(2);
    Cell* r = block_eval_path(&blk, &two, nullptr, nullptr, nullptr, nullptr, 1, false, false,
                              false, false);
    EXPECT_EQ(r->data2, 10u) << "blk/2";
    for (const char* name : {"foo", "bar"}) {
        Cell w = word(name);
        r = block_eval_path(&blk, &w, nullptr, nullptr, nullptr, nullptr, 1, false, false, false,
                            false);
        EXPECT_EQ(type_of(r), T_INTEGER) << name;
    }
    Cell missing = word("baz");
    r = block_eval_path(&blk, &missing, nullptr, nullptr, nullptr, nullptr, 1, false, false, false,
                        false);
    EXPECT_EQ(type_of(r), T_NONE);

    Cell foo = word("foo");
    Cell v = integer(99);
    block_eval_path(&blk, &foo, &v, nullptr, nullptr, nullptr, 1, false, false, true, false);
    EXPECT_EQ(block_cell_at(&blk, 3)->data2, 99u) << "blk/foo: 99";
    block_eval_path(&blk, &two, &v, nullptr, nullptr, nullptr, 1, false, false, true, false);
    EXPECT_EQ(block_cell_at(&blk, 1)->data2, 99u) << "blk/2: 99";
    expect_error(kCatScript, err::script::kBadPathSet, [&] {
        block_eval_path(&blk, &missing, &v, nullptr, nullptr, nullptr, 1, false, false, true,
                        false);
    });
}

} // namespace
