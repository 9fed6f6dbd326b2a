// make, to and form of string!, concatenation, the hex texts and the molded
// form of one character.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "case_names.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/registry.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "string_test_support.h"

using namespace xel;
using namespace xel::testing_text;

namespace {

class StringActions : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    static Cell integer(int32_t v) { return Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0}; }
    static Cell floating(double d) {
        Cell c{T_FLOAT, 0, 0, 0};
        cell_set_double(&c, d);
        return c;
    }
    static Cell block_of(std::initializer_list<Cell> cells, uint8_t type = T_BLOCK) {
        Cell b{type, 0, alloc_cells(static_cast<uint32_t>(cells.size())), 0};
        for (const Cell& c : cells)
            *series_alloc_tail_cell(buffer_of(b.data2)) = c;
        return b;
    }
    static Cell wide(const CodePoints& cps) {
        Cell s;
        string_make_at(&s, 0);
        for (uint32_t cp : cps)
            string_append_char(string_buffer(&s), cp);
        return s;
    }
};

TEST_F(StringActions, RowIsRegisteredAndSharedByTheFamily) {
    EXPECT_EQ(action_of<A_MAKE>(T_STRING), &string_make);
    EXPECT_EQ(action_of<A_TO>(T_STRING), &string_to);
    EXPECT_EQ(action_of<A_FORM>(T_STRING), &string_form);
    EXPECT_EQ(action_of<A_FORM>(T_FILE), &string_form);
    EXPECT_EQ(action_of<A_TO>(T_TAG), &string_to);
}

TEST_F(StringActions, MakeFromANumberGivesAnEmptyStringWithThatRoom) {
    for (Cell spec : {integer(10), floating(2.9), integer(0), floating(-0.5)}) {
        Cell* r = string_make(nullptr, &spec, T_STRING);
        EXPECT_EQ(r, stack_arguments());
        EXPECT_EQ(type_of(r), T_STRING);
        EXPECT_EQ(string_xs_length(r), 0);
        EXPECT_EQ(unit_of(r), 1u);
    }
    Cell ten = integer(40);
    EXPECT_GE(string_buffer(string_make(nullptr, &ten, T_STRING))->size, 40u);
    Cell* f = string_make(nullptr, &ten, T_FILE);
    EXPECT_EQ(type_of(f), T_FILE);
    Cell* b = string_make(nullptr, &ten, T_BINARY);
    EXPECT_EQ(type_of(b), T_BINARY);
}

TEST_F(StringActions, MakeRefusesNegativeAndNanRoom) {
    for (Cell spec : {integer(-1), floating(-1.5), floating(std::nan(""))}) {
        Raised r = raised_by([&] { string_make(nullptr, &spec, T_STRING); });
        ASSERT_TRUE(r.raised);
        EXPECT_EQ(r.category, kCatScript);
        EXPECT_EQ(r.id, err::script::kOutOfRange);
        EXPECT_EQ(r.args[0].header, spec.header);
    }
}

TEST_F(StringActions, MakeBinaryFromMoneyIsRefused) {
    Cell money{T_MONEY, 0, 0, 0};
    Raised r = raised_by([&] { string_make(nullptr, &money, T_BINARY); });
    ASSERT_TRUE(r.raised);
    EXPECT_EQ(r.id, err::script::kBadMakeArg);
    EXPECT_EQ(type_of(&r.args[0]), T_DATATYPE);
    EXPECT_EQ(r.args[0].data1, uint32_t{T_BINARY});
}

TEST_F(StringActions, MakeFromOtherValuesIsTo) {
    Cell src = string_from("abc");
    Cell* r = string_make(nullptr, &src, T_URL);
    EXPECT_EQ(type_of(r), T_URL);
    EXPECT_EQ(code_points(r), ascii("abc"));
}

TEST_F(StringActions, ToFromNoneIsRefused) {
    Cell none{T_NONE, 0, 0, 0};
    Raised r = raised_by([&] { string_to(nullptr, &none, T_STRING); });
    ASSERT_TRUE(r.raised);
    EXPECT_EQ(r.id, err::script::kBadToArg);
    EXPECT_EQ(type_of(&r.args[0]), T_DATATYPE);
    EXPECT_EQ(r.args[0].data1, uint32_t{T_STRING});
    EXPECT_EQ(type_of(&r.args[1]), T_NONE);
}

TEST_F(StringActions, ToCopiesTheUnitsFromThePosition) {
    Cell src = wide({'a', 0x20AC, 'c'});
    src.data1 = 1;
    Cell* r = string_to(nullptr, &src, T_FILE);
    EXPECT_EQ(type_of(r), T_FILE);
    EXPECT_EQ(r->data1, 0u);
    EXPECT_EQ(code_points(r), (CodePoints{0x20AC, 'c'}));
    EXPECT_NE(r->data2, src.data2);
    string_append_char(string_buffer(r), 'z');
    EXPECT_EQ(code_points(&src), (CodePoints{0x20AC, 'c'}));
}

TEST_F(StringActions, ToFormsEveryElementOfABlock) {
    Cell a = string_from("ab");
    Cell d = string_from("d");
    Cell c;
    char_set(&c, 'c');
    for (uint8_t t : {T_BLOCK, T_PAREN}) {
        Cell blk = block_of({a, c, d}, t);
        EXPECT_EQ(string_utf8_text(string_to(nullptr, &blk, T_STRING)), "abcd");
        blk.data1 = 1;
        EXPECT_EQ(string_utf8_text(string_to(nullptr, &blk, T_STRING)), "cd");
    }
    Cell empty = block_of({});
    Cell* r = string_to(nullptr, &empty, T_STRING);
    EXPECT_EQ(string_xs_length(r), 0);
}

TEST_F(StringActions, ToFormsWordsAndNumbersWithNothingBetween) {
    Cell a = *word_load("a");
    Cell b = string_from("b");
    Cell blk = block_of({a, b, integer(1)});
    EXPECT_EQ(string_utf8_text(string_to(nullptr, &blk, T_STRING)), "ab1");
}

TEST_F(StringActions, RefinementFormsForStringAndMoldsForTheOthers) {
    Cell ref = *word_load("x");
    cell_set_type(&ref, T_REFINEMENT);
    EXPECT_EQ(string_utf8_text(string_to(nullptr, &ref, T_STRING)), "x");
    Cell* file = string_to(nullptr, &ref, T_FILE);
    EXPECT_EQ(type_of(file), T_FILE);
    EXPECT_EQ(string_utf8_text(file), "/x");
}

TEST_F(StringActions, ToFromOtherValuesForms) {
    Cell c;
    char_set(&c, 0x20AC);
    Cell* r = string_to(nullptr, &c, T_STRING);
    EXPECT_EQ(code_points(r), (CodePoints{0x20AC}));
}

TEST_F(StringActions, ToFromBinaryDecodesStrictly) {
    Cell bin;
    const uint8_t ok[] = {'x', 'a', 0xC3, 0xA9};
    string_bytes_to_binary(&bin, ok, 4);
    bin.data1 = 1;
    Cell* top = g_stack_top;
    Cell* r = string_to(nullptr, &bin, T_STRING);
    EXPECT_EQ(g_stack_top, top);
    EXPECT_EQ(code_points(r), (CodePoints{'a', 0xE9}));

    const uint8_t cut[] = {'a', 0xE2};
    string_bytes_to_binary(&bin, cut, 2);
    Raised e = raised_by([&] { string_to(nullptr, &bin, T_STRING); });
    ASSERT_TRUE(e.raised);
    EXPECT_EQ(e.category, kCatAccess);
    EXPECT_EQ(e.id, err::access::kInvalidUtf8);
    EXPECT_EQ(bytes_of(&e.args[0]), (std::vector<uint8_t>{0xE2}));
}

TEST_F(StringActions, FormAppendsFromThePositionWithinThePartLimit) {
    Cell out = string_from("<");
    Cell v = wide({'a', 'b', 0x20AC, 'd'});
    v.data1 = 1;
    EXPECT_EQ(string_form(&v, &out, nullptr, 100), 97);
    EXPECT_EQ(code_points(&out), (CodePoints{'<', 'b', 0x20AC, 'd'}));
    Cell part = integer(2);
    Cell out2 = string_from("");
    EXPECT_EQ(string_form(&v, &out2, &part, 2), 0);
    EXPECT_EQ(code_points(&out2), (CodePoints{'b', 0x20AC}));
    Cell out3 = string_from("");
    EXPECT_EQ(string_form(&v, &out3, &part, -1), -1);
    EXPECT_EQ(string_xs_length(&out3), 0);
    // The formed value is left as it was.
    EXPECT_EQ(unit_of(&v), 2u);
    Cell narrow = string_from("xy");
    string_form(&narrow, &out, nullptr, 10);
    EXPECT_EQ(unit_of(&narrow), 1u);
}

TEST_F(StringActions, ConcatenateWidensTheTargetToTheSource) {
    Cell target = string_from("ab");
    Cell source = wide({0x1F600, 'z'});
    string_concatenate(&target, &source, -1, 0, false, kConcatAppend);
    EXPECT_EQ(unit_of(&target), 4u);
    EXPECT_EQ(code_points(&target), (CodePoints{'a', 'b', 0x1F600, 'z'}));
}

TEST_F(StringActions, ConcatenateWidensANarrowerSourceUnlessPerUnit) {
    Cell target = wide({0x20AC});
    Cell source = string_from("xy");
    string_concatenate(&target, &source, -1, 0, true, kConcatAppend);
    EXPECT_EQ(unit_of(&source), 1u);
    string_concatenate(&target, &source, -1, 0, false, kConcatAppend);
    EXPECT_EQ(unit_of(&source), 2u);
    EXPECT_EQ(code_points(&source), ascii("xy"));
    EXPECT_EQ(code_points(&target), (CodePoints{0x20AC, 'x', 'y', 'x', 'y'}));
}

TEST_F(StringActions, ConcatenateReadsASymbolAsItsSpelling) {
    Cell target = string_from("<");
    Cell sym = *symbol_get(symbol_make("caf\xC3\xA9"));
    string_concatenate(&target, &sym, -1, 0, false, kConcatAppend);
    EXPECT_EQ(code_points(&target), (CodePoints{'<', 'c', 'a', 'f', 0xE9}));
}

struct ConcatCase {
    const char* name;
    int part, offset, mode;
    bool per_unit;
    const char* want;
};

class StringConcatModes : public StringActions, public ::testing::WithParamInterface<ConcatCase> {};

TEST_P(StringConcatModes, AppendInsertOverwrite) {
    const ConcatCase& c = GetParam();
    Cell target = string_from("abcdef");
    target.data1 = 1;
    Cell source = string_from("XYZ");
    string_concatenate(&target, &source, c.part, c.offset, c.per_unit, c.mode);
    target.data1 = 0;
    EXPECT_EQ(string_utf8_text(&target), c.want);
    // The same with a wider target, so units are written one by one.
    Cell wide_target = wide({0x20AC, 'b', 'c', 'd', 'e', 'f'});
    wide_target.data1 = 1;
    string_concatenate(&wide_target, &source, c.part, c.offset, c.per_unit, c.mode);
    wide_target.data1 = 0;
    EXPECT_EQ(string_utf8_text(&wide_target).substr(3), std::string(c.want).substr(1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringConcatModes,
    ::testing::Values(ConcatCase{"append", -1, 0, kConcatAppend, false, "abcdefXYZ"},
                      ConcatCase{"append_part", 2, 0, kConcatAppend, true, "abcdefXY"},
                      ConcatCase{"insert", -1, 0, kConcatInsert, false, "aXYZbcdef"},
                      ConcatCase{"insert_offset", 1, 2, kConcatInsert, true, "abcXdef"},
                      ConcatCase{"overwrite", -1, 0, kConcatOverwrite, false, "aXYZef"},
                      ConcatCase{"overwrite_past_tail", -1, 3, kConcatOverwrite, true, "abcdXYZ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StringActions, HexTexts) {
    EXPECT_STREQ(string_int_to_hex(0x1E, true), "1E");
    EXPECT_STREQ(string_int_to_hex(0, true), "00");
    EXPECT_STREQ(string_int_to_hex(0x1F600, true), "1F600");
    EXPECT_STREQ(string_int_to_hex(-16, false), "FFFFFFF0");
    EXPECT_STREQ(string_int_to_hex(255, false), "000000FF");
    EXPECT_STREQ(string_int_to_hex(0, false), "00000000");
    EXPECT_STREQ(string_int_to_hex(INT32_MIN, false), "80000000");
    EXPECT_STREQ(string_byte_to_hex(0x0A), "0A");
    EXPECT_STREQ(string_byte_to_hex(0xFF), "FF");
}

TEST_F(StringActions, ToFloat) {
    const uint8_t digits[] = {'1', '2', '.', '5'};
    EXPECT_EQ(string_to_float(digits, 4), 12.5);
}

struct MoldCharCase {
    uint32_t cp;
    bool all;
    CodePoints want;
};

class StringMoldChar : public StringActions, public ::testing::WithParamInterface<MoldCharCase> {};

TEST_P(StringMoldChar, Escapes) {
    const MoldCharCase& c = GetParam();
    Cell out = string_from("");
    string_mold_char(&out, c.cp, c.all);
    EXPECT_EQ(code_points(&out), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringMoldChar,
    ::testing::Values(MoldCharCase{0, false, ascii("^@")}, MoldCharCase{1, false, ascii("^A")},
                      MoldCharCase{9, false, ascii("^-")}, MoldCharCase{10, false, ascii("^/")},
                      MoldCharCase{27, false, ascii("^[")}, MoldCharCase{28, false, ascii("^\\")},
                      MoldCharCase{29, false, ascii("^]")}, MoldCharCase{30, false, ascii("^(1E)")},
                      MoldCharCase{31, false, ascii("^_")}, MoldCharCase{'"', false, ascii("^\"")},
                      MoldCharCase{'^', false, ascii("^^")}, MoldCharCase{'a', true, ascii("a")},
                      MoldCharCase{'{', false, ascii("{")}, MoldCharCase{127, false, ascii("^~")},
                      MoldCharCase{0x80, false, ascii("^(80)")},
                      MoldCharCase{0x85, false, ascii("^(85)")},
                      MoldCharCase{0x9F, false, ascii("^(9F)")}, MoldCharCase{0xA0, false, {0xA0}},
                      MoldCharCase{0xE9, false, {0xE9}}, MoldCharCase{0xE9, true, ascii("^(E9)")},
                      MoldCharCase{0x1F600, false, {0x1F600}},
                      MoldCharCase{0x1F600, true, ascii("^(1F600)")}),
    xel_test::NamedBy<&MoldCharCase::cp>());

} // namespace
