// binary! helpers that the language reaches only in part: byte stores, the
// growth of inserts, the byte rules with a limit, the mold's indentation and
// budget, and the action rows of binary! and the string-family children.
#include <vector>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/binary/binary.h"
#include "runtime/datatypes/ref/ref.h"
#include "runtime/datatypes/tag/tag.h"
#include "series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class Binary : public SeriesFixture {
  protected:
    static Cell bytes(std::initializer_list<uint8_t> list) {
        Cell b;
        binary_make_at(&b, static_cast<uint32_t>(list.size()));
        std::vector<uint8_t> v(list);
        binary_xs_append(&b, v.data(), static_cast<uint32_t>(v.size()));
        return b;
    }
    static std::vector<uint8_t> content(const Cell& b) {
        const uint8_t* p = binary_xs_head(&b);
        return {p, p + binary_xs_length(&b)};
    }
};

TEST_F(Binary, SetByteTakesOneByteNumbersAndCharacters) {
    struct Case {
        Cell value;
        int byte; // -1: script out-of-range, -2: script invalid-arg
    };
    const Case cases[] = {
        {integer(0), 0},
        {integer(255), 255},
        {integer(-1), 255},
        {integer(-128), 128},
        {integer(256), -1},
        {integer(-129), -1},
        {Cell{T_CHAR, 0, 0xE9, 0}, 0xE9},
        {Cell{T_CHAR, 0, 0x100, 0}, -1},
        {logic(true), -2},
        {text("a"), -2},
    };
    for (const Case& c : cases) {
        uint8_t byte = 7;
        if (c.byte >= 0) {
            binary_set_byte(&c.value, &byte);
            EXPECT_EQ(byte, c.byte);
            continue;
        }
        int id = c.byte == -1 ? err::script::kOutOfRange : err::script::kInvalidArg;
        expect_error(kCatScript, id, [&] { binary_set_byte(&c.value, &byte); });
        EXPECT_EQ(byte, 7);
    }
}

TEST_F(Binary, InsertMovesTheTailUpAndGrowsAFullBuffer) {
    Cell b = bytes({1, 2});
    uint32_t size = buffer_of(b.data2)->size;
    std::vector<uint8_t> fill(size - 2, 9);
    binary_xs_insert(&b, 1, fill.data(), static_cast<uint32_t>(fill.size()));
    EXPECT_EQ(buffer_of(b.data2)->size, size);
    const uint8_t more[] = {7, 8, 9};
    binary_xs_insert(&b, 1, more, 3);
    // A full buffer grows to n + 2 x its size (rounded by the allocator).
    EXPECT_GE(buffer_of(b.data2)->size, 3 + 2 * size);
    std::vector<uint8_t> got = content(b);
    ASSERT_EQ(got.size(), size + 3);
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ((std::vector<uint8_t>{got[1], got[2], got[3]}), (std::vector<uint8_t>{7, 8, 9}));
    EXPECT_EQ(got.back(), 2);
    // An index past the tail is the tail.
    binary_xs_insert(&b, 100000, more, 1);
    EXPECT_EQ(content(b).back(), 7);
}

TEST_F(Binary, BytesOfValuesWithALimit) {
    struct Case {
        Cell value;
        int64_t limit;
        std::vector<uint8_t> expected;
    };
    Cell ete = text("");
    string_append_char(string_buffer(&ete), 0xE9);
    string_append_char(string_buffer(&ete), 't');
    string_append_char(string_buffer(&ete), 0xE9);
    const Case cases[] = {
        {ete, -1, {0xC3, 0xA9, 't', 0xC3, 0xA9}},
        // characters, not bytes, for a string
        {ete, 2, {0xC3, 0xA9, 't'}},
        {at_index(ete, 2), -1, {0xC3, 0xA9}},
        {bytes({1, 2, 3}), 2, {1, 2}},
        {at_index(bytes({1, 2, 3}), 1), 5, {2, 3}},
        {int_block({1, 2, 3}), 2, {1, 2}},
        {block({integer(1), int_block({2, 3})}), -1, {1, 2, 3}},
        {integer(-1), 0, {0xFF}},
        {Cell{T_CHAR, 0, 0x20AC, 0}, -1, {0xE2, 0x82, 0xAC}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out;
        binary_bytes_of(&c.value, out, c.limit);
        EXPECT_EQ(out, c.expected);
    }
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(Binary, ANestedErrorLeavesTheCycleStackAsItWas) {
    Cell blk = block({integer(1), int_block({2, 300})});
    std::vector<uint8_t> out;
    expect_error(kCatScript, err::script::kOutOfRange, [&] { binary_bytes_of(&blk, out); });
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(Binary, MoldIndentsItsLinesFromTheValuesLevel) {
    std::vector<uint8_t> v(33, 0xAB);
    Cell b;
    binary_make_at(&b, 33);
    binary_xs_append(&b, v.data(), 33);
    Cell out = text("");
    binary_mold(&b, &out, false, false, false, nullptr, INT32_MAX, 1);
    std::string line(64, 'B');
    for (size_t i = 0; i < line.size(); i += 2)
        line[i] = 'A';
    EXPECT_EQ(whole_text(out), "#{\n        " + line + "\n        AB\n    }");
}

TEST_F(Binary, MoldSpendsTwoCharactersPerByteOfItsBudget) {
    Cell b = bytes({1, 2, 3, 4});
    int left = 0;
    // "#{" takes 2 of 6, one byte 2 more, a second byte the last 2.
    EXPECT_EQ(mold(b, false, false, false, 6, &left), "#{0102");
    EXPECT_EQ(left, 6 - 7);
    EXPECT_EQ(mold(b, false, false, false, 100, &left), "#{01020304}");
    EXPECT_EQ(left, 100 - 11);
}

TEST_F(Binary, TagAndRefPushKeepTheBufferAndPosition) {
    Cell s = at_index(text("abc"), 1);
    Cell* t = tag_push(&s);
    EXPECT_EQ(type_of(t), T_TAG);
    EXPECT_EQ(t->data1, 1u);
    EXPECT_EQ(t->data2, s.data2);
    EXPECT_EQ(mold(*t), "<bc>");
    Cell* r = ref_push(&s);
    EXPECT_EQ(type_of(r), T_REF);
    EXPECT_EQ(mold(*r), "@bc");
    EXPECT_EQ(type_of(&s), T_STRING);
}

// Every slot of a row is the type's own function, the parent's entry, or empty.
TEST_F(Binary, RowsTakeTheirParentsSlotsAsRegistered) {
    struct Row {
        uint8_t type;
        uint8_t parent;
        std::vector<int> own;
        std::vector<int> taken;
    };
    const std::vector<int> series_slots = {
        A_AT,       A_BACK, A_CLEAR, A_COPY,   A_FIND, A_HEAD,   A_HEAD_Q,  A_INDEX_Q,
        A_LENGTH_Q, A_MOVE, A_NEXT,  A_PICK,   A_POKE, A_REMOVE, A_REVERSE, A_SELECT,
        A_SKIP,     A_SWAP, A_TAIL,  A_TAIL_Q, A_TAKE, A_MODIFY};
    auto with = [&](std::vector<int> extra) {
        extra.insert(extra.end(), series_slots.begin(), series_slots.end());
        return extra;
    };
    const Row rows[] = {
        {T_BINARY,
         T_STRING,
         {A_TO, A_FORM, A_MOLD, A_COMPARE, A_AND_T, A_COMPLEMENT, A_OR_T, A_XOR_T, A_APPEND,
          A_CHANGE, A_INSERT, A_TRIM},
         with({A_MAKE, A_RANDOM, A_REFLECT, A_EVAL_PATH, A_SORT})},
        {T_TAG,
         T_STRING,
         {A_FORM, A_MOLD},
         with({A_MAKE, A_REFLECT, A_TO, A_EVAL_PATH, A_COMPARE, A_APPEND, A_CHANGE, A_INSERT,
               A_PUT})},
        {T_EMAIL,
         T_STRING,
         {A_MOLD, A_EVAL_PATH},
         with({A_MAKE, A_REFLECT, A_TO, A_FORM, A_COMPARE, A_APPEND, A_CHANGE, A_INSERT, A_PUT})},
        {T_REF,
         T_STRING,
         {A_MOLD},
         with({A_MAKE, A_REFLECT, A_TO, A_FORM, A_COMPARE, A_CHANGE, A_INSERT})},
        {T_HANDLE, T_INTEGER, {A_FORM, A_MOLD, A_COMPARE}, {}},
    };
    for (const Row& row : rows) {
        for (int slot = 1; slot <= kActionCount; slot++) {
            if (slot == A_SET_PATH) continue;
            ActionEntry entry = action_entry(row.type, slot);
            auto has = [slot](const std::vector<int>& v) {
                return std::find(v.begin(), v.end(), slot) != v.end();
            };
            if (has(row.own)) {
                EXPECT_NE(entry, 0u) << int(row.type) << " slot " << slot;
                EXPECT_NE(entry, action_entry(row.parent, slot)) << int(row.type) << " " << slot;
            } else if (has(row.taken)) {
                EXPECT_EQ(entry, action_entry(row.parent, slot)) << int(row.type) << " " << slot;
            } else {
                EXPECT_EQ(entry, 0u) << int(row.type) << " slot " << slot;
            }
        }
    }
}

TEST_F(Binary, MakeOfAnythingButANumberIsTheConversion) {
    Cell proto = datatype(T_BINARY);
    Cell spec = text("ab");
    Cell* made = string_make(&proto, &spec, T_BINARY);
    EXPECT_EQ(type_of(made), T_BINARY);
    EXPECT_EQ(content(*made), (std::vector<uint8_t>{'a', 'b'}));
}

} // namespace
