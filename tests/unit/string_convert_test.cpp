// Text crossing the borders: UTF-8, UTF-16LE and Windows-1251 into string
// buffers, and string units out to UTF-8 and UTF-16LE.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "string_test_support.h"

using namespace xel;
using namespace xel::testing_text;

namespace {

class StringConvert : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    static Cell load(const std::vector<uint8_t>& bytes, uint32_t* left = nullptr, bool cr = false) {
        Offset node =
            string_load_utf8(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr, left, cr);
        return Cell{T_STRING, 0, node, 0};
    }
    static Cell load16(const std::vector<char16_t>& units, bool cr = false) {
        Offset node =
            string_load_utf16(units.data(), static_cast<uint32_t>(units.size()), nullptr, cr);
        return Cell{T_STRING, 0, node, 0};
    }
    static Cell of(const CodePoints& cps) {
        Cell s;
        string_make_at(&s, 0);
        for (uint32_t cp : cps)
            string_append_char(string_buffer(&s), cp);
        return s;
    }
};

struct LoadCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool cr;
    CodePoints cps;
    uint32_t unit;
    uint32_t left;
};

class Utf8Load : public StringConvert, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(Utf8Load, CodePointsUnitAndBytesLeft) {
    const LoadCase& c = GetParam();
    uint32_t left = 99;
    Cell s = load(c.bytes, &left, c.cr);
    EXPECT_EQ(code_points(&s), c.cps);
    EXPECT_EQ(unit_of(&s), c.unit);
    EXPECT_EQ(left, c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Load,
    ::testing::Values(
        LoadCase{"empty", {}, false, {}, 1, 0},
        LoadCase{"ascii", {'a', 'b'}, false, {'a', 'b'}, 1, 0},
        LoadCase{"bom_alone", {0xEF, 0xBB, 0xBF}, false, {}, 1, 0},
        LoadCase{"bom_skipped", {0xEF, 0xBB, 0xBF, 'x'}, false, {'x'}, 1, 0},
        LoadCase{"bom_only_at_start", {'x', 0xEF, 0xBB, 0xBF}, false, {'x', 0xFEFF}, 2, 0},
        LoadCase{"7f_one_byte", {0x7F}, false, {0x7F}, 1, 0},
        LoadCase{"80_stays_one_byte", {0xC2, 0x80}, false, {0x80}, 1, 0},
        LoadCase{"latin1_stays_one_byte", {0xC3, 0xA9}, false, {0xE9}, 1, 0},
        LoadCase{"ff_stays_one_byte", {0xC3, 0xBF}, false, {0xFF}, 1, 0},
        LoadCase{"256_widens_to_2", {0xC4, 0x80}, false, {0x100}, 2, 0},
        LoadCase{"euro_widens_to_2", {0xE2, 0x82, 0xAC}, false, {0x20AC}, 2, 0},
        LoadCase{"ffff_in_2", {0xEF, 0xBF, 0xBF}, false, {0xFFFF}, 2, 0},
        LoadCase{"10000_widens_to_4", {0xF0, 0x90, 0x80, 0x80}, false, {0x10000}, 4, 0},
        LoadCase{
            "2_then_4", {0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}, false, {0x20AC, 0x1F600}, 4, 0},
        LoadCase{"overlong_accepted", {0xC0, 0x80, 'a'}, false, {0, 'a'}, 1, 0},
        LoadCase{"high_surrogate_stored", {0xED, 0xA0, 0x80}, false, {0xD800}, 2, 0},
        LoadCase{"split_2_of_3", {0x41, 0xE2, 0x82}, false, {0x41}, 1, 2},
        LoadCase{"split_1_of_2", {0x41, 0xC3}, false, {0x41}, 1, 1},
        LoadCase{"split_3_of_4", {0xF0, 0x9F, 0x98}, false, {}, 1, 3},
        LoadCase{"cr_lf", {0x61, 0x0D, 0x0A, 0x62}, true, {0x61, 0x0A, 0x62}, 1, 0},
        LoadCase{"lone_cr", {0x61, 0x0D, 0x62}, true, {0x61, 0x0A, 0x62}, 1, 0},
        LoadCase{"cr_at_end", {0x61, 0x0D}, true, {0x61, 0x0A}, 1, 0},
        LoadCase{"cr_kept_without_flag", {0x61, 0x0D, 0x0A}, false, {0x61, 0x0D, 0x0A}, 1, 0},
        LoadCase{
            "ascii_run_after_2", {0xE2, 0x82, 0xAC, 'a', 'b'}, false, {0x20AC, 'a', 'b'}, 2, 0},
        LoadCase{"ascii_run_after_4",
                 {0xF0, 0x9F, 0x98, 0x80, 'a', 'b'},
                 false,
                 {0x1F600, 'a', 'b'},
                 4,
                 0},
        LoadCase{"crs_between_runs",
                 {'a', 'b', 0x0D, 0x0D, 0x0A, 'c', 'd'},
                 true,
                 {'a', 'b', 0x0A, 0x0A, 'c', 'd'},
                 1,
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> arg;
};

class Utf8LoadInvalid : public StringConvert, public ::testing::WithParamInterface<BadCase> {};

TEST_P(Utf8LoadInvalid, RaisesInvalidUtf8WithTheBytesAtTheSequence) {
    const BadCase& c = GetParam();
    Raised r = raised_by([&] { load(c.bytes); });
    ASSERT_TRUE(r.raised);
    EXPECT_EQ(r.category, kCatAccess);
    EXPECT_EQ(r.id, err::access::kInvalidUtf8);
    ASSERT_EQ(r.arg_count, 1);
    EXPECT_EQ(type_of(&r.args[0]), T_BINARY);
    EXPECT_EQ(bytes_of(&r.args[0]), c.arg);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8LoadInvalid,
    ::testing::Values(
        BadCase{"fffe", {'a', 0xEF, 0xBF, 0xBE}, {0xEF, 0xBF, 0xBE}},
        BadCase{"low_surrogate", {0xED, 0xB0, 0x80, 'x', 'y'}, {0xED, 0xB0, 0x80, 'x'}},
        BadCase{"lone_continuation", {'a', 'b', 0x80}, {0x80}},
        BadCase{"bad_continuation", {0xC3, 0x41, 'z', 'z', 'z'}, {0xC3, 0x41, 'z', 'z'}},
        BadCase{"above_10ffff", {0xF4, 0x90, 0x80, 0x80}, {0xF4, 0x90, 0x80, 0x80}},
        BadCase{"f8_lead", {0xF8, 'a'}, {0xF8, 'a'}},
        BadCase{"after_widening", {0xE2, 0x82, 0xAC, 0xFF}, {0xFF}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StringConvert, LongAsciiThenAnEmojiEndsInFourByteUnits) {
    std::vector<uint8_t> bytes(1000, 'q');
    for (uint8_t b : {0xF0, 0x9F, 0x98, 0x80})
        bytes.push_back(b);
    Cell s = load(bytes);
    EXPECT_EQ(unit_of(&s), 4u);
    CodePoints want(1000, 'q');
    want.push_back(0x1F600);
    EXPECT_EQ(code_points(&s), want);
}

TEST_F(StringConvert, ManyWideCharactersGrowTheBuffer) {
    std::vector<uint8_t> bytes;
    CodePoints want;
    for (int i = 0; i < 500; i++) {
        for (uint8_t b : {0xE2, 0x82, 0xAC})
            bytes.push_back(b);
        want.push_back(0x20AC);
        if (i == 250) {
            for (uint8_t b : {0xF0, 0x9F, 0x98, 0x80})
                bytes.push_back(b);
            want.push_back(0x1F600);
        }
    }
    Cell s = load(bytes);
    EXPECT_EQ(code_points(&s), want);
}

TEST_F(StringConvert, WideThenALongAsciiRunGrowsTheBuffer) {
    std::vector<uint8_t> bytes;
    CodePoints want;
    for (int i = 0; i < 100; i++) {
        for (uint8_t b : {0xF0, 0x9F, 0x98, 0x80})
            bytes.push_back(b);
        want.push_back(0x1F600);
    }
    bytes.insert(bytes.end(), 5000, 'z');
    want.insert(want.end(), 5000, 'z');
    Cell s = load(bytes);
    EXPECT_EQ(unit_of(&s), 4u);
    EXPECT_EQ(code_points(&s), want);
}

TEST_F(StringConvert, StreamPiecesJoinAcrossASplitSequence) {
    // A caller reading a stream keeps the undecoded bytes for the next piece.
    const std::vector<uint8_t> whole = {'a', 0xE2, 0x82, 0xAC, 'b', 0xF0, 0x9F, 0x98, 0x80};
    for (size_t cut = 0; cut <= whole.size(); cut++) {
        std::vector<uint8_t> first(whole.begin(), whole.begin() + static_cast<long>(cut));
        uint32_t left = 0;
        Cell a = load(first, &left);
        std::vector<uint8_t> second(first.end() - left, first.end());
        second.insert(second.end(), whole.begin() + static_cast<long>(cut), whole.end());
        Cell b = load(second, &left);
        EXPECT_EQ(left, 0u);
        CodePoints got = code_points(&a);
        CodePoints rest = code_points(&b);
        got.insert(got.end(), rest.begin(), rest.end());
        EXPECT_EQ(got, (CodePoints{'a', 0x20AC, 'b', 0x1F600})) << cut;
    }
}

TEST_F(StringConvert, LoadingIntoAGivenBufferReplacesItsTextAndKeepsItsUnit) {
    Cell s = of({0x20AC, 'x', 'y', 'z', 'w'});
    const uint8_t text[] = {'a', 'b'};
    string_load_utf8_into(text, 2, &s, nullptr);
    EXPECT_EQ(code_points(&s), ascii("ab"));
    EXPECT_EQ(unit_of(&s), 2u);
    string_load_utf8_into(text, 0, &s, nullptr);
    EXPECT_EQ(string_xs_length(&s), 0);
}

TEST_F(StringConvert, FromUtf8IsStrictAboutAnUnfinishedEnd) {
    const uint8_t good[] = {'o', 'k', 0xC3, 0xA9};
    Cell* s = string_from_utf8(good, 4);
    EXPECT_EQ(type_of(s), T_STRING);
    EXPECT_EQ(code_points(s), (CodePoints{'o', 'k', 0xE9}));
    const uint8_t cut[] = {'o', 'k', 0xE2, 0x82};
    Raised r = raised_by([&] { string_from_utf8(cut, 4); });
    ASSERT_TRUE(r.raised);
    EXPECT_EQ(r.id, err::access::kInvalidUtf8);
    EXPECT_EQ(bytes_of(&r.args[0]), (std::vector<uint8_t>{0xE2, 0x82}));
}

TEST_F(StringConvert, LoadAtLoadAndLoadIn) {
    const uint8_t text[] = {'h', 0xC3, 0xA9};
    Cell* top = g_stack_top;
    Cell* s = string_load(text, 3, kEncodingUtf8);
    EXPECT_EQ(s, top);
    EXPECT_EQ(code_points(s), (CodePoints{'h', 0xE9}));
    const char16_t wide[] = {u'h', 0x20AC};
    Cell d;
    string_load_at(reinterpret_cast<const uint8_t*>(wide), 2, &d, kEncodingUtf16);
    EXPECT_EQ(code_points(&d), (CodePoints{'h', 0x20AC}));
    Cell block{T_BLOCK, 0, alloc_cells(1), 0};
    Cell* in = string_load_in(text, 3, &block, kEncodingUtf8);
    EXPECT_EQ(buffer_of(block.data2)->used(), sizeof(Cell));
    EXPECT_EQ(code_points(in), (CodePoints{'h', 0xE9}));
}

TEST_F(StringConvert, LoadAtRefusesOtherEncodings) {
    const uint8_t text[] = {'x'};
    EXPECT_EXIT(
        {
            dup2(2, 1); // the message goes to standard output
            runtime_init();
            string_load_at(text, 1, nullptr, 5);
        },
        ::testing::ExitedWithCode(0), "^\\*\\*\\* Loading Error: input encoding unsupported\n$");
}

struct Utf16Case {
    const char* name;
    std::vector<char16_t> units;
    bool cr;
    CodePoints cps;
    uint32_t unit;
};

class Utf16Load : public StringConvert, public ::testing::WithParamInterface<Utf16Case> {};

TEST_P(Utf16Load, PicksTheUnitByPreScan) {
    const Utf16Case& c = GetParam();
    Cell s = load16(c.units, c.cr);
    EXPECT_EQ(code_points(&s), c.cps);
    EXPECT_EQ(unit_of(&s), c.unit);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16Load,
    ::testing::Values(
        Utf16Case{"empty", {}, false, {}, 2},
        Utf16Case{"latin1", {u'a', 0xE9}, false, {'a', 0xE9}, 1},
        Utf16Case{"bmp", {u'a', 0x20AC}, false, {'a', 0x20AC}, 2},
        Utf16Case{"pair", {0xD83D, 0xDE00}, false, {0x1F600}, 4},
        Utf16Case{
            "pair_among_others", {u'a', 0xD800, 0xDC00, 0x20AC}, false, {'a', 0x10000, 0x20AC}, 4},
        Utf16Case{"lone_low_kept", {u'a', 0xDC00}, false, {'a', 0xDC00}, 4},
        Utf16Case{"cr_dropped_1", {u'a', 13, 10}, true, {'a', 10}, 1},
        Utf16Case{"cr_dropped_2", {0x20AC, 13, 10}, true, {0x20AC, 10}, 2},
        Utf16Case{"cr_dropped_4", {0xD83D, 0xDE00, 13, 10}, true, {0x1F600, 10}, 4},
        Utf16Case{"cr_kept", {u'a', 13}, false, {'a', 13}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StringConvert, Utf16LoadFromTheConversionBuffer) {
    Cell s = of(ascii("zzzzzzzz"));
    auto* buf = reinterpret_cast<char16_t*>(string_conversion_buffer(&s, 8));
    buf[0] = 0x20AC;
    buf[1] = u'x';
    string_load_utf16(nullptr, 2, &s, false);
    EXPECT_EQ(unit_of(&s), 2u);
    EXPECT_EQ(code_points(&s), (CodePoints{0x20AC, 'x'}));
}

TEST_F(StringConvert, BrokenSurrogatePairEndsTheProcess) {
    for (auto units : {std::vector<char16_t>{0xD83D, u'A'}, std::vector<char16_t>{u'a', 0xD83D}}) {
        EXPECT_EXIT(
            {
                dup2(2, 1);
                runtime_init();
                load16(units);
            },
            ::testing::ExitedWithCode(0), "^\\*\\*\\* Input Error: invalid UTF-16LE codepoint\n$");
    }
}

TEST_F(StringConvert, Cp1251) {
    const uint8_t text[] = {'A', 0xC0, 0xFF, 0x0D, 0x0A, 0x88};
    Cell s;
    s.data1 = 0;
    s = Cell{T_STRING, 0, string_load_cp1251(text, 6, nullptr, true), 0};
    EXPECT_EQ(code_points(&s), (CodePoints{'A', 0x410, 0x44F, 10, 0x20AC}));
}

struct RoundTrip {
    const char* name;
    CodePoints cps;
    std::string utf8;
};

class StringRoundTrip : public StringConvert, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(StringRoundTrip, Utf8AndUtf16BothWays) {
    const RoundTrip& c = GetParam();
    Cell s = of(c.cps);
    int length = -1;
    const uint8_t* utf8 = string_to_utf8(&s, &length);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(utf8), static_cast<size_t>(length)),
              c.utf8);
    EXPECT_EQ(utf8[length], 0);
    EXPECT_EQ(string_utf8_text(&s), c.utf8);

    Cell back = load(std::vector<uint8_t>(c.utf8.begin(), c.utf8.end()));
    EXPECT_EQ(code_points(&back), c.cps);

    int units = -1;
    const char16_t* utf16 = string_to_utf16_part(&s, &units, false);
    ASSERT_NE(utf16, nullptr);
    EXPECT_EQ(utf16[units], 0);
    std::vector<char16_t> copy(utf16, utf16 + units);
    Cell back16 = load16(copy);
    EXPECT_EQ(code_points(&back16), c.cps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringRoundTrip,
    ::testing::Values(RoundTrip{"empty", {}, ""}, RoundTrip{"ascii", ascii("abc"), "abc"},
                      RoundTrip{"latin1", {'a', 0xE9, 0xFF}, "a\xC3\xA9\xC3\xBF"},
                      RoundTrip{"bmp",
                                {0x20AC, 'x'},
                                "\xE2\x82\xAC"
                                "x"},
                      RoundTrip{
                          "astral", {'a', 0x1F600, 0x10FFFF}, "a\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
                      RoundTrip{"nul_inside", {'a', 0, 'b'}, std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StringConvert, OutputFromThePositionWithALimit) {
    Cell s = of({'a', 'b', 0x20AC, 'c'});
    s.data1 = 1;
    int length = 2;
    const uint8_t* utf8 = string_to_utf8(&s, &length);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(utf8), static_cast<size_t>(length)),
              "b\xE2\x82\xAC");
    uint8_t out[16];
    EXPECT_EQ(string_encode_utf8_into(&s, out, -1, true), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out)), "b\xE2\x82\xAC"
                                                               "c");
}

TEST_F(StringConvert, LineFeedsAsCrLf) {
    Cell s = of({'a', 10, 'b'});
    int length = -1;
    const uint8_t* utf8 = string_to_utf8_data(&s, &length, true);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(utf8)), "a\r\nb");
    EXPECT_EQ(length, 4);
    const char16_t* utf16 = string_to_utf16(&s);
    EXPECT_EQ(std::u16string(utf16), u"a\r\nb");
    Cell wide = of({10, 0x10000});
    int units = -1;
    const char16_t* w = string_to_utf16_part(&wide, &units, true);
    EXPECT_EQ(units, 4);
    EXPECT_EQ(std::u16string(w), (std::u16string{13, 10, 0xD800, 0xDC00}));
    units = -1;
    w = string_to_utf16_part(&wide, &units, false);
    EXPECT_EQ(units, 3);
}

TEST_F(StringConvert, Utf16OfACodePointAboveTheRangeIsNull) {
    Cell s;
    string_make_at_unit(&s, 2, 4);
    string_append_char(string_buffer(&s), 'a');
    string_append_char(string_buffer(&s), 0x110000);
    int units = -1;
    EXPECT_EQ(string_to_utf16_part(&s, &units, false), nullptr);
    Raised r = raised_by([&] {
        int n = -1;
        string_to_utf8(&s, &n);
    });
    EXPECT_EQ(r.id, err::script::kInvalidChar);
}

TEST_F(StringConvert, ConversionBufferIsReusedAndGrows) {
    Cell s = of(ascii("abc"));
    int n = -1;
    const uint8_t* first = string_to_utf8(&s, &n);
    Offset node = s.data3;
    ASSERT_NE(node, 0u);
    n = -1;
    EXPECT_EQ(string_to_utf8(&s, &n), first);
    EXPECT_EQ(s.data3, node);
    for (int i = 0; i < 100; i++)
        string_append_char(string_buffer(&s), 0x20AC);
    n = -1;
    const uint8_t* grown = string_to_utf8(&s, &n);
    EXPECT_EQ(s.data3, node);
    EXPECT_EQ(n, 303);
    EXPECT_EQ(grown[n], 0);
}

TEST_F(StringConvert, BoundedOutputCutsACharacterThatDoesNotFit) {
    Cell s = of({'a', 0x20AC, 'b'});
    uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(string_encode_utf8_bounded(&s, out, 3, -1, true), 3u);
    EXPECT_EQ(out[0], 'a');
    EXPECT_EQ(out[1], 0xE2);
    EXPECT_EQ(out[2], 0x82);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(string_encode_utf8_bounded(&s, out, 8, 1, false), 1u);
    EXPECT_EQ(string_encode_utf8_bounded(&s, out, 8, 0, false), 5u);
}

} // namespace
