// map!: storing and looking up entries through the run-time operations that
// natives and other datatypes call.
#include "runtime/datatypes/map/map.h"

#include "number_test_support.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/hashing/hashtable.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Map : public test::RuntimeFixture {};

constexpr int kInvalidArg = 309;
constexpr int kInvalidPath = 331;

Cell word_cell(const char* name, uint8_t type) {
    Cell w{};
    word_set_cell(&w, type, 0, symbol_make(name), -1);
    return w;
}

TEST_F(Map, KeysMatchUnderTheLookupOption) {
    Cell m{};
    map_make_new(&m, 4);
    Cell key = string_cell("Abc");
    Cell one = int_cell(1);
    map_store(&m, &key, &one, kMapFold);
    const struct {
        Cell probe;
        int option;
        bool found;
    } cases[] = {
        {string_cell("abc"), kMapFold, true},        {string_cell("abc"), kMapCase, false},
        {string_cell("Abc"), kMapCase, true},        {int_cell(1), kMapFold, false},
        {word_cell("abc", T_WORD), kMapFold, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(map_lookup(&m, &c.probe, c.option) != nullptr, c.found)
            << mold_of(c.probe) << " " << c.option;
}

TEST_F(Map, StoredKeysArePrepared) {
    Cell m{};
    map_make_new(&m, 4);
    Cell text = string_cell("key");
    Cell word = word_cell("w", T_LIT_WORD);
    Cell value = int_cell(7);
    map_store(&m, &text, &value, kMapFold);
    map_store(&m, &word, &value, kMapFold);
    const Cell* pairs = at<Cell>(buffer_of(m.data2)->head);
    EXPECT_NE(pairs[0].data2, text.data2) << "a series key is a copy";
    EXPECT_EQ(mold_of(pairs[0]), "\"key\"");
    EXPECT_EQ(type_of(&pairs[2]), T_SET_WORD);
    Cell get = word_cell("w", T_GET_WORD);
    ASSERT_NE(map_lookup(&m, &get, kMapFold), nullptr);
    EXPECT_EQ(map_count(&m), 2u);

    Cell block = block_cell({});
    frame(m);
    EXPECT_EQ(error_of([&] { map_store(&m, &block, &value, kMapFold); }), kInvalidPath);
    EXPECT_EQ(map_count(&m), 2u);
}

TEST_F(Map, RemovedEntriesRevive) {
    Cell m{};
    map_make_new(&m, 2);
    Cell a = word_cell("a", T_WORD);
    Cell b = word_cell("b", T_WORD);
    Cell v = int_cell(1);
    map_store(&m, &a, &v, kMapFold);
    map_store(&m, &b, &v, kMapFold);
    hash_delete(m.data3, at<Cell>(buffer_of(m.data2)->head));
    EXPECT_EQ(map_count(&m), 1u);
    EXPECT_EQ(map_lookup(&m, &a, kMapFold), nullptr);
    Cell two = int_cell(2);
    map_store(&m, &a, &two, kMapFold);
    EXPECT_EQ(map_count(&m), 2u);
    EXPECT_EQ(buffer_of(m.data2)->used(), 4 * sizeof(Cell)) << "revived in place";
}

TEST_F(Map, ExtendTakesPairsOfBlocksAndMaps) {
    Cell m{};
    map_make_new(&m, 2);
    Cell spec = block_cell({word_cell("a", T_WORD), int_cell(1), string_cell("s"), int_cell(2)});
    frame(m);
    map_extend(&m, &spec, false);
    EXPECT_EQ(map_count(&m), 2u);
    EXPECT_EQ(type_of(stack_arguments()), T_MAP);

    Cell other{};
    map_make_new(&other, 2);
    Cell upper = string_cell("S");
    Cell nine = int_cell(9);
    map_store(&other, &upper, &nine, kMapFold);
    map_extend(&m, &other, true);
    EXPECT_EQ(map_count(&m), 3u) << "a case-sensitive extend keeps \"s\" and \"S\" apart";
    map_extend(&m, &other, false);
    EXPECT_EQ(map_count(&m), 3u);

    Cell odd = block_cell({int_cell(1)});
    frame(m);
    EXPECT_EQ(error_of([&] { map_extend(&m, &odd, false); }), kInvalidArg);
}

TEST_F(Map, ManyKeysGrowTheTable) {
    Cell m{};
    map_make_new(&m, 2);
    for (int i = 0; i < 500; i++) {
        Cell k = int_cell(i * 7);
        Cell v = int_cell(i);
        map_store(&m, &k, &v, kMapFold);
    }
    EXPECT_EQ(map_count(&m), 500u);
    for (int i = 0; i < 500; i += 37) {
        Cell k = int_cell(i * 7);
        Cell* found = map_lookup(&m, &k, kMapFold);
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(static_cast<int32_t>(found->data2), i);
    }
}

} // namespace
