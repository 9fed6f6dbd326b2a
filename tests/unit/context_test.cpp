#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "string_test_support.h"

using namespace xel;
using xel::testing_text::raised_by;

namespace {

std::string numbered(const char* prefix, int i) {
    std::string s(prefix);
    s += std::to_string(i);
    return s;
}

class Contexts : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

Cell word_of(uint8_t type, const char* name, Offset ctx = 0, int32_t index = -1) {
    Cell w;
    word_set_cell(&w, type, ctx, symbol_make(name), index);
    return w;
}

Cell integer(int v) {
    Cell c;
    set_integer(&c, v);
    return c;
}

// A block holding copies of the given cells.
Cell block_of(const std::vector<Cell>& cells) {
    Offset node = alloc_cells(static_cast<uint32_t>(cells.size()) + 1);
    for (const Cell& c : cells)
        *series_alloc_tail_cell(buffer_of(node)) = c;
    return Cell{T_BLOCK, 0, node, 0};
}

Cell* cell_in(const Cell& block, uint32_t i) {
    return at<Cell>(buffer_of(block.data2)->head) + i;
}

Offset object_context(uint32_t n) {
    return context_make(n, kContextObject, 0, false, false);
}

TEST_F(Contexts, AddFindGetSet) {
    Offset ctx = object_context(2);
    uint32_t a = symbol_make("alpha");
    uint32_t b = symbol_make("beta");
    EXPECT_EQ(context_find_word(ctx, a, true), -1);
    EXPECT_EQ(context_index_or_add(ctx, a), 0);
    EXPECT_EQ(context_index_or_add(ctx, b), 1);
    EXPECT_EQ(context_index_or_add(ctx, a), 0);
    EXPECT_EQ(context_word_count(ctx), 2u);
    EXPECT_EQ(type_of(context_value_at(ctx, 1)), T_UNSET);

    Cell w = word_of(T_WORD, "beta", ctx, 1);
    Cell v = integer(12);
    context_set(&w, &v);
    EXPECT_EQ(context_get(&w)->data2, 12u);
    const Cell* entry = context_word_at(ctx, 1);
    EXPECT_EQ(word_context(entry), ctx);
    EXPECT_EQ(word_symbol(entry), b);
    EXPECT_EQ(word_index(entry), 1);

    // A word without an index finds or adds its slot on set.
    Cell fresh = word_of(T_WORD, "gamma", ctx, -1);
    Cell v2 = integer(3);
    context_set(&fresh, &v2);
    EXPECT_EQ(word_index(&fresh), 2);
    EXPECT_EQ(context_value_at(ctx, 2)->data2, 3u);
}

TEST_F(Contexts, CaseVariantsShareASlotOnlyCaselessly) {
    Offset ctx = object_context(4);
    uint32_t Foo = symbol_make("Foo");
    uint32_t foo = symbol_make("foo");
    EXPECT_EQ(symbol_resolve(foo), Foo);
    EXPECT_EQ(context_index_or_add(ctx, Foo), 0);
    EXPECT_EQ(context_find_word(ctx, foo, true), 0);
    EXPECT_EQ(context_find_word(ctx, foo, false), -1);
    EXPECT_EQ(context_find_word(ctx, Foo, false), 0);
    // The caseless add finds Foo instead of adding foo.
    EXPECT_EQ(context_index_or_add(ctx, foo), 0);
    EXPECT_EQ(context_word_count(ctx), 1u);

    Cell w = word_of(T_WORD, "foo");
    EXPECT_EQ(context_bind_word(ctx, &w), 0);
    EXPECT_EQ(word_context(&w), ctx);
    EXPECT_EQ(word_index(&w), 0);
    EXPECT_EQ(word_symbol(&w), foo); // keeps its spelling

    Cell other = word_of(T_WORD, "absent");
    EXPECT_EQ(context_bind_word(ctx, &other), -1);
    EXPECT_EQ(word_context(&other), 0u);
}

TEST_F(Contexts, ReadErrors) {
    Offset ctx = object_context(1);
    context_index_or_add(ctx, symbol_make("x"));
    Offset no_values = context_make(1, kContextFunction, 0, false, false);
    context_cell(no_values)->data2 = 0;
    int32_t out;
    context_find_or_add(no_values, symbol_make("y"), &out);

    struct Case {
        Cell word;
        int id;
    };
    const Case cases[] = {
        {word_of(T_WORD, "x"), err::script::kNoValue},
        {word_of(T_WORD, "x", ctx, -1), err::script::kNoValue},
        {word_of(T_WORD, "y", no_values, 0), err::script::kNotInContext},
    };
    for (const Case& c : cases) {
        auto r = raised_by([&] { context_get(&c.word); });
        EXPECT_TRUE(r.raised);
        EXPECT_EQ(r.category, kCatScript);
        EXPECT_EQ(r.id, c.id);
        ASSERT_EQ(r.arg_count, 1);
        EXPECT_EQ(word_symbol(&r.args[0]), word_symbol(&c.word));
    }
    Cell y = word_of(T_WORD, "y", no_values, 0);
    Cell v = integer(1);
    auto set = raised_by([&] { context_set(&y, &v); });
    EXPECT_EQ(set.id, err::script::kNotDefined);
    Cell unbound = word_of(T_WORD, "z");
    EXPECT_EQ(raised_by([&] { context_set(&unbound, &v); }).id, err::script::kNotDefined);
}

TEST_F(Contexts, SelfReadsTheOwnerThroughBinding) {
    Offset ctx = object_context(2);
    context_index_or_add(ctx, symbol_make("v"));
    *context_self(ctx) = Cell{T_OBJECT, ctx, 0, 0};
    Cell block = block_of({word_of(T_WORD, "self"), word_of(T_WORD, "v"), word_of(T_SET_WORD, "V"),
                           word_of(T_ISSUE, "v"), word_of(T_LIT_WORD, "self")});
    context_bind_block(&block, ctx, true);
    EXPECT_EQ(word_context(cell_in(block, 0)), ctx);
    EXPECT_EQ(word_index(cell_in(block, 0)), -1);
    EXPECT_EQ(type_of(context_get(cell_in(block, 0))), T_OBJECT);
    EXPECT_EQ(word_index(cell_in(block, 1)), 0);
    EXPECT_EQ(word_index(cell_in(block, 2)), 0);
    EXPECT_EQ(word_context(cell_in(block, 3)), 0u); // issues stay unbound
    EXPECT_EQ(word_context(cell_in(block, 4)), 0u); // only a word! self

    Cell again = block_of({word_of(T_WORD, "self")});
    context_bind_block(&again, ctx, false);
    EXPECT_EQ(word_context(cell_in(again, 0)), 0u);
}

TEST_F(Contexts, BindingABlockThatHoldsItselfEnds) {
    Offset ctx = object_context(1);
    context_index_or_add(ctx, symbol_make("k"));
    Cell block = block_of({word_of(T_WORD, "k"), Cell{}, word_of(T_WORD, "k")});
    Cell inner = block_of({word_of(T_WORD, "k")});
    *cell_in(block, 1) = block; // the block inside itself
    *cell_in(inner, 0) = block; // and through another block
    *series_alloc_tail_cell(buffer_of(block.data2)) = inner;
    context_bind_block(&block, ctx, false);
    EXPECT_EQ(word_context(cell_in(block, 0)), ctx);
    EXPECT_EQ(word_context(cell_in(block, 2)), ctx);
}

struct ChangeLog {
    int calls = 0;
    uint32_t word = 0;
    uint32_t old_value = 0;
    uint32_t new_value = 0;
};
ChangeLog g_log;

TEST_F(Contexts, SettingInAnObjectMarksAndNotifies) {
    g_log = {};
    g_object_fire_on_change = [](Cell*, Cell* word, Cell* old_value, Cell* new_value) {
        g_log.calls++;
        g_log.word = word_symbol(word);
        g_log.old_value = old_value->data2;
        g_log.new_value = new_value->data2;
    };
    Offset ctx = object_context(1);
    context_index_or_add(ctx, symbol_make("size"));
    Cell w = word_of(T_WORD, "size", ctx, 0);
    Cell one = integer(1), two = integer(2);
    context_set(&w, &one);
    EXPECT_TRUE(context_word_at(ctx, 0)->header & kWordChanged);
    EXPECT_EQ(g_log.calls, 0); // no event record yet

    *context_self(ctx) = Cell{T_OBJECT, ctx, 0, 1};
    Cell* top = g_stack_top;
    context_set(&w, &two);
    EXPECT_EQ(g_stack_top, top);
    EXPECT_EQ(g_log.calls, 1);
    EXPECT_EQ(g_log.word, symbol_make("size"));
    EXPECT_EQ(g_log.old_value, 1u);
    EXPECT_EQ(g_log.new_value, 2u);

    // Without notification the handler is not called.
    context_set_in(&w, &one, ctx, false);
    EXPECT_EQ(g_log.calls, 1);
    EXPECT_EQ(context_value_at(ctx, 0)->data2, 1u);
    g_object_fire_on_change = nullptr;

    // Function contexts are not marked.
    Offset fctx = context_make(1, kContextFunction, 0, false, false);
    context_index_or_add(fctx, symbol_make("arg"));
    Cell fw = word_of(T_WORD, "arg", fctx, 0);
    context_set(&fw, &one);
    EXPECT_FALSE(context_word_at(fctx, 0)->header & kWordChanged);
}

TEST_F(Contexts, ValuesOnTheStack) {
    Offset ctx = context_make(2, kContextFunction, 0, true, false);
    int32_t out;
    context_find_or_add(ctx, symbol_make("a"), &out);
    context_find_or_add(ctx, symbol_make("b"), &out);
    Cell* values = stack_push_cell();
    stack_push_cell();
    context_cell(ctx)->data2 = offset_of(values);
    Cell w = word_of(T_WORD, "b", ctx, 1);
    Cell v = integer(9);
    context_set(&w, &v);
    EXPECT_EQ(values[1].data2, 9u);
    EXPECT_EQ(context_get(&w), &values[1]);
    // Symbol lookups in such a context go to the global context.
    EXPECT_EQ(context_get_symbol_value(ctx, g_sym_spec), context_global_value_cell(g_sym_spec));
    stack_pop(2);
}

TEST_F(Contexts, MakeFromWords) {
    Cell spec = block_of({word_of(T_WORD, "a"), word_of(T_GET_WORD, "b"), word_of(T_SET_WORD, "e"),
                          word_of(T_LIT_WORD, "c"), word_of(T_REFINEMENT, "d"),
                          word_of(T_WORD, "A"), word_of(T_WORD, "a"), integer(1)});
    Offset ctx = context_make_from_words(&spec, kContextFunction, false);
    ASSERT_EQ(context_word_count(ctx), 4u);
    const char* names[] = {"a", "b", "c", "d"};
    for (uint32_t i = 0; i < 4; i++) {
        EXPECT_STREQ(symbol_name(word_symbol(context_word_at(ctx, i))), names[i]);
        EXPECT_EQ(type_of(context_value_at(ctx, i)), T_UNSET);
    }
    EXPECT_EQ(buffer_of(context_cell(ctx)->data2)->used(), 4 * sizeof(Cell));
    EXPECT_EQ(context_kind(ctx), kContextFunction);

    Cell set_words =
        block_of({word_of(T_SET_WORD, "x"), word_of(T_WORD, "y"), word_of(T_SET_WORD, "A")});
    EXPECT_TRUE(context_add_set_words(ctx, &set_words));
    EXPECT_EQ(context_word_count(ctx), 5u);
    EXPECT_FALSE(context_add_set_words(ctx, &set_words));
}

TEST_F(Contexts, GlobalWordsAndVariants) {
    Cell first = *word_load("Print-It");
    Cell variant = *word_load("print-it");
    EXPECT_EQ(word_context(&first), g_global_context);
    EXPECT_EQ(word_index(&first), word_index(&variant));
    EXPECT_NE(word_symbol(&first), word_symbol(&variant));
    EXPECT_STREQ(symbol_name(word_symbol(&variant)), "print-it");

    // An exact global lookup keeps case variants apart.
    Cell exact = *context_add_global(symbol_make("PRINT-IT"));
    EXPECT_NE(word_index(&exact), word_index(&first));

    Cell v = integer(5);
    context_set(&first, &v);
    EXPECT_EQ(context_get(&variant)->data2, 5u);
    Cell out;
    context_copy_global_value(symbol_make("Print-It"), &out);
    EXPECT_EQ(out.data2, 5u);
    context_get_or_add_value(g_global_context, symbol_make("PRINT-it"), &out);
    EXPECT_EQ(out.data2, 5u);
    context_add_if_missing(g_global_context, symbol_make("brand-new-global"), &v);
    EXPECT_EQ(context_global_value_cell(symbol_make("brand-new-global"))->data2, 5u);
}

TEST_F(Contexts, WordTablesGrowAndKeepEveryWord) {
    Offset ctx = object_context(2);
    std::vector<uint32_t> symbols;
    for (int i = 0; i < 3000; i++)
        symbols.push_back(symbol_make(numbered("w", i).c_str()));
    for (uint32_t s : symbols)
        context_index_or_add(ctx, s);
    for (uint32_t i = 0; i < symbols.size(); i++)
        ASSERT_EQ(context_find_word(ctx, symbols[i], false), static_cast<int32_t>(i));
    EXPECT_EQ(buffer_of(context_cell(ctx)->data2)->used(), 3000 * sizeof(Cell));
}

TEST_F(Contexts, CloneGivesAnIndependentContext) {
    Offset ctx = object_context(2);
    context_index_or_add(ctx, symbol_make("p"));
    context_index_or_add(ctx, symbol_make("q"));
    Cell one = integer(1);
    Cell p = word_of(T_WORD, "p", ctx, 0);
    context_set(&p, &one);
    Cell object{T_OBJECT, ctx, 0, 0};
    context_clone(&object);
    Offset copy = object.data1;
    ASSERT_NE(copy, ctx);
    EXPECT_EQ(context_word_count(copy), 2u);
    EXPECT_EQ(word_context(context_word_at(copy, 1)), copy);
    EXPECT_EQ(word_context(context_word_at(ctx, 1)), ctx);
    EXPECT_EQ(context_value_at(copy, 0)->data2, 1u);
    EXPECT_EQ(context_find_word(copy, symbol_make("q"), false), 1);
    Cell two = integer(2);
    Cell p2 = word_of(T_WORD, "p", copy, 0);
    context_set(&p2, &two);
    EXPECT_EQ(context_value_at(ctx, 0)->data2, 1u);
    EXPECT_EQ(type_of(context_self(copy)), T_OBJECT);
    EXPECT_EQ(context_self(copy)->data1, copy);
    // Words added to the copy stay out of the original.
    context_index_or_add(copy, symbol_make("r"));
    EXPECT_EQ(context_find_word(ctx, symbol_make("r"), false), -1);
}

} // namespace
