#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/runtime-init.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "string_test_support.h"

using namespace xel;

namespace {

std::string numbered(const char* prefix, int i) {
    std::string s(prefix);
    s += std::to_string(i);
    return s;
}

class Symbols : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

bool in_root(const Cell* c) {
    const SeriesBuf* root = buffer_of(g_root.data2);
    return offset_of(c) >= root->head && offset_of(c) < root->tail;
}

TEST_F(Symbols, CaseVariantsAreSymbolsAliasingTheFirstSpelling) {
    uint32_t count = symbol_count();
    uint32_t foo = symbol_make("foo");
    uint32_t Foo = symbol_make("Foo");
    uint32_t FOO = symbol_make("FOO");
    EXPECT_EQ(symbol_count(), count + 3);
    EXPECT_NE(foo, Foo);
    EXPECT_EQ(symbol_alias_of(foo), -1);
    EXPECT_EQ(symbol_alias_of(Foo), static_cast<int32_t>(foo));
    EXPECT_EQ(symbol_alias_of(FOO), static_cast<int32_t>(foo));
    EXPECT_EQ(symbol_resolve(FOO), foo);
    EXPECT_EQ(symbol_resolve(foo), foo);

    // Exact matches come first; a caseless call adds nothing.
    EXPECT_EQ(symbol_make("Foo"), Foo);
    EXPECT_EQ(symbol_make_caseless("fOO"), foo);
    EXPECT_EQ(symbol_make_caseless("FOO"), foo);
    EXPECT_EQ(symbol_count(), count + 3);
    uint32_t fresh = symbol_make_caseless("brand-new");
    EXPECT_EQ(fresh, count + 4);
    EXPECT_EQ(symbol_alias_of(fresh), -1);
}

TEST_F(Symbols, OnlyAsciiLettersFold) {
    uint32_t capital = symbol_make("\xC3\x89t\xC3\xA9"); // Été
    uint32_t small = symbol_make("\xC3\xA9t\xC3\xA9");   // été
    uint32_t mixed = symbol_make("\xC3\x89T\xC3\xA9");   // ÉTé
    EXPECT_NE(capital, small);
    EXPECT_EQ(symbol_alias_of(capital), -1);
    EXPECT_EQ(symbol_alias_of(small), -1);
    EXPECT_EQ(symbol_alias_of(mixed), static_cast<int32_t>(capital));
    // Same letters but different byte lengths never match.
    EXPECT_NE(symbol_make("ab"), symbol_make("ab "));
}

TEST_F(Symbols, NamesAndStringsOfASymbol) {
    uint32_t id = symbol_make("Hello-World");
    uint32_t length = 0;
    EXPECT_STREQ(symbol_name(id, &length), "Hello-World");
    EXPECT_EQ(length, 11u);
    EXPECT_STREQ(symbol_to_c_string(id), "Hello-World");
    Cell* cell = symbol_cell(id);
    EXPECT_EQ(type_of(cell), T_SYMBOL);
    EXPECT_EQ(cell->data2, 0u);
    Cell* got = symbol_get(id);
    ASSERT_NE(got->data2, 0u);
    Offset first = got->data2;
    EXPECT_EQ(symbol_string_node(symbol_cell(id)), first); // cached
    Cell s{T_STRING, 0, first, 0};
    EXPECT_EQ(string_utf8_text(&s), "Hello-World");

    Cell text = testing_text::string_from("xHello-World");
    text.data1 = 1;
    EXPECT_EQ(symbol_from_string(&text), id);
}

TEST_F(Symbols, TheTableGrowsAndKeepsIdsAndSpellingOrder) {
    Offset table = g_symbol_table;
    uint32_t first = symbol_make("zeta");
    uint32_t variant = symbol_make("Zeta");
    uint32_t buckets = hash_record(table)->buckets;
    std::vector<uint32_t> ids;
    for (int i = 0; i < 14000; i++)
        ids.push_back(symbol_make(numbered("sym-", i).c_str()));
    EXPECT_EQ(hash_record(table)->buckets, buckets * 32);
    for (int i = 0; i < 14000; i++)
        ASSERT_EQ(symbol_make(numbered("sym-", i).c_str()), ids[i]);
    EXPECT_EQ(symbol_make_caseless("ZETA"), first);
    EXPECT_EQ(symbol_make("Zeta"), variant);
    EXPECT_STREQ(symbol_name(ids[9999]), "sym-9999");
}

TEST_F(Symbols, RunTimeWordsAreInternedAtStart) {
    EXPECT_STREQ(symbol_name(g_sym_spec), "spec");
    EXPECT_STREQ(symbol_name(g_sym_any_type_type), "any-type!");
    EXPECT_STREQ(symbol_name(g_sym_bar), "|");
    EXPECT_STREQ(symbol_name(g_sym_dash), "-");
    EXPECT_STREQ(symbol_name(g_sym_no_trace), "no-trace");

    // Words are recorded in the root block while the run-time starts.
    for (const Cell* w : {g_word_at, g_word_on_change_star, g_word_anon_marker,
                          g_word_applied_marker, g_gword_Windows, g_gword_bar}) {
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(in_root(w));
        EXPECT_EQ(type_of(w), T_WORD);
        EXPECT_EQ(word_context(w), g_global_context);
        EXPECT_GE(word_index(w), 0);
    }
    EXPECT_STREQ(symbol_name(word_symbol(g_word_anon_marker)), "<anon>");
    EXPECT_STREQ(symbol_name(word_symbol(g_word_on_change_star)), "on-change*");

    struct Ref {
        const Cell* cell;
        uint8_t type;
        const char* name;
    };
    const Ref refs[] = {
        {g_ref_local, T_REFINEMENT, "local"},
        {g_ref_extern, T_REFINEMENT, "extern"},
        {g_ref_compare, T_REFINEMENT, "compare"},
        {g_ref_part, T_REFINEMENT, "part"},
        {g_ref_skip, T_REFINEMENT, "skip"},
        {g_ref_with, T_REFINEMENT, "with"},
        {g_issue_ooo, T_ISSUE, "ooo"},
    };
    for (const Ref& r : refs) {
        EXPECT_EQ(type_of(r.cell), r.type) << r.name;
        EXPECT_EQ(word_context(r.cell), 0u) << r.name;
        EXPECT_STREQ(symbol_name(word_symbol(r.cell)), r.name);
    }
}

TEST_F(Symbols, EveryTypeHasItsNameWord) {
    for (int id = 1; id <= g_highest_type; id++) {
        if (!g_type_names[id].name) continue;
        const Cell* w = g_type_names[id].word;
        ASSERT_NE(w, nullptr) << id;
        EXPECT_TRUE(in_root(w));
        EXPECT_STREQ(symbol_name(word_symbol(w)), g_type_names[id].name);
    }
}

} // namespace
