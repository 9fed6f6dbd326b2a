// UTF-8 and UTF-16 primitives, one code point at a time, and the case tables.
#include <gtest/gtest.h>

#include <vector>

#include "case_names.h"
#include "runtime/runtime-init.h"
#include "runtime/text/casefold.h"
#include "runtime/text/unicode.h"
#include "string_test_support.h"

using namespace xel;
using namespace xel::testing_text;

namespace {

struct DecodeCase {
    std::vector<uint8_t> bytes; // followed by a NUL, as the decoder may read one past
    int32_t cp;
    int consumed;
};

class Utf8Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, AutomatonAcceptsOnlyWellFormedSequences) {
    const DecodeCase& c = GetParam();
    std::vector<uint8_t> in = c.bytes;
    in.push_back(0);
    int32_t cp = 0;
    const uint8_t* end = utf8_decode_char(in.data(), &cp);
    EXPECT_EQ(cp, c.cp);
    EXPECT_EQ(end - in.data(), c.consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decode,
    ::testing::Values(DecodeCase{{0x41}, 0x41, 1}, DecodeCase{{0xC3, 0xA9}, 0xE9, 2},
                      DecodeCase{{0xE2, 0x82, 0xAC}, 0x20AC, 3},
                      DecodeCase{{0xF0, 0x9F, 0x98, 0x80}, 0x1F600, 4},
                      DecodeCase{{0xF4, 0x8F, 0xBF, 0xBF}, 0x10FFFF, 4},
                      DecodeCase{{0xC0, 0x80}, -1, 1},             // overlong
                      DecodeCase{{0xED, 0xA0, 0x80}, -1, 2},       // surrogate
                      DecodeCase{{0xF4, 0x90, 0x80, 0x80}, -1, 2}, // above 0x10FFFF
                      DecodeCase{{0x80}, -1, 1},                   // lone continuation
                      DecodeCase{{0xE2, 0x28, 0xA1}, -1, 2},       // leaves A1
                      DecodeCase{{0xFF}, -1, 1}),
    xel_test::NamedBy<&DecodeCase::bytes>());

TEST(Utf8, CountAndSkipCountRejectedSequencesOnce) {
    const uint8_t text[] = {'a', 0xC3, 0xA9, 0x80, 0xE2, 0x82, 0xAC, 'z', 0};
    const uint8_t* end = text + 8;
    EXPECT_EQ(utf8_count_chars(text, end), 5u);
    EXPECT_EQ(utf8_skip_chars(text, end, 2), text + 3);
    EXPECT_EQ(utf8_skip_chars(text, end, 4), text + 7);
    EXPECT_EQ(utf8_skip_chars(text, end, 100), end);
}

TEST(Utf8, LeadLength) {
    EXPECT_EQ(utf8_lead_length(0x41), 0);
    EXPECT_EQ(utf8_lead_length(0x80), 0);
    EXPECT_EQ(utf8_lead_length(0xC3), 2);
    EXPECT_EQ(utf8_lead_length(0xE2), 3);
    EXPECT_EQ(utf8_lead_length(0xF0), 4);
}

struct ReplacingCase {
    std::vector<uint8_t> bytes;
    int32_t result;
    uint32_t length; // the sequence's length on success
};

class Utf8DecodeReplacing : public ::testing::TestWithParam<ReplacingCase> {};

TEST_P(Utf8DecodeReplacing, LenientDecoderOfTheLoaders) {
    const ReplacingCase& c = GetParam();
    auto avail = static_cast<uint32_t>(c.bytes.size());
    EXPECT_EQ(utf8_decode_char_replacing(c.bytes.data(), &avail), c.result);
    if (c.result != kUtf8TooShort && c.result != kUtf8Refused) {
        EXPECT_EQ(avail, c.length);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8DecodeReplacing,
    ::testing::Values(ReplacingCase{{0x7F}, 0x7F, 1}, ReplacingCase{{0xC0, 0x80}, 0, 2},
                      ReplacingCase{{0xC3, 0xA9}, 0xE9, 2}, ReplacingCase{{0xC3}, kUtf8TooShort, 0},
                      ReplacingCase{{0xC3, 0x41}, kUtf8Refused, 0},
                      ReplacingCase{{0xE2, 0x82}, kUtf8TooShort, 0},
                      ReplacingCase{{0xED, 0xA0, 0x80}, 0xD800, 3},
                      ReplacingCase{{0xED, 0xB0, 0x80}, kUtf8Refused, 0},
                      ReplacingCase{{0xED, 0xB4, 0x80}, 0xDD00, 3},
                      ReplacingCase{{0xEF, 0xBF, 0xBE}, kUtf8Refused, 0},
                      ReplacingCase{{0xF4, 0x8F, 0xBF, 0xBF}, 0x10FFFF, 4},
                      ReplacingCase{{0xF4, 0x90, 0x80, 0x80}, kUtf8Refused, 0},
                      ReplacingCase{{0xF0, 0x9F, 0x98}, kUtf8TooShort, 0},
                      ReplacingCase{{0x80}, kUtf8Refused, 0},
                      ReplacingCase{{0xF8, 0x80, 0x80, 0x80}, kUtf8Refused, 0}),
    xel_test::NamedBy<&ReplacingCase::bytes>());

class Utf8Encode : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

TEST_F(Utf8Encode, SizesAndBytes) {
    struct {
        int32_t cp;
        std::vector<uint8_t> bytes;
    } cases[] = {{0x24, {0x24}},
                 {0xE9, {0xC3, 0xA9}},
                 {0x7FF, {0xDF, 0xBF}},
                 {0x20AC, {0xE2, 0x82, 0xAC}},
                 {0xD800, {0xED, 0xA0, 0x80}},
                 {0x1F600, {0xF0, 0x9F, 0x98, 0x80}},
                 {0x10FFFF, {0xF4, 0x8F, 0xBF, 0xBF}},
                 {-2, {0xFE}}};
    for (const auto& c : cases) {
        uint8_t out[4] = {};
        int n = utf8_encode_char(c.cp, out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + n), c.bytes) << c.cp;
        if (c.cp >= 0) {
            EXPECT_EQ(utf8_char_size(c.cp), n) << c.cp;
        }
    }
}

TEST_F(Utf8Encode, AboveTheLastCodePointRaisesInvalidChar) {
    for (auto f : {+[] { utf8_char_size(0x110000); },
                   +[] {
                       uint8_t b[4];
                       utf8_encode_char(0x110000, b);
                   },
                   +[] {
                       uint8_t b[4];
                       utf8_encode_char_bounded(0x110000, b, 4);
                   }}) {
        Raised r = raised_by(f);
        ASSERT_TRUE(r.raised);
        EXPECT_EQ(r.category, kCatScript);
        EXPECT_EQ(r.id, err::script::kInvalidChar);
        ASSERT_EQ(r.arg_count, 1);
        EXPECT_EQ(type_of(&r.args[0]), T_INTEGER);
        EXPECT_EQ(static_cast<int32_t>(r.args[0].data2), 1114112);
    }
}

TEST_F(Utf8Encode, BoundedWritesTheLeadingBytesThatFit) {
    uint8_t out[4] = {0, 0, 0, 0};
    EXPECT_EQ(utf8_encode_char_bounded(0x20AC, out, 2), 2);
    EXPECT_EQ(out[0], 0xE2);
    EXPECT_EQ(out[1], 0x82);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(utf8_encode_char_bounded(0x20AC, out, 0), 0);
    EXPECT_EQ(utf8_encode_char_bounded(0x41, out, 8), 1);
}

TEST_F(Utf8Encode, SizeOfUnits) {
    const uint8_t one[] = {'a', 0xE9};
    EXPECT_EQ(utf8_size_of_units(one, one + 2, 1), 3u);
    const uint16_t two[] = {0x20AC, 'b'};
    auto* t = reinterpret_cast<const uint8_t*>(two);
    EXPECT_EQ(utf8_size_of_units(t, t + 4, 2), 4u);
    const uint32_t four[] = {0x1F600, 0x10};
    auto* f = reinterpret_cast<const uint8_t*>(four);
    EXPECT_EQ(utf8_size_of_units(f, f + 8, 4), 5u);
}

TEST(Utf16, EncodeChar) {
    char16_t out[2] = {};
    EXPECT_EQ(utf16_encode_char(0x41, out), 1);
    EXPECT_EQ(out[0], u'A');
    EXPECT_EQ(utf16_encode_char(0x10000, out), 2);
    EXPECT_EQ(out[0], 0xD800);
    EXPECT_EQ(out[1], 0xDC00);
    EXPECT_EQ(utf16_encode_char(0x1F600, out), 2);
    EXPECT_EQ(out[0], 0xD83D);
    EXPECT_EQ(out[1], 0xDE00);
    EXPECT_EQ(utf16_encode_char(0x110000, out), 0);
}

TEST(Utf16, FromAsciiAndPickUnit) {
    char16_t out[4];
    utf16_from_ascii("ab", out);
    EXPECT_EQ(out[0], u'a');
    EXPECT_EQ(out[1], u'b');
    EXPECT_EQ(out[2], 0);
    const char16_t latin[] = {u'a', 0xE9};
    const char16_t bmp[] = {u'a', 0x20AC};
    const char16_t pair[] = {0x20AC, 0xD83D, 0xDE00};
    const char16_t low_only[] = {u'a', 0xDC00};
    EXPECT_EQ(utf16_pick_unit(latin, 2), 1u);
    EXPECT_EQ(utf16_pick_unit(bmp, 2), 2u);
    EXPECT_EQ(utf16_pick_unit(pair, 3), 4u);
    EXPECT_EQ(utf16_pick_unit(low_only, 2), 4u);
    EXPECT_EQ(utf16_pick_unit(latin, 0), 1u);
}

TEST(Cp1251, Table) {
    EXPECT_EQ(cp1251_to_code_point(0x41), 0x41);
    EXPECT_EQ(cp1251_to_code_point(0x80), 0x0402);
    EXPECT_EQ(cp1251_to_code_point(0x88), 0x20AC);
    EXPECT_EQ(cp1251_to_code_point(0xC0), 0x0410);
    EXPECT_EQ(cp1251_to_code_point(0xFF), 0x044F);
}

class CaseFold : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

TEST_F(CaseFold, Mappings) {
    struct {
        int32_t cp, upper, lower;
    } cases[] = {
        {0x61, 0x41, 0x61},
        {0x41, 0x41, 0x61},
        {0xDF, 0x53, 0xDF},
        {0x1E9E, 0x1E9E, 0xDF},
        {0x130, 0x130, 0x69},
        {0x69, 0x49, 0x69},
        {0x131, 0x49, 0x131},
        {0x17F, 0x53, 0x17F},
        {0x149, 0x2BC, 0x149},
        {0x1F80, 0x1F08, 0x1F80},
        {0xFF, 0x178, 0xFF},
        {0x178, 0x178, 0xFF},
        {0x1C5, 0x1C4, 0x1C6},
        {0x10D0, 0x1C90, 0x10D0},
        {0x1C90, 0x1C90, 0x10D0},
        {0x10428, 0x10400, 0x10428},
        {0x10400, 0x10400, 0x10428},
        {0x1E922, 0x1E900, 0x1E922},
        {0x1E943, 0x1E921, 0x1E943},
        {0x1E900, 0x1E900, 0x1E922},
        {0x1F600, 0x1F600, 0x1F600},
        {0x10FFFF, 0x10FFFF, 0x10FFFF},
        // Letters that arrived after Unicode 11.0 stay unmapped.
        {0x282, 0x282, 0x282},
        {0xA7C5, 0xA7C5, 0xA7C5},
        {0x10597, 0x10597, 0x10597},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(casefold_convert_char(c.cp, kFoldUpper), c.upper) << std::hex << c.cp;
        EXPECT_EQ(casefold_convert_char(c.cp, kFoldLower), c.lower) << std::hex << c.cp;
    }
}

TEST_F(CaseFold, TablesSurviveARestart) {
    runtime_init();
    EXPECT_EQ(casefold_convert_char(0xE9, kFoldUpper), 0xC9);
}

} // namespace
