// The string comparison core beyond what the language reaches: the match
// flag of the parse dialect, slices, symbol operands and the parse helpers;
// search in binary! series.
#include <cstring>
#include <string>

#include "runtime/datatypes/string/string-ops.h"
#include "runtime/symbols/symbols.h"
#include "series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class StringCompare : public SeriesFixture {
  protected:
    static Cell bytes(std::initializer_list<uint8_t> bs, uint8_t type = T_BINARY) {
        Cell b{type, 0, alloc_bytes(static_cast<uint32_t>(bs.size())), 0};
        SeriesBuf* buf = buffer_of(b.data2);
        for (uint8_t x : bs)
            *at(buf->tail++) = x;
        return b;
    }
    static Cell slice(Cell s, uint32_t length) {
        s.header = kStringSlice;
        s.data3 = length;
        return s;
    }
};

TEST_F(StringCompare, OrderAndEqualityByOperation) {
    struct Case {
        const char* a;
        const char* b;
        int op;
        int expected;
    };
    const Case cases[] = {
        {"abc", "ABC", 0, 0},  {"abc", "ABC", 2, 1},   {"abc", "abd", 3, -1}, {"ab", "abc", 3, -1},
        {"abc", "ab", 3, 1},   {"ab", "abc", 0, 1},    {"", "", 0, 0},        {"a", "", 3, 1},
        {"_", "a", 7, 1},      {"_", "a", 8, -1},      {"B", "a", 8, -1},     {"B", "a", 7, 1},
        {"abc", "abc", 12, 0}, {"abc", "ABD", 12, -1},
    };
    for (const Case& c : cases) {
        Cell a = text(c.a), b = text(c.b);
        EXPECT_EQ(string_compare_strings(&a, &b, c.op, false), c.expected)
            << c.a << " / " << c.b << " op " << c.op;
    }
}

TEST_F(StringCompare, SameAndTypesOfTheFamily) {
    Cell s = text("abc");
    Cell other = text("abc");
    EXPECT_EQ(string_compare(&s, &s, 9), 0);
    EXPECT_EQ(string_compare(&s, &other, 9), -1);
    Cell file = other;
    file.header = T_FILE;
    EXPECT_EQ(string_compare(&s, &file, 0), 0);
    EXPECT_EQ(string_compare(&s, &file, 3), -2);
    Cell n = integer(1);
    EXPECT_EQ(string_compare(&s, &n, 0), -2);
}

TEST_F(StringCompare, WidthsCompareByCodePoint) {
    Cell narrow = text("abx");
    string_poke_char_at(string_buffer(&narrow), 2, 0xE9); // é, Latin-1 stays 1-byte
    EXPECT_EQ(string_buffer(&narrow)->unit(), 1u);
    Cell wide = text("ab");
    string_append_char(string_buffer(&wide), 0xC9); // É, makes the buffer 2-byte
    EXPECT_EQ(string_buffer(&wide)->unit(), 2u);
    EXPECT_EQ(string_compare_strings(&narrow, &wide, 0, false), 0);
    EXPECT_EQ(string_compare_strings(&narrow, &wide, 2, false), 1);
}

TEST_F(StringCompare, MatchFlagTestsThePrefix) {
    Cell s = text("abcdef");
    Cell ab = text("AB"), empty = text(""), longer = text("abcdefg"), cd = text("cd");
    EXPECT_EQ(string_compare_strings(&s, &ab, 0, true), 0);
    EXPECT_EQ(string_compare_strings(&s, &ab, 2, true), 1);
    EXPECT_EQ(string_compare_strings(&s, &empty, 0, true), 0);
    EXPECT_EQ(string_compare_strings(&s, &empty, 12, true), 1);
    EXPECT_EQ(string_compare_strings(&s, &longer, 0, true), 1);
    EXPECT_EQ(string_compare_strings(&s, &cd, 0, true), 1);
    EXPECT_EQ(string_compare_strings(&s, &cd, 3, false), -1);
}

TEST_F(StringCompare, SliceCountsOnlyItsLength) {
    Cell s = text("abc");
    Cell key = text("abcdef");
    EXPECT_EQ(string_compare_strings(&s, &key, 0, false), 1);
    Cell three = slice(key, 3);
    EXPECT_EQ(string_compare_strings(&s, &three, 0, false), 0);
    Cell long_slice = slice(key, 100);
    EXPECT_EQ(string_compare_strings(&s, &long_slice, 3, false), -1) << "capped at the tail";
}

TEST_F(StringCompare, SymbolReadsAsItsSpelling) {
    Cell sym = *symbol_get(symbol_make("Hello"));
    Cell s = text("hello");
    EXPECT_EQ(string_compare_strings(&s, &sym, 0, false), 0);
    EXPECT_EQ(string_compare_strings(&sym, &s, 2, false), -1);
}

TEST_F(StringCompare, MatchAtCharStringAndTag) {
    Cell s = text("<b>x");
    Cell tag = text("B");
    tag.header = T_TAG;
    EXPECT_TRUE(string_match_tag(&s, &tag));
    EXPECT_TRUE(string_match_at(&s, &tag, 0));
    EXPECT_FALSE(string_match_at(&s, &tag, 2));
    Cell lt{T_CHAR, 0, '<', 0};
    EXPECT_TRUE(string_match_at(&s, &lt, 0));
    Cell x = text("x");
    s.data1 = 3;
    EXPECT_TRUE(string_match_at(&s, &x, 0));
    s.data1 = 4;
    EXPECT_FALSE(string_match_at(&s, &lt, 0)) << "nothing at the tail";
    Cell short_tag = text("b>x");
    short_tag.header = T_TAG;
    s.data1 = 0;
    EXPECT_FALSE(string_match_tag(&s, &short_tag)) << "the tag would run past the tail";
}

TEST_F(StringCompare, CharInBitsetAndItsNegation) {
    // Bits 97 and 99 ('a' and 'c') in 13 bytes (bits 0 to 103).
    Cell bits{T_BITSET, 0, alloc_bytes(13), 0};
    SeriesBuf* buf = buffer_of(bits.data2);
    std::memset(at(buf->head), 0, 13);
    buf->tail = buf->head + 13;
    *at(buf->head + 12) = 0x40 | 0x10;
    Cell s = text("abcz");
    const bool expected[] = {true, false, true, false};
    for (uint32_t i = 0; i < 4; i++) {
        s.data1 = i;
        EXPECT_EQ(string_char_in_bitset(&s, &bits), expected[i]) << i;
    }
    buffer_of(bits.data2)->flags |= 0x80000;
    s.data1 = 3;
    EXPECT_TRUE(string_char_in_bitset(&s, &bits)) << "beyond the bits, negation decides";
}

TEST_F(StringCompare, SearchInBinary) {
    Cell b = bytes({1, 2, 3, 2, 9});
    Cell two = integer(2);
    Cell* r = string_find(&b, &two, FindOptions{.last = true});
    EXPECT_EQ(type_of(r), T_BINARY);
    EXPECT_EQ(r->data1, 3u);
    Cell seq = bytes({3, 2});
    r = string_select(&b, &seq, FindOptions{});
    EXPECT_EQ(type_of(r), T_INTEGER);
    EXPECT_EQ(r->data2, 9u);
    Cell s = text("abc");
    expect_error(kCatScript, err::script::kInvalidArg,
                 [&] { string_find(&s, &seq, FindOptions{}); });
}

} // namespace
