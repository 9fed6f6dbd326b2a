#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/throw.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "tests/unit/runtime_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

class Cycles : public RuntimeFixture {};

TEST_F(Cycles, PushFindPop) {
    EXPECT_FALSE(cycles_find(0x100));
    cycles_push(0x100);
    cycles_push(0x200);
    EXPECT_TRUE(cycles_find(0x100));
    EXPECT_TRUE(cycles_find(0x200));
    EXPECT_FALSE(cycles_find(0x300));
    cycles_pop();
    EXPECT_FALSE(cycles_find(0x200)) << "a popped entry is no longer open";
    EXPECT_TRUE(cycles_find(0x100));
    cycles_pop();
    cycles_pop();
    EXPECT_EQ(cycles_depth(), 0u) << "pop never goes below the base";
    cycles_push(0x400);
    EXPECT_EQ(cycles_depth(), 1u);
}

TEST_F(Cycles, PopNAndReset) {
    for (Offset n = 1; n <= 5; n++)
        cycles_push(n * 16);
    cycles_pop_n(2);
    EXPECT_EQ(cycles_depth(), 3u);
    EXPECT_FALSE(cycles_find(64));
    cycles_pop_n(10);
    EXPECT_EQ(cycles_depth(), 0u);
    cycles_push(16);
    cycles_reset();
    EXPECT_EQ(cycles_depth(), 0u);
    EXPECT_FALSE(cycles_find(16));
}

TEST_F(Cycles, NineHundredNinetyNineOpenSucceedTheThousandthIsTooDeep) {
    for (Offset n = 1; n < kCycleStackEntries; n++)
        cycles_push(n * 16);
    EXPECT_EQ(cycles_depth(), 999u);
    EXPECT_TRUE(cycles_find(999 * 16));
    uint32_t code = under_try([] { cycles_push(0x10000); });
    EXPECT_EQ(code, kThrowError);
    EXPECT_EQ(g_pending_error.category, kCatInternal);
    EXPECT_EQ(g_pending_error.id, err::internal::kTooDeep);
    EXPECT_EQ(g_pending_error.arg_count, 0);
    EXPECT_EQ(cycles_depth(), 0u) << "the next walk starts clean";
    EXPECT_FALSE(cycles_find(16));
}

TEST_F(Cycles, RelocateRewritesTheEntriesThatMoved) {
    cycles_push(0x100);
    cycles_push(0x200);
    cycles_push(0x300);
    PtrMap* map = ptrmap_make(4);
    ptrmap_put(map, 0x100, 0x1100);
    ptrmap_put(map, 0x300, 0x1300);
    ptrmap_put(map, 0x400, 0x1400);
    cycles_relocate(map);
    ptrmap_free(map);
    EXPECT_TRUE(cycles_find(0x1100));
    EXPECT_TRUE(cycles_find(0x200)) << "a node that did not move stays";
    EXPECT_TRUE(cycles_find(0x1300));
    EXPECT_FALSE(cycles_find(0x100));
    EXPECT_FALSE(cycles_find(0x1400)) << "only open entries are rewritten";
    EXPECT_EQ(cycles_depth(), 3u);
}

TEST_F(Cycles, TrackingNodeOfObjectsIsTheContext) {
    Cell obj{T_OBJECT, 0x500, 7, 0};
    Cell blk{T_BLOCK, 3, 0x600, 0};
    Cell map{T_MAP, 0, 0x700, 0x800};
    EXPECT_EQ(cycles_node_of(&obj), 0x500u);
    EXPECT_EQ(cycles_node_of(&blk), 0x600u);
    EXPECT_EQ(cycles_node_of(&map), 0x700u);
}

TEST_F(Cycles, DetectAppendsThePlaceholderOfAnOpenSeries) {
    struct Case {
        uint8_t type;
        const char* mold;
    };
    const Case cases[] = {
        {T_BLOCK, "[...]"},  {T_HASH, "[...]"},   {T_PAREN, "(...)"},
        {T_MAP, "#[...]"},   {T_PATH, "..."},     {T_LIT_PATH, "..."},
        {T_SET_PATH, "..."}, {T_GET_PATH, "..."}, {T_OBJECT, "make object! [...]"},
    };
    for (const Case& c : cases) {
        // The tracked node sits in word 1 for objects, word 2 for series.
        Cell value = c.type == T_OBJECT ? Cell{c.type, 0x900, 0, 0} : Cell{c.type, 0, 0x900, 0};
        for (bool mold : {true, false}) {
            Cell out{};
            string_make_at(&out, 8);
            string_concatenate_literal(&out, "a");
            int part = 50;
            EXPECT_FALSE(cycles_detect(&value, &out, &part, mold));
            EXPECT_EQ(part, 50);
            cycles_push(0x900);
            EXPECT_TRUE(cycles_detect(&value, &out, &part, mold));
            cycles_pop();
            std::string expected = mold ? c.mold : "...";
            EXPECT_EQ(string_utf8_text(&out), "a" + expected) << int(c.type);
            EXPECT_EQ(part, 50 - static_cast<int>(expected.size())) << int(c.type);
        }
    }
}

// Hooks record their calls here, tagged by which hook ran.
std::vector<std::string> g_calls;

template <int Tag> void value_hook(const Cell* s, int new_line) {
    g_calls.push_back("v" + std::to_string(Tag) + ":" + std::to_string(s->data2) + ":" +
                      std::to_string(new_line));
}
template <int Tag> void text_hook(const char* text, uint32_t length, int flag) {
    g_calls.push_back("t" + std::to_string(Tag) + ":" + std::string(text, length) + ":" +
                      std::to_string(flag));
}

class PrintHooks : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        g_calls.clear();
    }
};

TEST_F(PrintHooks, NoHookNoOutput) {
    EXPECT_TRUE(g_print_hooks_ready);
    Cell s{T_STRING, 0, 1, 0};
    printhooks_call_value_hooks(&s, 1);
    printhooks_call_text_hooks("x", 1, 0);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(PrintHooks, SixValueHooksGrowTheListAndRunInOrder) {
    EXPECT_EQ(g_value_hooks.capacity, 5u);
    printhooks_add(value_hook<1>, nullptr);
    printhooks_add(value_hook<2>, nullptr);
    printhooks_add(value_hook<3>, text_hook<1>);
    printhooks_add(value_hook<4>, nullptr);
    printhooks_add(value_hook<5>, nullptr);
    printhooks_add(value_hook<6>, nullptr);
    EXPECT_EQ(g_value_hooks.count, 6u);
    EXPECT_EQ(g_value_hooks.capacity, 10u);
    EXPECT_EQ(g_text_hooks.count, 1u);
    EXPECT_EQ(g_text_hooks.capacity, 5u);
    Cell s{T_STRING, 0, 77, 0};
    printhooks_call_value_hooks(&s, 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"v1:77:0", "v2:77:0", "v3:77:0", "v4:77:0",
                                                 "v5:77:0", "v6:77:0"}));
}

TEST_F(PrintHooks, TextHooksGetTextLengthAndFlag) {
    printhooks_add(nullptr, text_hook<1>);
    printhooks_add(nullptr, text_hook<2>);
    EXPECT_EQ(g_value_hooks.count, 0u);
    printhooks_call_text_hooks("hello world", 5, 1);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"t1:hello:1", "t2:hello:1"}));
}

TEST_F(PrintHooks, InitStartsEmptyAgain) {
    printhooks_add(value_hook<1>, text_hook<1>);
    printhooks_init();
    EXPECT_EQ(g_value_hooks.count, 0u);
    EXPECT_EQ(g_text_hooks.count, 0u);
}

} // namespace
