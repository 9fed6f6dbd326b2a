#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/ownership/ownership.h"
#include "runtime/printing/cycles.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/runtime_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

// One call of the deep-change handler, as the owner would see it.
struct Event {
    Offset owner_ctx;
    std::string field;
    Offset target;
    std::string action;
    uint8_t new_type;
    int index;
    int part;
};
std::vector<Event> g_events;

std::string word_text(const Cell* w) {
    return symbol_name(w->data2);
}

void record_event(Cell* owner, Cell* word, Cell* target, Cell* action, Cell* new_value, int index,
                  int part) {
    g_events.push_back({owner->data1, word_text(word), target->data2, word_text(action),
                        new_value ? uint8_t{type_of(new_value)} : uint8_t{0}, index, part});
}

class Ownership : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        g_events.clear();
        g_object_fire_on_deep_change = record_event;
    }

    static Cell string_of(const char* text) {
        Cell s{};
        string_make_at(&s, 8);
        string_concatenate_literal(&s, text);
        return s;
    }
    static Cell block_of(std::initializer_list<Cell> cells) {
        Cell b{};
        block_make_at(&b, static_cast<int>(cells.size()));
        for (const Cell& c : cells)
            block_append_copy(&b, &c);
        return b;
    }
    static Cell word_of(const char* name) { return Cell{T_WORD, 0, symbol_make(name), 0}; }
    // An object with the given fields (all unset!) and, with events, an event record.
    static Cell object_of(std::initializer_list<const char*> fields, bool events) {
        Offset ctx =
            context_make(static_cast<uint32_t>(fields.size()), kContextObject, 0, false, false);
        for (const char* f : fields)
            context_index_or_add(ctx, symbol_make(f));
        Cell obj{T_OBJECT, ctx, 1000000, events ? alloc_cells(2) : 0};
        *context_self(ctx) = obj;
        return obj;
    }
    static Cell* field(const Cell& obj, uint32_t i) { return context_value_at(obj.data1, i); }

    static uint32_t entries() { return hash_record(g_ownership_table)->size; }
    static bool owned(const Cell& series) { return buffer_of(series.data2)->flags & kFlagOwned; }
    static std::string owner_word(const Cell& series) {
        Cell* owner = ownership_find_owner(series.data2);
        return owner ? word_text(owner + 1) : "";
    }
};

TEST_F(Ownership, SetOwnerOwnsTheBlockAndWhatItHoldsDeeply) {
    Cell obj = object_of({"f"}, true);
    Cell s = string_of("s");
    Cell t = string_of("t");
    Cell inner = block_of({t});
    Cell outer = block_of({s, inner, Cell{T_INTEGER, 0, 3, 0}});
    Cell w = word_of("f");
    ownership_set_owner(&outer, &obj, &w);
    for (const Cell* series : {&outer, &s, &inner, &t}) {
        EXPECT_TRUE(owned(*series));
        Cell* owner = ownership_find_owner(series->data2);
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(owner->data1, obj.data1);
        EXPECT_EQ(word_text(owner + 1), "f");
        EXPECT_EQ(owner[-1].data2, series->data2) << "the entry holds the owned value";
    }
    EXPECT_EQ(entries(), 4u);
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(Ownership, ABlockContainingItselfIsOwnedOnce) {
    Cell obj = object_of({"f"}, true);
    Cell b = block_of({});
    block_append_copy(&b, &b);
    block_append_copy(&b, &b);
    Cell w = word_of("f");
    ownership_set_owner(&b, &obj, &w);
    EXPECT_EQ(entries(), 1u);
    EXPECT_TRUE(owned(b));
    ownership_unbind(&b);
    EXPECT_EQ(entries(), 0u);
    EXPECT_FALSE(owned(b));
}

TEST_F(Ownership, ASecondOwnerDoesNotReplaceTheFirst) {
    Cell first = object_of({"a"}, true);
    Cell second = object_of({"b"}, true);
    Cell s = string_of("x");
    Cell a = word_of("a"), b = word_of("b");
    ownership_set_owner(&s, &first, &a);
    ownership_set_owner(&s, &second, &b);
    EXPECT_EQ(ownership_find_owner(s.data2)->data1, first.data1);
    EXPECT_EQ(owner_word(s), "a");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(Ownership, ACopyIsNotOwned) {
    Cell obj = object_of({"f"}, true);
    Cell s = string_of("abc");
    Cell w = word_of("f");
    ownership_set_owner(&s, &obj, &w);
    Cell copy = s;
    copy.data2 = copy_series(buffer_of(s.data2));
    EXPECT_EQ(ownership_find_owner(copy.data2), nullptr);
    EXPECT_FALSE(ownership_check(&copy, &w, nullptr, 0, 1));
    EXPECT_TRUE(g_events.empty());
}

TEST_F(Ownership, UnbindingABlockUnbindsWhatItHolds) {
    Cell obj = object_of({"f"}, true);
    Cell shared = string_of("shared");
    Cell b1 = block_of({shared});
    Cell b2 = block_of({shared, string_of("only")});
    Cell w = word_of("f");
    ownership_set_owner(&b1, &obj, &w);
    ownership_set_owner(&b2, &obj, &w);
    EXPECT_EQ(entries(), 4u);
    ownership_unbind(&b1);
    EXPECT_FALSE(owned(b1));
    EXPECT_FALSE(owned(shared)) << "held by two blocks, freed by either";
    EXPECT_EQ(ownership_find_owner(shared.data2), nullptr);
    EXPECT_TRUE(owned(b2));
    EXPECT_EQ(entries(), 2u);
}

TEST_F(Ownership, UnbindRangeFreesOnlyThoseCells) {
    Cell obj = object_of({"f"}, true);
    Cell s1 = string_of("1"), s2 = string_of("2"), s3 = string_of("3");
    Cell b = block_of({s1, s2, s3});
    Cell w = word_of("f");
    ownership_set_owner(&b, &obj, &w);
    ownership_unbind_range(&b, 1, 5);
    EXPECT_TRUE(owned(s1));
    EXPECT_FALSE(owned(s2));
    EXPECT_FALSE(owned(s3));
    EXPECT_TRUE(owned(b));
}

TEST_F(Ownership, AnObjectOwnsItsFieldsUnderTheirOwnWords) {
    Cell obj = object_of({"name", "items", "me", "other"}, true);
    Cell other = object_of({"x"}, false);
    Cell other_string = string_of("o");
    *field(other, 0) = other_string;
    Cell name = string_of("n");
    Cell inner = string_of("i");
    Cell items = block_of({inner});
    *field(obj, 0) = name;
    *field(obj, 1) = items;
    *field(obj, 2) = obj;
    *field(obj, 3) = other;
    Cell self_word = word_of("self");
    ownership_set_owner_flagged(&obj, &obj, &self_word);
    EXPECT_TRUE(context_cell(obj.data1)->header & kContextOwnsSeries);
    EXPECT_EQ(owner_word(name), "name");
    EXPECT_EQ(owner_word(items), "items");
    EXPECT_EQ(owner_word(inner), "items");
    EXPECT_EQ(owner_word(other_string), "x") << "an inner object's field keeps its word";
    EXPECT_EQ(ownership_find_owner(other_string.data2)->data1, obj.data1);
    EXPECT_EQ(ownership_find_owner(obj.data1), nullptr) << "an object is not an entry";
    EXPECT_EQ(entries(), 4u);

    // The object now owns its series: a block holding it does not reach them.
    Cell holder = object_of({"h"}, true);
    Cell outer = block_of({obj});
    Cell h = word_of("h");
    ownership_set_owner(&outer, &holder, &h);
    EXPECT_EQ(entries(), 5u);
    ownership_unbind(&outer);
    EXPECT_TRUE(owned(name));
    EXPECT_EQ(entries(), 4u);
}

TEST_F(Ownership, UnbindingAnObjectFreesItsFields) {
    Cell obj = object_of({"a", "b"}, true);
    Cell sa = string_of("a"), sb = string_of("b");
    *field(obj, 0) = sa;
    *field(obj, 1) = block_of({sb});
    Cell w = word_of("w");
    Cell holder = object_of({"w"}, true);
    ownership_set_owner(&obj, &holder, &w);
    EXPECT_EQ(entries(), 3u);
    ownership_unbind(&obj);
    EXPECT_EQ(entries(), 0u);
    EXPECT_FALSE(owned(sa));
    EXPECT_FALSE(owned(sb));
}

TEST_F(Ownership, ImagesCarryTheFlagOnTheirCell) {
    Cell obj = object_of({"f"}, true);
    Cell image{T_IMAGE, 0, alloc_bytes(16), (2u << 16) | 2u};
    Cell w = word_of("f");
    ownership_set_owner(&image, &obj, &w);
    EXPECT_TRUE(image.header & kImageOwned);
    EXPECT_FALSE(buffer_of(image.data2)->flags & kFlagOwned);
    EXPECT_NE(ownership_find_owner(image.data2), nullptr);
    ownership_unbind(&image);
    EXPECT_FALSE(image.header & kImageOwned);
    EXPECT_EQ(ownership_find_owner(image.data2), nullptr);
    Cell empty{T_IMAGE, 0, 0, 0};
    ownership_set_owner(&empty, &obj, &w);
    EXPECT_EQ(entries(), 0u) << "an image without pixels has nothing to own";
}

TEST_F(Ownership, NestingPastTheCycleStackIsTooDeep) {
    Cell obj = object_of({"f"}, true);
    Cell b = block_of({});
    for (int i = 0; i < 1000; i++)
        b = block_of({b});
    Cell w = word_of("f");
    uint32_t code = under_try([&] { ownership_set_owner(&b, &obj, &w); });
    EXPECT_EQ(code, kThrowError);
    EXPECT_EQ(g_pending_error.category, kCatInternal);
    EXPECT_EQ(g_pending_error.id, err::internal::kTooDeep);
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(Ownership, CheckFiresOnlyForOwnersWithChangeHandlers) {
    Cell quiet = object_of({"f"}, false);
    Cell loud = object_of({"g"}, true);
    Cell s1 = string_of("1"), s2 = string_of("2");
    Cell f = word_of("f"), g = word_of("g");
    Cell action = word_of("appended");
    Cell value = Cell{T_INTEGER, 0, 5, 0};
    ownership_set_owner(&s1, &quiet, &f);
    ownership_set_owner(&s2, &loud, &g);
    EXPECT_FALSE(ownership_check(&s1, &action, &value, 0, 1));
    EXPECT_TRUE(g_events.empty());
    Cell unowned = string_of("u");
    EXPECT_FALSE(ownership_check(&unowned, &action, &value, 0, 1));
    Cell number{T_INTEGER, 0, 1, 0};
    EXPECT_FALSE(ownership_check(&number, &action, &value, 0, 1));
    EXPECT_TRUE(g_events.empty());

    EXPECT_TRUE(ownership_check(&s2, &action, &value, 3, 2));
    EXPECT_TRUE(ownership_check(&s2, &action, nullptr, 0, 0));
    ASSERT_EQ(g_events.size(), 2u);
    const Event& e = g_events[0];
    EXPECT_EQ(e.owner_ctx, loud.data1);
    EXPECT_EQ(e.field, "g");
    EXPECT_EQ(e.target, s2.data2);
    EXPECT_EQ(e.action, "appended");
    EXPECT_EQ(e.new_type, T_INTEGER);
    EXPECT_EQ(e.index, 3);
    EXPECT_EQ(e.part, 2);
    EXPECT_EQ(g_events[1].new_type, 0) << "no new value is passed as null";
}

TEST_F(Ownership, NotificationsUseTheActionWordPairs) {
    struct Pair {
        Change action;
        const char* before;
        const char* after;
    };
    const Pair pairs[] = {
        {Change::Append, "append", "appended"},
        {Change::Insert, "insert", "inserted"},
        {Change::Change, "change", "changed"},
        {Change::Clear, "clear", "cleared"},
        {Change::Move, "move", "moved"},
        {Change::Poke, "poke", "poked"},
        {Change::Put, "put", "put-ed"},
        {Change::Remove, "remove", "removed"},
        {Change::Random, "random", "randomized"},
        {Change::Reverse, "reverse", "reversed"},
        {Change::Sort, "sort", "sorted"},
        {Change::Swap, "swap", "swaped"},
        {Change::Take, "take", "taken"},
        {Change::Trim, "trim", "trimmed"},
        {Change::Uppercase, nullptr, "uppercase"},
        {Change::Lowercase, nullptr, "lowercase"},
    };
    Cell obj = object_of({"f"}, true);
    Cell s = string_of("abc");
    Cell w = word_of("f");
    ownership_set_owner(&s, &obj, &w);
    for (const Pair& p : pairs) {
        g_events.clear();
        EXPECT_EQ(ownership_notify_before(&s, p.action, nullptr, 1, 2), p.before != nullptr);
        EXPECT_TRUE(ownership_notify_after(&s, p.action, nullptr, 1, 2));
        std::vector<std::string> seen;
        for (const Event& e : g_events)
            seen.push_back(e.action);
        std::vector<std::string> expected;
        if (p.before) expected.push_back(p.before);
        expected.push_back(p.after);
        EXPECT_EQ(seen, expected);
    }
}

} // namespace
