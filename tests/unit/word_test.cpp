#include <gtest/gtest.h>

#include <string>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "string_test_support.h"

using namespace xel;
using xel::testing_text::raised_by;

namespace {

class Words : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

Cell word_of(uint8_t type, const char* name) {
    Cell w = *word_load(name);
    cell_set_type(&w, type);
    return w;
}

Cell integer(int v) {
    Cell c;
    set_integer(&c, v);
    return c;
}

std::string mold(Cell* value, int part = 1000, int* left = nullptr) {
    Cell out;
    string_make_at(&out, 16);
    int rest =
        action_of<A_MOLD>(type_of(value))(value, &out, false, false, false, nullptr, part, 0);
    if (left) *left = rest;
    return string_utf8_text(&out);
}

std::string form(Cell* value) {
    Cell out;
    string_make_at(&out, 16);
    action_of<A_FORM>(type_of(value))(value, &out, nullptr, 1000);
    return string_utf8_text(&out);
}

int compare(Cell a, Cell b, int op) {
    return action_of<A_COMPARE>(type_of(&a))(&a, &b, op);
}

TEST_F(Words, MoldAndFormByType) {
    struct Case {
        uint8_t type;
        const char* mold;
    };
    const Case cases[] = {
        {T_WORD, "Name"},      {T_SET_WORD, "Name:"},   {T_LIT_WORD, "'Name"},
        {T_GET_WORD, ":Name"}, {T_REFINEMENT, "/Name"}, {T_ISSUE, "#Name"},
    };
    for (const Case& c : cases) {
        Cell w = word_of(c.type, "Name");
        int left = 0;
        EXPECT_EQ(mold(&w, 100, &left), c.mold);
        EXPECT_EQ(left, 100 - static_cast<int>(std::string(c.mold).size())) << c.mold;
        EXPECT_EQ(form(&w), "Name") << c.mold;
    }
    // A case variant molds with its own spelling.
    Cell lower = word_of(T_WORD, "name");
    EXPECT_EQ(mold(&lower), "name");
}

TEST_F(Words, Comparison) {
    Cell a = word_of(T_WORD, "a");
    Cell a_set = word_of(T_SET_WORD, "a");
    Cell a_lit = word_of(T_LIT_WORD, "a");
    Cell Abc = word_of(T_WORD, "Abc");
    Cell abc = word_of(T_WORD, "abc");
    Cell issue = word_of(T_ISSUE, "a");
    Cell elsewhere = a;
    elsewhere.data1 = context_make(1, kContextObject, 0, false, false);
    struct Case {
        Cell x, y;
        int op;
        int expect;
    };
    const Case cases[] = {
        {a, a_set, 0, 0},
        {a, a_set, 2, 1},
        {a, a_set, 12, 0},
        {a, elsewhere, 9, 1},
        {a, a, 9, 0},
        {Abc, abc, 0, 0},
        {Abc, abc, 2, 1},
        {a, a_lit, 10, 0},
        {Abc, Cell{T_LIT_WORD, 0, abc.data2, 0}, 10, 1},
        {a, a_set, 10, 1},
        {Abc, Cell{T_LIT_WORD, 0, abc.data2, 0}, 11, 0},
        {a, a_set, 11, 1},
        {a, integer(1), 0, -2},
        {a, issue, 0, -2},
        {issue, a, 0, -2},
        {issue, word_of(T_ISSUE, "A"), 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compare(c.x, c.y, c.op), c.expect)
            << symbol_name(word_symbol(&c.x)) << " op " << c.op << " " << int(type_of(&c.y));
}

TEST_F(Words, IndexOfAWord) {
    Cell w = *word_load("indexed");
    Cell* slot = stack_arguments();
    *slot = w;
    action_of<A_INDEX_Q>(T_WORD)();
    EXPECT_EQ(type_of(slot), T_INTEGER);
    EXPECT_EQ(static_cast<int32_t>(slot->data2), word_index(&w) + 1);
    word_set_cell(slot, T_SET_WORD, 0, symbol_make("loose"), -1);
    action_of<A_INDEX_Q>(T_SET_WORD)();
    EXPECT_EQ(type_of(slot), T_NONE);
    EXPECT_EQ(action_of<A_INDEX_Q>(T_REFINEMENT), nullptr);
}

TEST_F(Words, MakeFromValues) {
    Cell type{T_DATATYPE, T_INTEGER, 0, 0};
    Cell* r = word_make(nullptr, &type, T_WORD);
    EXPECT_EQ(type_of(r), T_WORD);
    EXPECT_STREQ(symbol_name(word_symbol(r)), "integer!");

    Cell truth;
    set_logic(&truth, true);
    r = word_make(nullptr, &truth, T_WORD);
    EXPECT_STREQ(symbol_name(word_symbol(r)), "true");
    EXPECT_EQ(word_context(r), g_global_context);

    Cell set_word = word_of(T_SET_WORD, "b");
    r = word_make(nullptr, &set_word, T_LIT_WORD);
    EXPECT_EQ(type_of(r), T_LIT_WORD);
    EXPECT_EQ(word_symbol(r), word_symbol(&set_word));

    Cell text = testing_text::string_from("abc");
    r = word_make(nullptr, &text, T_SET_WORD);
    EXPECT_EQ(type_of(r), T_SET_WORD);
    EXPECT_STREQ(symbol_name(word_symbol(r)), "abc");

    Cell refinement{T_REFINEMENT, 0, symbol_make("foo"), kNoIndex};
    r = word_make(nullptr, &refinement, T_WORD);
    EXPECT_EQ(type_of(r), T_WORD);
    EXPECT_STREQ(symbol_name(word_symbol(r)), "foo");

    for (const char* bad_text : {"123", "", "a b"}) {
        Cell s = testing_text::string_from(bad_text);
        auto invalid = raised_by([&] { word_make(nullptr, &s, T_WORD); });
        EXPECT_EQ(invalid.id, err::script::kInvalidChars) << bad_text;
    }
    Cell number_issue{T_ISSUE, 0, symbol_make("12"), kNoIndex};
    EXPECT_EQ(raised_by([&] { word_make(nullptr, &number_issue, T_WORD); }).id,
              err::script::kBadToArg);

    Cell one = integer(1);
    auto bad = raised_by([&] { word_make(nullptr, &one, T_WORD); });
    EXPECT_EQ(bad.id, err::script::kBadToArg);
    ASSERT_EQ(bad.arg_count, 2);
    EXPECT_EQ(type_of(&bad.args[0]), T_DATATYPE);
    EXPECT_EQ(bad.args[0].data1, static_cast<uint32_t>(T_WORD));
}

TEST_F(Words, IssuesKeepTheirTextAsItIs) {
    Cell text = testing_text::string_from("a b");
    Cell* r = action_of<A_TO>(T_ISSUE)(nullptr, &text, T_ISSUE);
    EXPECT_EQ(type_of(r), T_ISSUE);
    EXPECT_STREQ(symbol_name(word_symbol(r)), "a b");
    EXPECT_EQ(word_index(r), -1);
    Cell w = *word_load("plain");
    r = action_of<A_TO>(T_ISSUE)(nullptr, &w, T_ISSUE);
    EXPECT_EQ(type_of(r), T_ISSUE);
    EXPECT_EQ(word_symbol(r), word_symbol(&w));
}

TEST_F(Words, CheckedGetAndSet) {
    Cell w = *word_load("checked");
    auto unset_read = raised_by([&] { word_get_checked(&w); });
    EXPECT_EQ(unset_read.category, kCatScript);
    EXPECT_EQ(unset_read.id, err::script::kNoValue);
    EXPECT_EQ(word_symbol(&unset_read.args[0]), word_symbol(&w));

    Cell* top = stack_push_cell();
    set_unset(top);
    auto unset_write = raised_by([&] { word_set_checked(&w); });
    EXPECT_EQ(unset_write.id, err::script::kNeedValue);
    EXPECT_EQ(word_symbol(&unset_write.args[0]), word_symbol(&w));

    set_integer(top, 41);
    word_set_checked(&w);
    EXPECT_EQ(word_get_checked(&w)->data2, 41u);
    word_set_checked_reset(&w);
    EXPECT_EQ(g_stack_top, stack_arguments());

    Cell unbound{T_WORD, 0, symbol_make("nowhere"), kNoIndex};
    EXPECT_EQ(raised_by([&] { word_get_checked(&unbound); }).id, err::script::kNoValue);
}

TEST_F(Words, FrameHelpers) {
    Cell w = *word_load("framed");
    Cell* args = stack_arguments();
    stack_keep();
    args[0] = w;
    *stack_push_cell() = integer(8);
    Cell* r = word_set_from_args();
    EXPECT_EQ(r, args);
    EXPECT_EQ(args->data2, 8u);
    EXPECT_EQ(context_get(&w)->data2, 8u);

    args[0] = w;
    set_unset(&args[1]);
    EXPECT_EQ(raised_by([] { word_set_from_args(); }).id, err::script::kNeedValue);

    args[0] = w;
    args[1] = integer(9);
    word_kin_set_from_args();
    args[0] = w;
    word_kin_get_from_args();
    EXPECT_EQ(args->data2, 9u);

    set_unset(args);
    Cell target;
    EXPECT_EQ(raised_by([&] { word_box_checked(&target); }).id, err::script::kNeedValue);
    stack_reset();
}

TEST_F(Words, SlotsOfContextsWithoutValues) {
    Offset ctx = context_make(1, kContextFunction, 0, false, false);
    context_index_or_add(ctx, symbol_make("slot"));
    context_cell(ctx)->data2 = 0;
    auto r = raised_by([&] { word_push_value_at(ctx, 0); });
    EXPECT_EQ(r.id, err::script::kNotDefined);
    EXPECT_STREQ(symbol_name(word_symbol(&r.args[0])), "slot");
}

TEST_F(Words, ObjectSlotWritesMarkTheEntry) {
    Offset ctx = context_make(1, kContextObject, 0, false, false);
    context_index_or_add(ctx, symbol_make("field"));
    *context_value_at(ctx, 0) = integer(1);
    *stack_push_cell() = integer(2);
    object_set_slot_push_old(ctx, 0);
    EXPECT_EQ(context_value_at(ctx, 0)->data2, 2u);
    EXPECT_EQ(stack_top()->data2, 1u); // the old value stands above the new
    EXPECT_TRUE(context_word_at(ctx, 0)->header & kWordChanged);
    stack_reset();
}

TEST_F(Words, SpellingIsSharedWithTheSymbol) {
    Cell w = *word_load("Spelled");
    Cell* s = word_push_spelling(&w);
    EXPECT_EQ(type_of(s), T_STRING);
    EXPECT_EQ(s->data2, symbol_get(word_symbol(&w))->data2);
    EXPECT_EQ(string_utf8_text(s), "Spelled");
    stack_pop(1);
    Cell any{T_WORD, 0, symbol_make("ANY-TYPE!"), 0};
    EXPECT_TRUE(word_any_type(&any));
}

} // namespace
