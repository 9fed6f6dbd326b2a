#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "boot/boot-load.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "tests/unit/evaluator_test_support.h"
#include "tests/unit/runtime_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

class Xelbin : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        boot_run_top_level();
    }

    // The value of code, evaluated at the top level.
    Cell eval(const std::string& code) {
        Cell result{};
        uint32_t caught = under_try([&] {
            Cell source = *string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                       static_cast<uint32_t>(code.size()), 0);
            Cell block;
            lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr,
                              nullptr);
            stack_reset();
            EXPECT_FALSE(interp_eval_block(&block, true).exit_pending()) << code;
            result = *stack_arguments();
        });
        EXPECT_EQ(caught, 0u) << code;
        return result;
    }

    std::string mold(Cell v) {
        Cell out;
        string_make_at(&out, 64);
        actions_mold_typed(&v, &out, false, false, false, nullptr, INT_MAX, 0);
        return string_utf8_text(&out);
    }

    std::vector<uint8_t> encode(const Cell& v, bool compact) {
        Cell bin;
        xelbin_encode(&v, compact, &bin);
        const uint8_t* p = binary_xs_head(&bin);
        return std::vector<uint8_t>(p, p + binary_xs_length(&bin));
    }

    // The records area of a compact binary without a symbol table.
    std::vector<uint8_t> records(const Cell& v) {
        std::vector<uint8_t> b = encode(v, true);
        EXPECT_EQ(b[7], 1) << "compact, no symbols";
        return std::vector<uint8_t>(b.begin() + 10, b.end());
    }

    // Decodes as the codec does: the values of the binary, in a block.
    Cell decode(const std::vector<uint8_t>& bytes) {
        Cell out;
        block_make_at(&out, 1);
        g_xelbin_codec = true;
        xelbin_decode(bytes.data(), bytes.size(), &out, kXelbinScript);
        g_xelbin_codec = false;
        return out;
    }

    Cell round_trip(const Cell& v, bool compact) {
        Cell out{};
        Cell e = error_of([&] { out = decode(encode(v, compact)); });
        EXPECT_EQ(type_of(&e), T_UNSET) << error_text(e) << " in " << mold(v);
        if (type_of(&e) != T_UNSET) return e;
        EXPECT_EQ(block_buffer_length(&out), 1u);
        return *block_cell_at(&out, 0);
    }
};

TEST_F(Xelbin, EveryKindRoundTripsInBothEncodings) {
    const char* cases[] = {
        "5",
        "64",
        "-1",
        "-2147483648",
        "1.5",
        "2.0",
        "-0.0",
        "1e300",
        "50%",
        "12.345%",
        "#\"a\"",
        "#\"^(10FFFF)\"",
        "\"abc\"",
        "\"h\u00e9\"",
        "\"\u20ac\"",
        "\"^(1F600)x\"",
        "%a/file.txt",
        "http://x.y/z",
        "<tag a>",
        "a@b.c",
        "@ref",
        "#{DEADBEEF}",
        "#{}",
        "[a b [c] (d) \"e\"]",
        "[]",
        "'a/b/c",
        "pick [a/b:] 1",
        "pick [:a/b] 1",
        "'word",
        "pick [set:] 1",
        "pick [:get] 1",
        "/ref",
        "#issue",
        "1x-2",
        "(1.5, -2.5)",
        "(1, 2, 3)",
        "1.2.3",
        "1.2.3.4.5.6.7.8.9.10.11.12",
        "10:20:30",
        "-10:20:30.5",
        "1-Jan-2000",
        "1-Jan-2000/10:00:01.5+2:00",
        "$1.50",
        "-$2",
        "USD$3.25",
        "true",
        "false",
        "none",
        "make bitset! [#\"a\" - #\"z\"]",
        "complement make bitset! \"ab\"",
        "make typeset! [integer! block!]",
        "integer!",
        "image!",
        "make vector! [1 2 3]",
        "make vector! [1.5 2.5]",
        "make vector! [char! 8 [#\"a\"]]",
        "make vector! [float! 32 [1.5]]",
        "make map! [a 1 \"b\" [2]]",
        "make hash! [a 1 b 2]",
        "make object! [a: 1 b: [x] c: \"s\"]",
        "func [x [integer!] /y] [x + 1]",
        ":add",
        ":if",
        "make op! :add",
        "make error! \"boom\"",
        "next next next [1 2 3 4]",
        "next \"abc\"",
        "tail [1 2]",
        "[\n  1\n  2]",
    };
    for (bool compact : {true, false}) {
        for (const char* code : cases) {
            Cell v = eval(code);
            std::string before = mold(v);
            Cell back = round_trip(v, compact);
            EXPECT_EQ(type_of(&back), type_of(&v)) << code << (compact ? " compact" : " words");
            EXPECT_EQ(mold(back), before) << code << (compact ? " compact" : " words");
        }
    }
}

TEST_F(Xelbin, CompactBytesOfSmallValues) {
    struct Case {
        const char* code;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"5", {0x85}},
        {"64", {0x0B, 0x80, 0x01}},
        {"-1", {0x0B, 0x01}},
        {"2.0", {0x4C, 0x04}},
        {"true", {0xC2}},
        {"false", {0xC3}},
        {"none", {0x03}},
        {"50%", {0x66, 0x64}},
        {"1x-1", {0x25, 0x02, 0x01}},
        {"[5]", {0x05, 0x01, 0x85}},
        {"[\n5]", {0x05, 0x01, 0xC0, 0x85}},
        {"\"ab\"", {0x07, 0x08, 'a', 'b'}},
        {"next [1 2 3]", {0x45, 0x01, 0x03, 0x81, 0x82, 0x83}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(records(eval(c.code)), c.bytes) << c.code;
    std::vector<uint8_t> b = encode(eval("1.5"), true);
    ASSERT_EQ(b.size(), 10u + 9u);
    EXPECT_EQ(b[10], 0x0C) << "1.5 is written as a double";
    b = encode(eval("-0.0"), true);
    EXPECT_EQ(b[10], 0x0C) << "-0.0 keeps its sign as a double";
    b = encode(eval("12.345%"), true);
    EXPECT_EQ(b[10], 0x26);
    b = encode(eval("5"), true);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "XELBIN");
    EXPECT_EQ(b[6], 1) << "version";
    EXPECT_EQ(b[8], 1) << "root count";
    EXPECT_EQ(b[9], 1) << "records size";
}

TEST_F(Xelbin, SharedAndCyclicSeriesSurvive) {
    for (bool compact : {true, false}) {
        Cell v = eval("b: [1] append/only b b c: \"x\" reduce [b c c]");
        if (compact) {
            Cell inner = eval("b");
            std::vector<uint8_t> r = records(inner);
            EXPECT_EQ(r, (std::vector<uint8_t>{0x05, 0x02, 0x81, 0xC1, 0x05, 0x01, 0x00}))
                << "a block inside itself is a reference to path [0]";
        }
        Cell back = round_trip(v, compact);
        Cell b = *block_cell_at(&back, 0);
        EXPECT_EQ(block_cell_at(&b, 1)->data2, b.data2) << "the inner block is the outer one";
        EXPECT_EQ(block_cell_at(&back, 1)->data2, block_cell_at(&back, 2)->data2)
            << "one string, twice";
    }
}

TEST_F(Xelbin, BoundWordsFindTheirObject) {
    for (bool compact : {true, false}) {
        Cell o =
            round_trip(eval("make object! [x: 10 f: does [x * 2] g: func [a] [a + x]]"), compact);
        Cell w = word("decoded");
        context_set(&w, &o);
        EXPECT_EQ(eval("decoded/f").data2, 20u);
        EXPECT_EQ(eval("decoded/x: 5 decoded/g 1").data2, 6u);
    }
}

TEST_F(Xelbin, ObjectWithOnlyUnsetValuesCarriesNoValues) {
    Cell o = eval("o: make object! [a: 1] unset in o 'a o");
    std::vector<uint8_t> b = encode(o, true);
    // ... 0x20 class 0x0E flags: kind object, self, no values.
    auto at = std::find(b.begin() + 8, b.end(), 0x0E);
    ASSERT_NE(at, b.end());
    EXPECT_EQ(at[1] & 0x10, 0) << "values flag clear";
    EXPECT_EQ(mold(round_trip(o, true)), mold(o));
}

TEST_F(Xelbin, RefusedTypesRaiseNoCodec) {
    Cell h{T_HANDLE, 0, 5, 0};
    for (bool compact : {true, false}) {
        Cell e = error_of([&] {
            Cell bin;
            xelbin_encode(&h, compact, &bin);
        });
        EXPECT_EQ(error_id(e), "no-codec");
    }
    Cell e = error_of([&] { decode({'X', 'E', 'L', 'B', 'I', 'N', 1, 1, 1, 1, 46}); });
    EXPECT_EQ(error_id(e), "no-codec") << "a handle! record";
}

TEST_F(Xelbin, MalformedInputRaisesErrorsAndNeverCrashes) {
    Cell e = error_of([&] { decode({'X', 'E', 'L', 'B', 'I', 'N', 1, 1, 1, 2, 0x85, 0x00}); });
    EXPECT_EQ(error_id(e), "xelbin-invalid-record");
    EXPECT_EQ(error_message(e), "XELBIN - invalid record at index 12");
    e = error_of([&] { decode({'X', 'E', 'L', 'B', 'I', 'X', 1, 1}); });
    EXPECT_EQ(error_id(e), "invalid-data");
    e = error_of([&] { decode({'X', 'E', 'L', 'B', 'I', 'N', 1, 1, 1, 1, 0xC4}); });
    EXPECT_EQ(error_id(e), "xelbin-invalid-record") << "a definition in codec data";
    e = error_of([&] { decode({'X', 'E', 'L', 'B', 'I', 'N', 1, 1, 1, 2, 0xFF, 0x00}); });
    EXPECT_EQ(error_id(e), "xelbin-invalid-record") << "a reference path of length 0";
    Cell empty = decode({'X', 'E', 'L', 'B', 'I', 'N', 1, 1, 0, 0});
    EXPECT_EQ(block_buffer_length(&empty), 0u);

    // Every prefix and every single-byte change of rich data: decoded or refused.
    for (bool compact : {true, false}) {
        std::vector<uint8_t> good =
            encode(eval("reduce [make object! [a: 1 f: func [x] [x + a]] \"s\" #{01} 1.5 [b c] "
                        "make map! [k 1] "
                        "make vector! [1 2] 1-Jan-2000/1:00 $1 1.2.3 make bitset! [1 2] 'w :add]"),
                   compact);
        for (size_t n = 0; n < good.size(); n++) {
            std::vector<uint8_t> cut(good.begin(), good.begin() + n);
            error_of([&] { decode(cut); });
            for (int bit = 0; bit < 8; bit++) {
                std::vector<uint8_t> bad = good;
                bad[n] ^= static_cast<uint8_t>(1 << bit);
                error_of([&] { decode(bad); });
            }
        }
    }
}

} // namespace
