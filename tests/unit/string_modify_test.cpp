// The modifying string actions at the level the language does not show:
// buffer units, size overflow, change reports to an owner, the set core.
#include <string>
#include <vector>

#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/ownership/ownership.h"
#include "runtime/symbols/symbols.h"
#include "series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

std::vector<std::string> g_reports;
// Set by a test: the handler empties the string it is told about.
bool g_clear_on_report = false;

void record_report(Cell*, Cell*, Cell* target, Cell* action, Cell*, int, int) {
    g_reports.push_back(symbol_name(action->data2));
    if (g_clear_on_report) {
        string_buffer(target)->tail = string_buffer(target)->head;
        g_clear_on_report = false;
    }
}

class StringModify : public SeriesFixture {
  protected:
    void SetUp() override {
        SeriesFixture::SetUp();
        g_reports.clear();
        g_object_fire_on_deep_change = record_report;
    }

    static uint32_t unit(const Cell& s) { return string_buffer(&s)->unit(); }
    static Cell ch(uint32_t cp) { return Cell{T_CHAR, 0, cp, 0}; }
    // A string in 1-byte units holding Latin-1 text.
    static Cell latin1(std::initializer_list<uint32_t> cps) {
        Cell s = text("");
        uint32_t i = 0;
        for (uint32_t cp : cps)
            string_poke_char_at(string_buffer(&s), i++, cp);
        return s;
    }
    // A string owned by an object with change handlers.
    static Cell owned(const char* t) {
        Offset ctx = context_make(1, kContextObject, 0, false, false);
        context_index_or_add(ctx, symbol_make("f"));
        Cell obj{T_OBJECT, ctx, 1000000, alloc_cells(2)};
        *context_self(ctx) = obj;
        Cell s = text(t);
        Cell word{T_WORD, 0, symbol_make("f"), 0};
        ownership_set_owner(&s, &obj, &word);
        return s;
    }
};

TEST_F(StringModify, IncomingUnitDecidesTheWidth) {
    Cell ab = text("ab");
    Cell e_acute = ch(233);
    string_append(&ab, &e_acute, nullptr, false, nullptr);
    EXPECT_EQ(unit(ab), 2u) << "a char above 127 needs 2-byte units";
    EXPECT_EQ(whole_text(ab), "ab\xC3\xA9");

    Cell cd = text("cd");
    Cell narrow = latin1({233});
    string_append(&cd, &narrow, nullptr, false, nullptr);
    EXPECT_EQ(unit(cd), 1u) << "a 1-byte string keeps its unit";
    EXPECT_EQ(whole_text(cd), "cd\xC3\xA9");

    Cell wide = text("xy");
    Cell emoji = ch(0x1F600);
    Cell at1 = at_index(wide, 1);
    string_insert(&at1, &emoji, nullptr, false, nullptr);
    EXPECT_EQ(unit(wide), 4u);
    EXPECT_EQ(whole_text(wide), "x\xF0\x9F\x98\x80y");
    // A narrower string into a wider one is written unit by unit.
    Cell more = text("z");
    Cell r = *string_change(&at1, &more, nullptr, false, nullptr);
    EXPECT_EQ(whole_text(wide), "xzy");
    EXPECT_EQ(r.data1, 2u);
    EXPECT_EQ(unit(more), 1u) << "the source is not widened";
}

TEST_F(StringModify, LongDupGrowsTheBuffer) {
    Cell s = text("<");
    Cell xy = text("xy");
    Cell dup = integer(100000);
    string_append(&s, &xy, nullptr, false, &dup);
    std::string all = whole_text(s);
    ASSERT_EQ(all.size(), 200001u);
    EXPECT_EQ(all.substr(0, 5), "<xyxy");
    EXPECT_EQ(all.substr(all.size() - 2), "xy");
}

TEST_F(StringModify, SizeOverflowRaisesNoMemory) {
    Cell s = text("ab");
    Cell xy = text("xy");
    Cell huge = integer(INT32_MAX);
    for (auto fn : {string_append, string_insert, string_change})
        expect_error(kCatInternal, err::internal::kNoMemory,
                     [&] { fn(&s, &xy, nullptr, false, &huge); });
    Cell wide = text("");
    string_append_char(string_buffer(&wide), 0x1F600);
    Cell quarter = integer(INT32_MAX / 4 + 1);
    expect_error(kCatInternal, err::internal::kNoMemory,
                 [&] { string_append(&s, &wide, nullptr, false, &quarter); });
    EXPECT_EQ(whole_text(s), "ab") << "nothing written";
}

TEST_F(StringModify, EveryActionReportsBeforeAndAfter) {
    struct Case {
        const char* name;
        void (*run)(Cell s);
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"append",
         [](Cell s) {
             Cell v = text("x");
             string_append(&s, &v, nullptr, false, nullptr);
         },
         {"append", "appended"}},
        {"insert",
         [](Cell s) {
             Cell v = ch('x');
             string_insert(&s, &v, nullptr, false, nullptr);
         },
         {"insert", "inserted"}},
        {"change",
         [](Cell s) {
             Cell v = ch('x');
             string_change(&s, &v, nullptr, false, nullptr);
         },
         {"change", "changed"}},
        {"swap",
         [](Cell s) {
             Cell other = text("z");
             string_swap(&s, &other);
         },
         {"swap", "swaped"}},
        {"sort", [](Cell s) { string_sort(&s, SortOptions{}); }, {"sort", "sorted"}},
        {"trim", [](Cell s) { string_trim(&s, TrimOptions{}); }, {"trim", "trimmed"}},
    };
    for (const Case& c : cases) {
        g_reports.clear();
        c.run(owned(" ba "));
        EXPECT_EQ(g_reports, c.words) << c.name;
    }
    g_reports.clear();
    Cell s = owned("ab");
    Cell v = text("c");
    string_write_value(StringWrite::Append, &s, &v, nullptr, false, nullptr, false);
    EXPECT_TRUE(g_reports.empty()) << "a builder's append reports nothing";
    EXPECT_EQ(whole_text(s), "abc");
}

TEST_F(StringModify, AHandlerThatEmptiesTheStringFirst) {
    Cell s = owned("abcdef");
    Cell at3 = at_index(s, 3);
    Cell v = text("XYZW");
    g_clear_on_report = true;
    Cell r = *string_change(&at3, &v, nullptr, false, nullptr);
    EXPECT_EQ(whole_text(s), "XYZW") << "written at the new tail";
    EXPECT_EQ(r.data1, 4u);

    Cell t = owned("cba");
    Cell part = integer(3);
    g_clear_on_report = true;
    string_sort(&t, SortOptions{.part = &part});
    EXPECT_EQ(whole_text(t), "");

    Cell u = owned("  a  ");
    g_clear_on_report = true;
    string_trim(&u, TrimOptions{});
    EXPECT_EQ(whole_text(u), "");
}

TEST_F(StringModify, SwapIntoABinaryKeepsItBytes) {
    Cell bin{T_BINARY, 0, alloc_bytes(4), 0};
    SeriesBuf* buf = buffer_of(bin.data2);
    *at(buf->tail++) = 'q';
    Cell wide = text("");
    string_append_char(string_buffer(&wide), 0x100);
    expect_error(kCatScript, err::script::kOutOfRange, [&] { string_swap(&wide, &bin); });
    EXPECT_EQ(*at(buffer_of(bin.data2)->head), 'q');
    Cell s = latin1({233});
    string_swap(&s, &bin);
    EXPECT_EQ(*at(buffer_of(bin.data2)->head), 233);
    EXPECT_EQ(string_char_at(&s, 0), static_cast<uint32_t>('q'));
}

TEST_F(StringModify, SetOperations) {
    struct Case {
        int op;
        const char* a;
        const char* b;
        bool case_;
        int skip;
        const char* expected;
    };
    const Case cases[] = {
        {8, "aabbc", "", false, 0, "abc"},
        {9, "abc", "bcd", false, 0, "abcd"},
        {10, "abc", "bcd", false, 0, "bc"},
        {11, "abc", "bcd", false, 0, "a"},
        {12, "abc", "bcd", false, 0, "ad"},
        {8, "aAbB", "", false, 0, "ab"},
        {8, "aAbB", "", true, 0, "aAbB"},
        {10, "aB", "Ab", false, 0, "aB"},
        {10, "aB", "Ab", true, 0, ""},
        {8, "a1a2b1", "", false, 2, "a1b1"},
        {11, "a1b2c3", "xyb0", false, 2, "a1c3"},
        {9, "a1", "b2a3", false, 2, "a1b2"},
    };
    for (const Case& c : cases) {
        Cell a = text(c.a);
        Cell b = text(c.b);
        Cell skip = integer(c.skip);
        string_set_operation(&a, &b, c.case_, c.skip ? &skip : nullptr, c.op);
        EXPECT_EQ(whole_text(a), c.expected) << c.op << " " << c.a << " " << c.b;
        EXPECT_EQ(a.data1, 0u);
    }
    // From the positions; a position past the tail counts as the tail.
    Cell a = at_index(text("xxab"), 2);
    Cell b = at_index(text("b"), 5);
    string_set_operation(&a, &b, false, nullptr, 9);
    EXPECT_EQ(whole_text(a), "ab");
    // The first argument's type is kept.
    Cell f = text("aa");
    f.header = T_FILE;
    string_set_operation(&f, &f, false, nullptr, 8);
    EXPECT_EQ(type_of(&f), T_FILE);
    EXPECT_EQ(whole_text(f), "a");
    Cell zero = integer(0);
    expect_error(kCatScript, err::script::kInvalidRefineArg,
                 [&] { string_set_operation(&a, &b, false, &zero, 8); });
}

} // namespace
