#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/natives/natives.h"
#include "runtime/sort/sort.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

// Records of a key and a tag; the order looks at the key only.
struct Rec {
    int32_t key;
    char tag;
};

int by_key(const void* a, const void* b, intptr_t calls, intptr_t) {
    ++*reinterpret_cast<int*>(calls);
    auto* x = static_cast<const Rec*>(a);
    auto* y = static_cast<const Rec*>(b);
    return x->key < y->key ? -1 : (x->key > y->key ? 1 : 0);
}

using Sorter = void (*)(void*, size_t, size_t, intptr_t, intptr_t, SortCompare);

std::string keys(const std::vector<Rec>& v) {
    std::string s;
    for (const Rec& r : v)
        s += std::to_string(r.key) + r.tag + " ";
    return s;
}

TEST(RecordSort, MergeIsStable) {
    std::vector<Rec> v = {{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}};
    int calls = 0;
    sort_merge(v.data(), v.size(), sizeof(Rec), reinterpret_cast<intptr_t>(&calls), 0, by_key);
    EXPECT_EQ(keys(v), "1b 1d 2a 2c ");
    std::vector<Rec> q = {{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}};
    sort_quick(q.data(), q.size(), sizeof(Rec), reinterpret_cast<intptr_t>(&calls), 0, by_key);
    EXPECT_EQ(q[0].key, 1);
    EXPECT_EQ(q[1].key, 1);
    EXPECT_EQ(q[3].key, 2);
}

TEST(RecordSort, OrderedInputCostsOnePass) {
    for (Sorter sort : {sort_merge, sort_quick}) {
        std::vector<Rec> down(1000), same(1000);
        for (int i = 0; i < 1000; i++) {
            down[i] = Rec{1000 - i, 'x'};
            same[i] = Rec{7, static_cast<char>('a' + i % 26)};
        }
        int calls = 0;
        sort(down.data(), down.size(), sizeof(Rec), reinterpret_cast<intptr_t>(&calls), 0, by_key);
        EXPECT_LT(calls, 1100) << "a strictly descending input is reversed in one pass";
        for (int i = 0; i < 1000; i++)
            ASSERT_EQ(down[i].key, i + 1);
        calls = 0;
        std::vector<Rec> before = same;
        sort(same.data(), same.size(), sizeof(Rec), reinterpret_cast<intptr_t>(&calls), 0, by_key);
        EXPECT_LT(calls, 1100);
        EXPECT_EQ(keys(same), keys(before)) << "equal records are left as they are";
    }
}

TEST(RecordSort, RandomInputsOfManySizes) {
    std::mt19937 gen(42);
    for (Sorter sort : {sort_merge, sort_quick}) {
        for (size_t n : {0u, 1u, 2u, 7u, 8u, 9u, 63u, 100u, 600u, 5000u}) {
            for (int range : {3, 1000000}) {
                std::vector<Rec> v(n);
                for (size_t i = 0; i < n; i++)
                    v[i] = Rec{static_cast<int32_t>(gen() % range), static_cast<char>(i % 128)};
                std::vector<Rec> expected = v;
                std::stable_sort(expected.begin(), expected.end(),
                                 [](const Rec& a, const Rec& b) { return a.key < b.key; });
                int calls = 0;
                sort(v.data(), n, sizeof(Rec), reinterpret_cast<intptr_t>(&calls), 0, by_key);
                for (size_t i = 0; i < n; i++)
                    ASSERT_EQ(v[i].key, expected[i].key) << n << " " << range;
                if (sort == sort_merge) {
                    EXPECT_EQ(keys(v), keys(expected)) << "stable";
                }
            }
        }
    }
}

TEST(RecordSort, NearlySortedAndOddWidths) {
    // Nearly ordered input with scattered displaced records.
    std::vector<Rec> v(3000);
    for (int i = 0; i < 3000; i++)
        v[i] = Rec{i, 'x'};
    for (int i = 0; i < 3000; i += 250)
        std::swap(v[i], v[(i * 7 + 13) % 3000]);
    int calls = 0;
    sort_quick(v.data(), v.size(), sizeof(Rec), reinterpret_cast<intptr_t>(&calls), 0, by_key);
    for (int i = 0; i < 3000; i++)
        ASSERT_EQ(v[i].key, i);

    // 6-byte records exchange byte by byte.
    struct Six {
        uint8_t b[6];
    };
    std::vector<Six> six(50);
    for (int i = 0; i < 50; i++)
        six[i] = Six{{static_cast<uint8_t>((i * 37) % 50), 1, 2, 3, 4, static_cast<uint8_t>(i)}};
    auto by_first = [](const void* a, const void* b, intptr_t, intptr_t) {
        return static_cast<int>(*static_cast<const uint8_t*>(a)) -
               static_cast<int>(*static_cast<const uint8_t*>(b));
    };
    for (Sorter sort : {sort_merge, sort_quick}) {
        std::vector<Six> s = six;
        sort(s.data(), s.size(), 6, 0, 0, by_first);
        for (int i = 0; i < 50; i++) {
            ASSERT_EQ(s[i].b[0], i);
            ASSERT_EQ(s[i].b[4], 4) << "records stay whole";
        }
    }
}

// Comparators that are no order at all: "never equal", always one answer,
// or noise. Both sorters end and leave a permutation of the records.
TEST(RecordSort, ComparatorsThatAreNotAnOrderStillEnd) {
    auto never_equal = [](const void* a, const void* b, intptr_t, intptr_t) {
        return static_cast<const Rec*>(a)->key < static_cast<const Rec*>(b)->key ? -1 : 1;
    };
    auto always_after = [](const void*, const void*, intptr_t, intptr_t) { return 1; };
    auto always_before = [](const void*, const void*, intptr_t, intptr_t) { return -1; };
    auto noise = [](const void*, const void*, intptr_t state, intptr_t) {
        auto& gen = *reinterpret_cast<std::mt19937*>(state);
        return static_cast<int>(gen() % 3) - 1;
    };
    std::mt19937 gen(7);
    for (Sorter sort : {sort_merge, sort_quick}) {
        for (SortCompare cmp : {+never_equal, +always_after, +always_before, +noise}) {
            for (size_t n : {8u, 100u, 2000u}) {
                std::vector<Rec> v(n);
                for (size_t i = 0; i < n; i++)
                    v[i] = Rec{static_cast<int32_t>(i % 3), static_cast<char>(i % 128)};
                std::vector<Rec> before = v;
                sort(v.data(), n, sizeof(Rec), reinterpret_cast<intptr_t>(&gen), 0, cmp);
                auto by_both = [](const Rec& a, const Rec& b) {
                    return a.key != b.key ? a.key < b.key : a.tag < b.tag;
                };
                std::sort(v.begin(), v.end(), by_both);
                std::sort(before.begin(), before.end(), by_both);
                EXPECT_EQ(keys(v), keys(before));
                if (cmp == +never_equal && sort == sort_quick) {
                    std::vector<Rec> w = before;
                    std::shuffle(w.begin(), w.end(), gen);
                    sort(w.data(), n, sizeof(Rec), 0, 0, cmp);
                    for (size_t i = 1; i < n; i++)
                        ASSERT_LE(w[i - 1].key, w[i].key) << "a strict \"before\" still sorts";
                }
            }
        }
    }
}

class BlockSort : public SeriesFixture {
  protected:
    static Cell sort(Cell b, const SortOptions& o = {}) { return *block_sort(&b, o); }
};

TEST_F(BlockSort, Orders) {
    Cell b = int_block({3, 1, 2});
    Cell r = sort(b);
    EXPECT_EQ(r.data2, b.data2);
    EXPECT_EQ(ints(b), (std::vector<int32_t>{1, 2, 3}));
    sort(b, {.reverse = true});
    EXPECT_EQ(ints(b), (std::vector<int32_t>{3, 2, 1})) << "sort/reverse";

    using Ints = std::vector<int32_t>;
    Cell recs = int_block({20, 2, 10, 1});
    Cell two = integer(2);
    sort(recs, {.skip = &two});
    EXPECT_EQ(ints(recs), (Ints{10, 1, 20, 2})) << "sort/skip";

    Cell by_second = int_block({1, 20, 2, 10});
    Cell field = integer(2);
    sort(by_second, {.skip = &two, .compare = &field});
    EXPECT_EQ(ints(by_second), (Ints{2, 10, 1, 20})) << "sort/skip/compare with a field offset";

    Cell all = int_block({5, 2, 5, 1});
    sort(all, {.skip = &two, .all = true});
    EXPECT_EQ(ints(all), (Ints{5, 1, 5, 2})) << "sort/skip/all compares every field";
    Cell first_only = int_block({5, 2, 5, 1});
    sort(first_only, {.skip = &two, .stable = true});
    EXPECT_EQ(ints(first_only), (Ints{5, 2, 5, 1})) << "a stable sort on the first field";

    Cell mixed = block({integer(2), none(), integer(1)});
    sort(mixed, {.stable = true});
    EXPECT_EQ(mold(mixed), "[none 1 2]") << "types that cannot be compared go by type id";
}

TEST_F(BlockSort, PartAndPosition) {
    Cell b = int_block({5, 4, 3, 2, 1});
    Cell three = integer(3);
    Cell mid = at_index(b, 1);
    sort(mid, {.part = &three});
    EXPECT_EQ(ints(b), (std::vector<int32_t>{5, 2, 3, 4, 1}));
    Cell back = integer(-2);
    Cell at3 = at_index(b, 3);
    sort(at3, {.part = &back});
    EXPECT_EQ(ints(b), (std::vector<int32_t>{5, 2, 3, 4, 1})) << "the two before the position";
    Cell at2 = at_index(b, 2);
    Cell back2 = integer(-2);
    sort(at2, {.part = &back2});
    EXPECT_EQ(ints(b), (std::vector<int32_t>{2, 5, 3, 4, 1}));
}

TEST_F(BlockSort, RefinementErrors) {
    Cell b = int_block({3, 1});
    expect_error(kCatScript, err::script::kBadRefines, [&] { sort(b, {.all = true}); });
    Cell three = integer(3);
    expect_error(kCatScript, err::script::kInvalidRefineArg, [&] { sort(b, {.skip = &three}); });
    Cell zero = integer(0);
    expect_error(kCatScript, err::script::kInvalidRefineArg, [&] { sort(b, {.skip = &zero}); });
    Cell one = integer(1);
    expect_error(kCatScript, err::script::kBadRefines, [&] { sort(b, {.compare = &one}); });
    Cell two = integer(2);
    Cell four = int_block({1, 2, 3, 4});
    expect_error(kCatScript, err::script::kOutOfRange,
                 [&] { sort(four, {.skip = &two, .compare = &three}); });
    Cell n = none();
    expect_error(kCatScript, err::script::kInvalidRefineArg, [&] { sort(b, {.compare = &n}); });
    EXPECT_EQ(ints(b), (std::vector<int32_t>{3, 1})) << "errors come before any change";
}

} // namespace

namespace {

class BlockSortByFunction : public SeriesFixture {
  protected:
    void SetUp() override {
        SeriesFixture::SetUp();
        g_boot_recording = false;
    }
    // Defines the native greater? in the global context.
    static void define_greater() {
        int index = 1;
        while (std::string(native_name(index)) != "greater?")
            index++;
        Cell spec = loaded(("[value1 value2] " + std::to_string(index)).c_str());
        Cell* kept = stack_push(&spec);
        Cell native = *native_make(nullptr, kept, T_NATIVE);
        Cell name = *word_load("greater?");
        context_set(&name, &native);
    }
    static Cell loaded(const char* source) {
        Cell proto = datatype(T_BLOCK);
        Cell text_value = text(source);
        return *block_to(&proto, &text_value, T_BLOCK);
    }
    // A function! made from spec and body texts.
    static Cell function(const char* spec, const char* body) {
        Cell s = loaded(spec);
        Cell* kept = stack_push(&s);
        Cell b = loaded(body);
        Cell fn = *function_make_compiled(kept, &b, 0, 0, 0, 0);
        return fn;
    }
};

TEST_F(BlockSortByFunction, TheAnswerOrdersThePair) {
    define_greater();
    Cell greater = function("a b", "greater? a b");
    for (bool stable : {false, true}) {
        Cell b = int_block({1, 3, 2});
        block_sort(&b, SortOptions{.compare = &greater, .stable = stable});
        EXPECT_EQ(ints(b), (std::vector<int32_t>{3, 2, 1})) << "a > b sorts descending";
        block_sort(&b, SortOptions{.compare = &greater, .reverse = true, .stable = stable});
        EXPECT_EQ(ints(b), (std::vector<int32_t>{1, 2, 3})) << "/reverse passes the pair in order";
    }
    Cell by_second = function("a b", "greater? a/2 b/2");
    Cell recs = int_block({1, 20, 2, 10, 3, 30});
    Cell two = integer(2);
    Cell* top = g_stack_top;
    block_sort(&recs,
               SortOptions{.skip = &two, .compare = &by_second, .all = true, .stable = true});
    EXPECT_EQ(ints(recs), (std::vector<int32_t>{3, 30, 1, 20, 2, 10}))
        << "/all passes whole records as blocks";
    EXPECT_EQ(g_stack_top, top) << "the record blocks are popped";
}

TEST_F(BlockSortByFunction, AnErrorInTheFunctionUnwindsTheSort) {
    Cell failing = function("a b", "undefined-word");
    Cell b = int_block({5, 1, 4, 2, 3, 9, 8, 7, 6, 0});
    for (bool stable : {false, true}) {
        expect_error(kCatScript, err::script::kNoValue,
                     [&] { block_sort(&b, SortOptions{.compare = &failing, .stable = stable}); });
        std::vector<int32_t> sorted = ints(b);
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}))
            << "the cells are a permutation of what they were";
    }
}

} // namespace
