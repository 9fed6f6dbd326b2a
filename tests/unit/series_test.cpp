#include "runtime/datatypes/series/series.h"

#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class Series : public SeriesFixture {};

int32_t idx(Cell c) {
    return block_index(&c);
}

TEST_F(Series, AtAndSkipClampToTheBuffer) {
    struct Case {
        void (*fn)();
        int32_t index;
        int32_t offset;
        int32_t expected;
    };
    const Case cases[] = {
        {series_at, 2, 1, 2},   {series_at, 2, 0, 2},    {series_at, 2, -1, 1},
        {series_at, 2, 3, 4},   {series_at, 2, 9, 5},    {series_at, 2, -9, 0},
        {series_skip, 2, 0, 2}, {series_skip, 2, 1, 3},  {series_skip, 2, -1, 1},
        {series_skip, 2, 9, 5}, {series_skip, 2, -9, 0},
    };
    Cell s = int_block({1, 2, 3, 4, 5});
    for (const Case& c : cases) {
        Cell off = integer(c.offset);
        Cell r = direct(c.fn, at_index(s, c.index), &off);
        EXPECT_EQ(block_index(&r), c.expected)
            << (c.fn == series_at ? "at " : "skip ") << c.index << " " << c.offset;
        EXPECT_EQ(type_of(&r), T_BLOCK);
    }
    Cell word_offset = none();
    expect_error(kCatScript, err::script::kInvalidArg, [&] { direct(series_at, s, &word_offset); });
}

TEST_F(Series, Navigation) {
    Cell s = int_block({1, 2, 3});
    Cell tail = direct(series_tail, s);
    EXPECT_EQ(block_index(&tail), 3);
    Cell index = direct(series_index_q, tail);
    EXPECT_EQ(type_of(&index), T_INTEGER);
    EXPECT_EQ(index.data2, 4u) << "index? tail [1 2 3]";
    EXPECT_EQ(idx(direct(series_next, tail)), 3) << "next stays at the tail";
    EXPECT_EQ(idx(direct(series_back, s)), 0) << "back stays at the head";
    EXPECT_EQ(idx(direct(series_back, tail)), 2);
    EXPECT_EQ(idx(direct(series_head, tail)), 0);
    EXPECT_EQ(direct(series_head_q, s).data1, 1u);
    EXPECT_EQ(direct(series_head_q, tail).data1, 0u);
    EXPECT_EQ(direct(series_tail_q, tail).data1, 1u);
    EXPECT_EQ(direct(series_tail_q, at_index(s, 7)).data1, 1u) << "past the tail is tail? too";
    EXPECT_EQ(direct(series_tail_q, s).data1, 0u);
}

TEST_F(Series, LengthOfAPositionLeftPastTheTail) {
    Cell s = int_block({1, 2, 3, 4});
    Cell later = at_index(s, 3);
    Cell cut = at_index(s, 1);
    series_clear(&cut);
    EXPECT_EQ(series_length_at(&later), 0);
    EXPECT_EQ(block_index(&later), 1) << "the position is moved back to the tail";
    Cell negative = at_index(s, -2);
    EXPECT_EQ(series_length_at(&negative), 1) << "a negative position counts as the head";
    Cell whole = at_index(s, 1);
    EXPECT_EQ(series_length_at(&whole, true), 1);
}

TEST_F(Series, PickByOffset) {
    Cell s = at_index(int_block({10, 20, 30}), 1);
    struct Case {
        int n;
        int32_t expected; // INT_MIN: none!
    };
    const Case cases[] = {{0, INT_MIN}, {1, 20}, {2, 30}, {3, INT_MIN}, {-1, 10}, {-2, INT_MIN}};
    for (const Case& c : cases) {
        Cell* r = series_pick(&s, c.n, nullptr);
        if (c.expected == INT_MIN) {
            EXPECT_EQ(type_of(r), T_NONE) << c.n;
        } else {
            EXPECT_EQ(type_of(r), T_INTEGER) << c.n;
            EXPECT_EQ(static_cast<int32_t>(r->data2), c.expected) << c.n;
        }
    }
    Cell str = at_index(text("abc"), 1);
    Cell* ch = series_pick(&str, 1, nullptr);
    EXPECT_EQ(type_of(ch), T_CHAR);
    EXPECT_EQ(ch->data2, static_cast<uint32_t>('b'));
}

TEST_F(Series, PokeChecksTheOffsetAndTheValue) {
    Cell s = int_block({1, 2, 3});
    Cell v = integer(9);
    Cell* r = series_poke(&s, 2, &v, nullptr);
    EXPECT_EQ(r->data2, 9u);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{1, 9, 3}));
    for (int n : {0, 4, -1}) {
        expect_error(kCatScript, err::script::kOutOfRange,
                     [&] { series_poke(&s, n, &v, nullptr); });
        EXPECT_EQ(g_pending_error.args[0].data2, static_cast<uint32_t>(n));
    }
    Cell str = text("abc");
    expect_error(kCatScript, err::script::kInvalidArg, [&] { series_poke(&str, 1, &v, nullptr); });
    Cell wide{T_CHAR, 0, 0x263A, 0};
    series_poke(&str, 2, &wide, nullptr);
    EXPECT_EQ(whole_text(str), "a\u263Ac") << "the string widens for the code point";
}

TEST_F(Series, ClearAndRemove) {
    Cell s = int_block({1, 2, 3, 4, 5});
    Cell two = integer(2);
    Cell* r = series_remove(&s, &two, nullptr);
    EXPECT_EQ(block_index(r), 0);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{3, 4, 5}));
    Cell last = at_index(s, 2);
    Cell many = integer(10);
    series_remove(&last, &many, nullptr);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{3, 4}));
    Cell upto = at_index(s, 1);
    Cell from = s;
    series_remove(&from, &upto, nullptr);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{4})) << "a /part position in the same series";
    Cell zero = integer(0);
    series_remove(&s, &zero, nullptr);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{4}));
    Cell other = int_block({1});
    expect_error(kCatScript, err::script::kInvalidRefineArg,
                 [&] { series_remove(&s, &other, nullptr); });
    series_clear(&s);
    EXPECT_EQ(block_buffer_length(&s), 0u);
}

TEST_F(Series, ReverseWithRecords) {
    Cell s = int_block({1, 2, 3, 4, 5, 6});
    Cell two = integer(2);
    series_reverse(&s, nullptr, &two);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{5, 6, 3, 4, 1, 2}));
    Cell mid = at_index(s, 1);
    Cell three = integer(3);
    series_reverse(&mid, &three, nullptr);
    EXPECT_EQ(ints(s), (std::vector<int32_t>{5, 4, 3, 6, 1, 2}));
    Cell four = integer(4);
    expect_error(kCatScript, err::script::kInvalidRefineArg,
                 [&] { series_reverse(&s, nullptr, &four); });
    Cell zero = integer(0);
    expect_error(kCatScript, err::script::kOutOfRange, [&] { series_reverse(&s, nullptr, &zero); });
    Cell str = text("hello");
    series_reverse(&str, nullptr, nullptr);
    EXPECT_EQ(whole_text(str), "olleh");
}

TEST_F(Series, TakeCounts) {
    struct Case {
        int32_t index;
        int32_t part; // INT_MIN: no /part
        bool last;
        std::vector<int32_t> taken;
        std::vector<int32_t> left;
    };
    const Case cases[] = {
        {0, INT_MIN, false, {1}, {2, 3, 4, 5}}, {0, 0, false, {1}, {2, 3, 4, 5}},
        {3, -2, false, {2, 3}, {1, 4, 5}},      {0, 2, true, {4, 5}, {1, 2, 3}},
        {1, 9, false, {2, 3, 4, 5}, {1}},       {0, -1, false, {}, {1, 2, 3, 4, 5}},
        {2, -1, true, {}, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        Cell s = at_index(int_block({1, 2, 3, 4, 5}), c.index);
        Cell part = integer(c.part);
        Cell taken = *series_take(&s, c.part == INT_MIN ? nullptr : &part, false, c.last);
        EXPECT_EQ(ints(taken), c.taken) << c.index << " " << c.part;
        EXPECT_EQ(ints(s), c.left) << c.index << " " << c.part;
        EXPECT_EQ(type_of(&taken), T_BLOCK);
    }
    Cell empty = int_block({});
    EXPECT_EQ(type_of(series_take(&empty, nullptr, false, false)), T_NONE);
}

TEST_F(Series, CopyParts) {
    Cell s = at_index(int_block({1, 2, 3, 4, 5}), 1);
    struct Case {
        Cell part;
        std::vector<int32_t> copied;
    };
    const Case cases[] = {
        {integer(2), {2, 3}},     {integer(-1), {1}}, {integer(-5), {1}},
        {pair(2, 4), {3, 4}},     {pair(4, 2), {}},   {integer(99), {2, 3, 4, 5}},
        {at_index(s, 3), {2, 3}},
    };
    for (const Case& c : cases) {
        Cell part = c.part;
        Cell copy = *series_copy(&s, &part, false, nullptr);
        EXPECT_EQ(ints(copy), c.copied);
        EXPECT_EQ(block_index(&copy), 0);
    }
    Cell whole = *series_copy(&s, nullptr, false, nullptr);
    EXPECT_EQ(ints(whole), (std::vector<int32_t>{2, 3, 4, 5}));
    EXPECT_NE(whole.data2, s.data2);
    Cell bad = none();
    expect_error(kCatScript, err::script::kInvalidRefineArg,
                 [&] { series_copy(&s, &bad, false, nullptr); });
}

TEST_F(Series, MoveInsideOneSeries) {
    struct Case {
        int32_t from, to, part;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {0, 2, 1, {2, 3, 1, 4, 5}}, {3, 1, 1, {1, 4, 2, 3, 5}}, {0, 5, 2, {3, 4, 5, 1, 2}},
        {3, 0, 2, {4, 5, 1, 2, 3}}, {1, 1, 1, {1, 2, 3, 4, 5}}, {0, 1, 3, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        Cell s = int_block({1, 2, 3, 4, 5});
        Cell src = at_index(s, c.from);
        Cell dst = at_index(s, c.to);
        Cell part = integer(c.part);
        series_move(&src, &dst, &part);
        EXPECT_EQ(ints(s), c.expected) << c.from << " -> " << c.to;
    }
}

TEST_F(Series, MoveBetweenSeries) {
    Cell a = int_block({1, 2, 3});
    Cell b = at_index(int_block({7, 8}), 1);
    Cell two = integer(2);
    Cell* r = series_move(&a, &b, &two);
    EXPECT_EQ(r->data2, b.data2) << "the result is the target";
    EXPECT_EQ(ints(a), (std::vector<int32_t>{3}));
    EXPECT_EQ(ints(b), (std::vector<int32_t>{7, 1, 2, 8}));

    Cell narrow = text("ab");
    Cell wide = text("xy");
    Cell smile{T_CHAR, 0, 0x263A, 0};
    series_poke(&wide, 1, &smile, nullptr);
    Cell tail = at_index(narrow, 2);
    series_move(&wide, &tail, &two);
    EXPECT_EQ(whole_text(narrow), "ab\u263Ay") << "units are converted across widths";
    EXPECT_EQ(whole_text(wide), "");

    Cell str = text("abc");
    expect_error(kCatScript, err::script::kMoveBad, [&] { series_move(&a, &str, nullptr); });
    Cell not_series = none();
    expect_error(kCatScript, err::script::kExpectArg,
                 [&] { series_move(&a, &not_series, nullptr); });
}

TEST_F(Series, RowOfEveryBlockKind) {
    // block! takes these from series!; paren! and the path types from block!.
    for (uint8_t t : {T_BLOCK, T_PAREN, T_PATH, T_GET_PATH, T_HASH}) {
        EXPECT_EQ(action_of<A_PICK>(t), &series_pick) << int(t);
        EXPECT_EQ(action_of<A_AT>(t), &series_at) << int(t);
    }
    EXPECT_EQ(action_entry(T_SERIES, A_MAKE), 0u);
    EXPECT_EQ(action_entry(T_PAREN, A_TRIM), 0u) << "paren! has no trim";
}

} // namespace
