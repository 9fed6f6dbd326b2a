#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/datatypes/constants.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/hashing/ptrmap.h"
#include "runtime/memory/series-memory.h"
#include "runtime/runtime-init.h"
#include "runtime/symbols/symbols.h"
#include "string_test_support.h"

using namespace xel;
using xel::testing_text::string_from;

namespace {

class HashTable_ : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

// A block! of integers.
Cell int_block(const std::vector<int>& values) {
    Offset node = alloc_cells(static_cast<uint32_t>(values.size()) + 1);
    for (int v : values)
        set_integer(series_alloc_tail_cell(buffer_of(node)), v);
    return Cell{T_BLOCK, 0, node, 0};
}

Cell* cell_at(Offset table, uint32_t i) {
    return at<Cell>(buffer_of(hash_record(table)->block)->head) + i;
}

int32_t index_of(Offset table, const Cell* c) {
    return c ? static_cast<int32_t>(c - cell_at(table, 0)) : -1;
}

Cell integer(int v) {
    Cell c;
    set_integer(&c, v);
    return c;
}

Cell* append_int(Offset table, int v) {
    Cell* c = series_alloc_tail_cell(buffer_of(hash_record(table)->block));
    set_integer(c, v);
    return c;
}

std::string lowered(const char* s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c |= 0x20;
    return out;
}

TEST(Murmur3, KnownVectors) {
    struct Case {
        const char* text;
        uint32_t length;
        uint32_t seed;
        uint32_t hash;
    };
    const Case cases[] = {
        {"", 0, 0, 0},
        {"", 0, 1, 0x514E28B7},
        {"", 0, 0xFFFFFFFF, 0x81F16F39},
        {"\0\0\0\0", 4, 0, 0x2362F9DE},
        {"a", 1, 0x9747B28C, 0x7FA09EA6},
        {"aa", 2, 0x9747B28C, 0x5D211726},
        {"aaa", 3, 0x9747B28C, 0x283E0130},
        {"aaaa", 4, 0x9747B28C, 0x5A97808A},
        {"abcd", 4, 0x9747B28C, 0xF0478627},
        {"Hello, world!", 13, 0x9747B28C, 0x24884CBA},
        {"The quick brown fox jumps over the lazy dog", 43, 0x9747B28C, 0x2FA826CD},
    };
    for (const Case& c : cases)
        EXPECT_EQ(murmur3(c.text, c.length, c.seed), c.hash) << c.text;
}

TEST(Murmur3, MixIsTheFinaliser) {
    EXPECT_EQ(hash_mix(0), 0u);
    EXPECT_EQ(hash_mix(1), 0x514E28B7u); // the finaliser of an empty input under seed 1
}

TEST_F(HashTable_, SymbolHashLowersOnlyAsciiLetters) {
    for (const char* name : {"a", "Ab", "ABC", "Hello-World!", "x1Y2z3W4v", "[Z]"}) {
        std::string low = lowered(name);
        uint32_t expect = hash_murmur3(low.data(), static_cast<uint32_t>(low.size()));
        EXPECT_EQ(hash_symbol(reinterpret_cast<const uint8_t*>(name),
                              static_cast<uint32_t>(std::strlen(name))),
                  expect)
            << name;
    }
    // Bytes above 127 are not folded: a UTF-8 capital and its small letter differ.
    EXPECT_NE(hash_symbol(reinterpret_cast<const uint8_t*>("\xC3\x89"), 2),
              hash_symbol(reinterpret_cast<const uint8_t*>("\xC3\xA9"), 2));
}

TEST_F(HashTable_, StringHashIgnoresUnitWidthAndCase) {
    Cell narrow = string_from("abc");
    Cell wide = string_from("abc");
    string_widen_1_to_4(string_buffer(&wide));
    ASSERT_EQ(string_buffer(&wide)->unit(), 4u);
    EXPECT_EQ(hash_string(&narrow, false), hash_string(&wide, false));
    EXPECT_EQ(hash_string(&narrow, true), hash_string(&wide, true));

    Cell upper = string_from("ABC");
    EXPECT_EQ(hash_string(&upper, false), hash_string(&narrow, false));
    EXPECT_NE(hash_string(&upper, true), hash_string(&narrow, true));

    // From the position to the tail.
    Cell tail_part = string_from("xabc");
    tail_part.data1 = 1;
    EXPECT_EQ(hash_string(&tail_part, true), hash_string(&narrow, true));
}

TEST_F(HashTable_, ValueHashesByType) {
    Cell none;
    set_none(&none);
    Cell unset;
    set_unset(&unset);
    EXPECT_EQ(hash_value(&none, false), 0xFFFFFFFFu);
    EXPECT_EQ(hash_value(&unset, false), 0xFFFFFFFEu);
    Cell i = integer(42);
    EXPECT_EQ(hash_value(&i, false), hash_mix(42));
    // Case variants of a word hash alike.
    Cell w1{T_WORD, 0, symbol_make("Alpha"), 0};
    Cell w2{T_SET_WORD, 0, symbol_make("alpha"), 0};
    EXPECT_EQ(hash_value(&w1, false), hash_value(&w2, false));
}

TEST_F(HashTable_, SizingFromTheEntryCount) {
    struct Case {
        uint32_t n;
        uint32_t kind;
        uint32_t buckets;
        uint32_t upper;
    };
    const Case cases[] = {
        {0, kHashMap, 4, 3},
        {3, kHashMap, 4, 3},
        {4, kHashMap, 8, 6},
        {100, kHashMap, 256, 197},
        {4000, kHashWords, 16384, 12615},
        {10, kHashPointer, 16, 12},
    };
    for (const Case& c : cases) {
        Offset t = hash_make(c.n, nullptr, c.kind, 1);
        EXPECT_EQ(hash_record(t)->buckets, c.buckets) << c.n;
        EXPECT_EQ(hash_record(t)->upper, c.upper) << c.n;
        EXPECT_EQ(hash_record(t)->size, 0u);
    }
}

TEST_F(HashTable_, HashBlockKeepsEqualValuesAndFindsTheNearest) {
    Cell block = int_block({7, 1, 7, 2, 7, 3});
    Offset t = hash_make(6, &block, kHashBlock, 1);
    EXPECT_EQ(hash_record(t)->size, 6u);
    Cell seven = integer(7);
    struct Case {
        int32_t start;
        int32_t skip;
        bool last;
        bool reverse;
        int32_t expect;
    };
    const Case cases[] = {
        {0, 1, false, false, 0},  {1, 1, false, false, 2}, {3, 1, false, false, 4},
        {5, 1, false, false, -1}, {0, 1, true, false, 4},  {5, 1, false, true, 4},
        {4, 1, false, true, 2},   {0, 1, false, true, -1}, {1, 2, false, false, -1},
        {0, 2, false, false, 0},  {0, 2, true, false, 4},  {3, 2, false, true, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(index_of(t, hash_find(t, &seven, c.start, c.skip, 0, c.last, c.reverse)),
                  c.expect)
            << "start " << c.start << " skip " << c.skip;
    Cell nine = integer(9);
    EXPECT_EQ(hash_find(t, &nine, 0, 1, 0, false, false), nullptr);
}

TEST_F(HashTable_, HashBlockDeleteOneOfAChainKeepsTheOthers) {
    Cell block = int_block({5, 5, 5, 6});
    Offset t = hash_make(4, &block, kHashBlock, 1);
    Cell five = integer(5);
    hash_delete(t, cell_at(t, 1));
    EXPECT_EQ(hash_record(t)->size, 3u);
    EXPECT_EQ(index_of(t, hash_find(t, &five, 1, 1, 0, false, false)), 2);
    hash_delete(t, cell_at(t, 0));
    hash_delete(t, cell_at(t, 2));
    EXPECT_EQ(hash_find(t, &five, 0, 1, 0, false, false), nullptr);
    // The emptied bucket takes a new equal value again.
    hash_put(t, cell_at(t, 2));
    EXPECT_EQ(index_of(t, hash_find(t, &five, 0, 1, 0, false, false)), 2);
    Cell six = integer(6);
    EXPECT_EQ(index_of(t, hash_find(t, &six, 0, 1, 0, false, false)), 3);
}

TEST_F(HashTable_, HashBlockRePutOfAChangedCellDropsTheOldValue) {
    Cell block = int_block({1, 2, 3});
    Offset t = hash_make(3, &block, kHashBlock, 1);
    set_integer(cell_at(t, 1), 20);
    hash_put(t, cell_at(t, 1));
    Cell two = integer(2);
    Cell twenty = integer(20);
    EXPECT_EQ(hash_find(t, &two, 0, 1, 0, false, false), nullptr);
    EXPECT_EQ(index_of(t, hash_find(t, &twenty, 0, 1, 0, false, false)), 1);
    EXPECT_EQ(hash_record(t)->size, 3u);
}

TEST_F(HashTable_, HashBlockGrowsAndFindsEveryValue) {
    Cell block = int_block({});
    Offset t = hash_make(4, &block, kHashBlock, 1);
    for (int i = 0; i < 5000; i++) {
        Cell* c = append_int(t, i * 7919);
        hash_put(t, c);
    }
    EXPECT_EQ(hash_record(t)->size, 5000u);
    EXPECT_LE(hash_record(t)->occupied, hash_record(t)->upper);
    for (int i = 0; i < 5000; i++) {
        Cell v = integer(i * 7919);
        ASSERT_EQ(index_of(t, hash_find(t, &v, 0, 1, 0, false, false)), i);
    }
}

TEST_F(HashTable_, DeletionsThenReinsertionsKeepTheTableBounded) {
    Cell block = int_block({1, 2, 3});
    Offset t = hash_make(8, &block, kHashBlock, 1);
    uint32_t buckets = hash_record(t)->buckets;
    for (int round = 0; round < 2000; round++) {
        set_integer(cell_at(t, 2), 100 + round);
        hash_put(t, cell_at(t, 2));
        ASSERT_LE(hash_record(t)->occupied, hash_record(t)->upper);
    }
    EXPECT_EQ(hash_record(t)->buckets, buckets);
    EXPECT_EQ(hash_record(t)->size, 3u);
    Cell last = integer(100 + 1999);
    EXPECT_EQ(index_of(t, hash_find(t, &last, 0, 1, 0, false, false)), 2);
}

TEST_F(HashTable_, ShiftIndexesFollowsInsertionAndRemoval) {
    Cell block = int_block({10, 11, 10, 12});
    Offset t = hash_make(4, &block, kHashBlock, 1);
    // Insert one cell at index 1: the cells from there move up by one.
    SeriesBuf* buf = buffer_of(block.data2);
    series_alloc_tail_cell(buf);
    buf = buffer_of(block.data2);
    Cell* cells = at<Cell>(buf->head);
    std::memmove(cells + 2, cells + 1, 3 * sizeof(Cell));
    set_integer(cells + 1, 99);
    EXPECT_EQ(hash_shift_indexes(t, 1, 1, 3, true), 0);
    hash_put(t, cell_at(t, 1));
    Cell ten = integer(10), eleven = integer(11), twelve = integer(12), ninety_nine = integer(99);
    EXPECT_EQ(index_of(t, hash_find(t, &ten, 1, 1, 0, false, false)), 3);
    EXPECT_EQ(index_of(t, hash_find(t, &eleven, 0, 1, 0, false, false)), 2);
    EXPECT_EQ(index_of(t, hash_find(t, &twelve, 0, 1, 0, false, false)), 4);
    EXPECT_EQ(index_of(t, hash_find(t, &ninety_nine, 0, 1, 0, false, false)), 1);

    // Remove cells 1 and 2 (99 and 11): the rest moves down by two.
    cells = at<Cell>(buffer_of(block.data2)->head);
    std::memmove(cells + 1, cells + 3, 2 * sizeof(Cell));
    EXPECT_EQ(hash_shift_indexes(t, -2, 3, 2, true), 0);
    buffer_of(block.data2)->tail -= 2 * sizeof(Cell);
    EXPECT_EQ(hash_record(t)->size, 3u);
    EXPECT_EQ(hash_find(t, &eleven, 0, 1, 0, false, false), nullptr);
    EXPECT_EQ(hash_find(t, &ninety_nine, 0, 1, 0, false, false), nullptr);
    EXPECT_EQ(index_of(t, hash_find(t, &ten, 1, 1, 0, false, false)), 1);
    EXPECT_EQ(index_of(t, hash_find(t, &twelve, 0, 1, 0, false, false)), 2);

    EXPECT_EQ(hash_shift_indexes(t, 1, 0, 30001, true), 1);
}

TEST_F(HashTable_, MoveRangeRenumbersTheMovedCells) {
    Cell block = int_block({0, 1, 2, 3, 4, 5});
    Offset t = hash_make(6, &block, kHashBlock, 1);
    // Each move puts the first moved cell at index to.
    struct Case {
        uint32_t to, from, count;
    };
    const Case cases[] = {{0, 3, 2}, {3, 0, 2}, {1, 4, 1}, {2, 0, 3}};
    std::vector<int> values{0, 1, 2, 3, 4, 5};
    for (const Case& c : cases) {
        std::vector<int> moved(values.begin() + c.from, values.begin() + c.from + c.count);
        values.erase(values.begin() + c.from, values.begin() + c.from + c.count);
        values.insert(values.begin() + c.to, moved.begin(), moved.end());
        for (uint32_t i = 0; i < values.size(); i++)
            set_integer(cell_at(t, i), values[i]);
        hash_move_range(t, c.to, c.from, c.count);
        for (uint32_t i = 0; i < values.size(); i++) {
            Cell v = integer(values[i]);
            EXPECT_EQ(index_of(t, hash_find(t, &v, 0, 1, 0, false, false)), static_cast<int32_t>(i))
                << "value " << values[i];
        }
    }
}

TEST_F(HashTable_, RemoveRangeClearAndCopy) {
    Cell block = int_block({1, 2, 3, 4});
    Offset t = hash_make(4, &block, kHashBlock, 1);
    hash_remove_range(t, 1, 2);
    Cell two = integer(2), four = integer(4);
    EXPECT_EQ(hash_find(t, &two, 0, 1, 0, false, false), nullptr);
    EXPECT_EQ(index_of(t, hash_find(t, &four, 0, 1, 0, false, false)), 3);
    EXPECT_EQ(hash_record(t)->size, 2u);

    Offset copy_block = copy_series(buffer_of(block.data2));
    Offset c = hash_copy(t, copy_block);
    hash_remove_range(t, 0, 4);
    EXPECT_EQ(hash_record(t)->size, 0u);
    EXPECT_EQ(hash_find(t, &four, 0, 1, 0, false, false), nullptr);
    EXPECT_EQ(index_of(c, hash_find(c, &four, 0, 1, 0, false, false)), 3);
    EXPECT_EQ(hash_record(c)->block, copy_block);
}

TEST_F(HashTable_, MapKeepsOnePairOfARepeatedKeyWithTheLastValue) {
    Cell block = int_block({1, 10, 2, 20, 1, 30, 3, 40});
    Offset t = hash_make(4, &block, kHashMap, 1);
    EXPECT_EQ(hash_record(t)->size, 3u);
    EXPECT_EQ(buffer_of(block.data2)->used(), 6 * sizeof(Cell));
    Cell one = integer(1);
    Cell* key = hash_find(t, &one, 0, 1, 0, false, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(index_of(t, key), 0);
    EXPECT_EQ(static_cast<int32_t>((key + 1)->data2), 30);
    Cell three = integer(3);
    EXPECT_EQ(index_of(t, hash_find(t, &three, 0, 1, 0, false, false)), 4);
}

TEST_F(HashTable_, MapDeleteMarksTheValueRemoved) {
    Cell block = int_block({1, 10, 2, 20});
    Offset t = hash_make(2, &block, kHashMap, 1);
    Cell two = integer(2);
    Cell* key = hash_find(t, &two, 0, 1, 0, false, false);
    hash_delete(t, key);
    EXPECT_EQ(hash_record(t)->size, 1u);
    key = hash_find(t, &two, 0, 1, 0, false, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ((key + 1)->header, 0u);
}

TEST_F(HashTable_, MapGrowsInPlaceAndKeepsEveryKey) {
    Cell block = int_block({});
    Offset t = hash_make(1, &block, kHashMap, 1);
    for (int i = 0; i < 3000; i++) {
        append_int(t, i * 31);
        append_int(t, i);
        hash_put(t, cell_at(t, 2 * i));
    }
    EXPECT_EQ(hash_record(t)->size, 3000u);
    for (int i = 0; i < 3000; i++) {
        Cell k = integer(i * 31);
        Cell* found = hash_find(t, &k, 0, 1, 0, false, false);
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(static_cast<int32_t>((found + 1)->data2), i);
    }
}

TEST_F(HashTable_, MapWordKeysMatchAsSetWords) {
    Offset node = alloc_cells(4);
    SeriesBuf* buf = buffer_of(node);
    *series_alloc_tail_cell(buf) = Cell{T_SET_WORD, 0, symbol_make("key"), 0};
    set_integer(series_alloc_tail_cell(buffer_of(node)), 5);
    Cell block{T_BLOCK, 0, node, 0};
    Offset t = hash_make(1, &block, kHashMap, 1);
    for (uint8_t type : {T_WORD, T_LIT_WORD, T_GET_WORD, T_SET_WORD}) {
        Cell probe{type, 0, symbol_make("KEY"), 0};
        EXPECT_EQ(index_of(t, hash_find(t, &probe, 0, 1, 0, false, false)), 0) << int(type);
        EXPECT_EQ(hash_find(t, &probe, 0, 1, 2, false, false), nullptr) << int(type);
    }
}

TEST_F(HashTable_, PointerTablePutGetRemove) {
    Offset t = hash_make(4, nullptr, kHashOwnership, 3);
    std::vector<Offset> keys;
    for (int i = 0; i < 1000; i++)
        keys.push_back(alloc_bytes(4));
    for (uint32_t i = 0; i < keys.size(); i++) {
        Cell* v = hash_put_key(t, keys[i]);
        EXPECT_EQ(type_of(v), T_UNSET);
        set_integer(v, static_cast<int>(i));
        set_integer(v + 2, static_cast<int>(i) * 2);
    }
    EXPECT_EQ(hash_record(t)->size, 1000u);
    for (uint32_t i = 0; i < keys.size(); i += 3)
        EXPECT_EQ(static_cast<uint32_t>(hash_remove_key(t, keys[i])->data2), i);
    for (uint32_t i = 0; i < keys.size(); i++) {
        Cell* v = hash_get_key(t, keys[i]);
        if (i % 3 == 0) {
            EXPECT_EQ(v, nullptr);
        } else {
            ASSERT_NE(v, nullptr);
            EXPECT_EQ(v->data2, i);
            EXPECT_EQ((v + 2)->data2, 2 * i);
        }
    }
    // Putting an existing key resets its cells.
    Cell* again = hash_put_key(t, keys[1]);
    EXPECT_EQ(type_of(again), T_UNSET);
    EXPECT_EQ(type_of(again + 2), T_UNSET);
    EXPECT_EQ(hash_remove_key(t, keys[0]), nullptr);
}

TEST_F(HashTable_, PointerTableTombstonesRebuildAtTheSameSize) {
    Offset t = hash_make(8, nullptr, kHashPointer, 1);
    Offset keep = alloc_bytes(4);
    set_integer(hash_put_key(t, keep), 77);
    uint32_t buckets = hash_record(t)->buckets;
    for (int i = 0; i < 500; i++) {
        Offset k = alloc_bytes(4);
        hash_put_key(t, k);
        hash_remove_key(t, k);
        ASSERT_LE(hash_record(t)->occupied, hash_record(t)->upper);
    }
    EXPECT_EQ(hash_record(t)->buckets, buckets);
    EXPECT_EQ(hash_get_key(t, keep)->data2, 77u);
    // Entries of deleted keys are reused or compacted away, never piled up.
    EXPECT_LE(buffer_of(hash_record(t)->block)->used(), 2 * sizeof(Cell) * hash_record(t)->upper);
}

TEST_F(HashTable_, PointerTableRebuildsWhenNodesWereCompacted) {
    Offset t = hash_make(4, nullptr, kHashPointer, 1);
    Offset k = alloc_bytes(4);
    set_integer(hash_put_key(t, k), 5);
    g_node_generation++;
    EXPECT_EQ(hash_get_key(t, k)->data2, 5u);
    EXPECT_EQ(hash_record(t)->stamp, g_node_generation + 1);
    g_node_generation = 0;
}

TEST_F(HashTable_, SweepDropsEntriesOfUnmarkedSeries) {
    Offset t = hash_make(4, nullptr, kHashOwnership, 3);
    Offset live = alloc_bytes(4);
    Offset dead = alloc_bytes(4);
    Offset owner_ctx = alloc_cells(2);
    for (Offset k : {live, dead}) {
        Cell* v = hash_put_key(t, k);
        *(v + 1) = Cell{T_OBJECT, owner_ctx, 0, 0};
    }
    buffer_of(live)->flags |= kFlagMark;
    buffer_of(owner_ctx)->flags |= kFlagMark;
    hash_sweep_pointer_table(t);
    EXPECT_NE(hash_get_key(t, live), nullptr);
    EXPECT_EQ(hash_get_key(t, dead), nullptr);
    // An owner whose context is unmarked takes its entry with it.
    buffer_of(owner_ctx)->flags &= ~kFlagMark;
    hash_sweep_pointer_table(t);
    EXPECT_EQ(hash_get_key(t, live), nullptr);
}

TEST_F(HashTable_, FindNextWalksEqualValuesOnTheProbePath) {
    Cell block = int_block({4, 8, 4});
    Offset t = hash_make(3, &block, kHashMap, 1);
    Cell four = integer(4);
    HashCursor cursor;
    Cell* first = hash_find_next(t, &four, &cursor);
    EXPECT_EQ(index_of(t, first), 0);
    EXPECT_EQ(hash_find_next(t, &four, &cursor), nullptr);
}

TEST(PtrMap, PutGetAndGrowth) {
    PtrMap* map = ptrmap_make(4);
    for (Offset k = 1; k <= 5000; k++)
        ptrmap_put(map, k * 64, k * 64 + 8);
    ptrmap_put(map, 64, 1);
    EXPECT_EQ(map->count, 5000u);
    EXPECT_LE(map->occupied, map->upper);
    EXPECT_EQ(ptrmap_get(map, 64), 1u);
    for (Offset k = 2; k <= 5000; k++)
        ASSERT_EQ(ptrmap_get(map, k * 64), k * 64 + 8);
    EXPECT_EQ(ptrmap_get(map, 12345), 0u);
    ptrmap_free(map);
}

} // namespace
