// typeset!: bit order, making, molding, set operations, find and compare.
#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/typeset/typeset.h"

using namespace xel;
using namespace xel::test;

namespace {

Cell datatype(uint8_t t) {
    return Cell{T_DATATYPE, t, 0, 0};
}
Cell typeset_of(std::initializer_list<uint8_t> types) {
    Cell ts = typeset_cell(0, 0, 0);
    for (uint8_t t : types)
        typeset_set_type(&ts, t);
    return ts;
}

class Typeset : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    Cell make(Cell spec) {
        Cell proto = datatype(T_TYPESET);
        return *actions_make_typed(&proto, &spec);
    }
    std::string molded(Cell v, bool only = false, int part = 1000, int* left = nullptr) {
        Cell s = text("");
        Cell limit = integer(part);
        int n =
            actions_mold_typed(&v, &s, only, false, false, part < 1000 ? &limit : nullptr, part, 0);
        if (left) *left = n;
        return utf8(s);
    }
    std::string formed(Cell v) {
        Cell s = text("");
        actions_form_typed(&v, &s, nullptr, 1000);
        return utf8(s);
    }
    // Runs a direct action on a frame of two arguments; answers the result slot.
    Cell direct(void (*fn)(), Cell a, Cell b) {
        stack_reset();
        stack_push(&a);
        stack_push(&b);
        fn();
        Cell out = *stack_arguments();
        stack_reset();
        return out;
    }
    Cell bitwise(int op, Cell a, Cell b) {
        stack_reset();
        stack_push(&a);
        stack_push(&b);
        typeset_do_bitwise(op);
        Cell out = *stack_arguments();
        stack_reset();
        return out;
    }
    static bool same_bits(const Cell& a, const Cell& b) {
        return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3;
    }
    // Gives a global word a value, as a script's set-word would.
    void define(const char* name, Cell value) {
        Cell w = word(name);
        context_set(&w, &value);
    }
};

TEST_F(Typeset, BitOrderIsMostSignificantFirstInMemoryOrder) {
    Cell ts = typeset_of({T_DATATYPE, T_INTEGER});
    const uint8_t* bytes = typeset_bytes(&ts);
    EXPECT_EQ(bytes[0], 0x40) << "datatype! is the second bit of the first byte";
    EXPECT_EQ(bytes[1], 0x10) << "integer! (11) is bit 0x80 >> 3 of byte 1";
    EXPECT_TRUE(typeset_has(&ts, T_INTEGER));
    EXPECT_FALSE(typeset_has(&ts, T_FLOAT));
    EXPECT_EQ(typeset_count_types(&ts), 2u);
    Cell top = typeset_of({T_IMAGE});
    EXPECT_EQ(typeset_bytes(&top)[6], 0x04) << "image! is 53: byte 6, bit 0x80 >> 5";
}

TEST_F(Typeset, MoldListsTypesInIdOrder) {
    Cell ts = make(block({word("float!"), word("integer!")}));
    EXPECT_EQ(type_of(&ts), T_TYPESET);
    struct Case {
        Cell value;
        bool only;
        const char* text;
    };
    const Case cases[] = {
        {ts, false, "make typeset! [integer! float!]"},
        {ts, true, "integer! float!"},
        {make(block({})), false, "make typeset! []"},
        {make(block({})), true, ""},
        {typeset_of({T_DATATYPE}), false, "make typeset! [datatype!]"},
        {typeset_of({T_POINT2D, T_UNSET}), false, "make typeset! [unset! point2D!]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(molded(c.value, c.only), c.text);
    EXPECT_EQ(formed(ts), "make typeset! [integer! float!]");
}

TEST_F(Typeset, MoldCountsItsTextAgainstThePartLimit) {
    Cell ts = typeset_of({T_NONE, T_LOGIC, T_BLOCK});
    int left = 0;
    EXPECT_EQ(molded(ts, false, 500, &left), "make typeset! [none! logic! block!]");
    EXPECT_EQ(left, 500 - 35);
    EXPECT_EQ(molded(ts, true, 500, &left), "none! logic! block!");
    EXPECT_EQ(left, 500 - 19);
    EXPECT_EQ(molded(typeset_cell(0, 0, 0), false, 500, &left), "make typeset! []");
    EXPECT_EQ(left, 500 - 16);
    // Below 0 after the second name: the third is not written.
    EXPECT_EQ(molded(ts, false, 25, &left), "make typeset! [none! logic!]");
    EXPECT_EQ(left, 25 - 28);
}

TEST_F(Typeset, MakeAddsDatatypesAndTypesets) {
    define("number!", typeset_of({T_INTEGER, T_FLOAT, T_PERCENT}));
    Cell u = make(block({word("integer!"), word("number!"), word("char!")}));
    EXPECT_TRUE(same_bits(u, typeset_of({T_INTEGER, T_FLOAT, T_PERCENT, T_CHAR})));
    Cell direct_values = make(block({datatype(T_BLOCK), typeset_of({T_PAREN})}));
    EXPECT_TRUE(same_bits(direct_values, typeset_of({T_BLOCK, T_PAREN})));

    Cell given = typeset_of({T_STRING});
    given.header |= 1u << 20;
    Cell same = make(given);
    EXPECT_TRUE(same_bits(same, given)) << "a typeset spec is taken as it is";

    Cell proto = datatype(T_TYPESET);
    Cell spec = block({word("integer!")});
    Cell converted = *actions_to_typed(&proto, &spec);
    EXPECT_TRUE(same_bits(converted, typeset_of({T_INTEGER}))) << "to is make";
}

TEST_F(Typeset, MakeRefusesOtherValues) {
    Cell e = error_of([&] { make(block({integer(1)})); });
    EXPECT_EQ(error_id(e), "invalid-arg");
    EXPECT_EQ(error_field(&e, kErrFieldArg1)->data2, 1u);

    Cell e2 = error_of([&] { make(block({word("no-such-type!")})); });
    EXPECT_EQ(error_id(e2), "invalid-arg") << "a word without a value";
    EXPECT_EQ(type_of(error_field(&e2, kErrFieldArg1)), T_WORD) << "reported as written";

    Cell e3 = error_of([&] { make(integer(1)); });
    EXPECT_EQ(error_id(e3), "bad-to-arg");
    EXPECT_EQ(error_field(&e3, kErrFieldArg1)->data1, static_cast<uint32_t>(T_TYPESET));
}

TEST_F(Typeset, ArgumentTypeBlocks) {
    define("number!", typeset_of({T_INTEGER, T_FLOAT}));
    define("a-word", word("foo"));
    Cell list = block({});
    Cell types = block({word("string!"), word("number!"), word("a-word"), block({})});
    Cell got = *typeset_from_block(&list, &types);
    EXPECT_TRUE(same_bits(got, typeset_of({T_STRING, T_INTEGER, T_FLOAT, T_OBJECT})))
        << "a word naming a word admits object!, a block adds nothing";
    EXPECT_EQ(block_length_at(&list), 1);

    Cell bad = block({word("integer!"), integer(123)});
    Cell e = error_of([&] { typeset_from_block(&list, &bad); });
    EXPECT_EQ(error_id(e), "invalid-type-spec");
    EXPECT_EQ(error_field(&e, kErrFieldArg1)->data2, 123u);

    Cell unset_word = block({word("nothing-here")});
    Cell e2 = error_of([&] { typeset_from_block(&list, &unset_word); });
    EXPECT_EQ(error_id(e2), "no-value");
}

TEST_F(Typeset, TheDefaultSetAdmitsEverythingButUnset) {
    Cell list = block({});
    Cell ts = *typeset_make_default_in(&list);
    for (int id = 1; id <= g_highest_type; id++)
        EXPECT_EQ(typeset_has(&ts, static_cast<uint8_t>(id)), id != T_UNSET) << id;
    EXPECT_EQ(typeset_count_types(&ts), static_cast<uint32_t>(g_highest_type - 1));
    // Bytes in memory order: datatype! is 0x40 in the low byte of word 1.
    Cell bits = *typeset_make_in(&list, 0x40u, 0, 0);
    EXPECT_TRUE(same_bits(bits, typeset_of({T_DATATYPE})));
    EXPECT_EQ(block_length_at(&list), 2);
}

TEST_F(Typeset, BitwiseAndSetOperations) {
    Cell a = typeset_of({T_INTEGER, T_FLOAT});
    Cell b = typeset_of({T_FLOAT, T_STRING});
    struct Case {
        int op;
        Cell second;
        Cell expected;
    };
    const Case cases[] = {
        {kMathOr, b, typeset_of({T_INTEGER, T_FLOAT, T_STRING})},
        {kSetUnion, datatype(T_CHAR), typeset_of({T_INTEGER, T_FLOAT, T_CHAR})},
        {kMathAnd, b, typeset_of({T_FLOAT})},
        {kSetIntersect, datatype(T_INTEGER), typeset_of({T_INTEGER})},
        {kMathXor, b, typeset_of({T_INTEGER, T_STRING})},
        {kSetDifference, b, typeset_of({T_INTEGER, T_STRING})},
        {kSetExclude, datatype(T_INTEGER), typeset_of({T_FLOAT})},
    };
    for (const Case& c : cases) {
        Cell r = bitwise(c.op, a, c.second);
        EXPECT_EQ(type_of(&r), T_TYPESET) << c.op;
        EXPECT_TRUE(same_bits(r, c.expected)) << c.op;
    }
    Cell kept = bitwise(kSetUnique, a, b);
    EXPECT_TRUE(same_bits(kept, a)) << "unique stores nothing";

    Cell e = error_of([&] { bitwise(kMathOr, a, integer(1)); });
    EXPECT_EQ(error_id(e), "invalid-arg");

    // The row's entries.
    EXPECT_TRUE(same_bits(direct(action_of<A_AND_T>(T_TYPESET), a, b), typeset_of({T_FLOAT})));
    EXPECT_TRUE(same_bits(direct(action_of<A_OR_T>(T_TYPESET), a, b),
                          typeset_of({T_INTEGER, T_FLOAT, T_STRING})));
    EXPECT_TRUE(
        same_bits(direct(action_of<A_XOR_T>(T_TYPESET), a, b), typeset_of({T_INTEGER, T_STRING})));
}

TEST_F(Typeset, ComplementCoversEveryRegisteredType) {
    Cell empty = typeset_cell(0, 0, 0);
    Cell all = *actions_complement_typed(&empty);
    EXPECT_EQ(typeset_count_types(&all), static_cast<uint32_t>(g_highest_type));
    EXPECT_TRUE(typeset_has(&all, T_UNSET));
    Cell back = *actions_complement_typed(&all);
    EXPECT_TRUE(same_bits(back, empty));
}

TEST_F(Typeset, Find) {
    Cell ts = typeset_of({T_INTEGER});
    auto find = [&](Cell value) { return *actions_find_typed(&ts, &value, FindOptions{}); };
    Cell yes = find(datatype(T_INTEGER));
    EXPECT_EQ(type_of(&yes), T_LOGIC);
    EXPECT_EQ(yes.data1, 1u);
    EXPECT_EQ(find(datatype(T_FLOAT)).data1, 0u);
    Cell e = error_of([&] { find(integer(1)); });
    EXPECT_EQ(error_id(e), "invalid-arg");
}

TEST_F(Typeset, Compare) {
    Cell a = typeset_of({T_INTEGER, T_FLOAT});
    Cell a2 = typeset_of({T_FLOAT, T_INTEGER});
    Cell b = typeset_of({T_STRING});
    Cell blk = block({});
    EXPECT_TRUE(actions_compare(&a, &a2, kCmpEqual));
    EXPECT_TRUE(actions_compare(&a, &a2, kCmpSame));
    EXPECT_FALSE(actions_compare(&a, &b, kCmpEqual));
    EXPECT_TRUE(actions_compare(&a, &b, kCmpNotEqual));
    EXPECT_FALSE(actions_compare(&a, &blk, kCmpEqual));
    EXPECT_EQ(typeset_compare(&a, &blk, kCmpEqual), -2);
    EXPECT_EQ(typeset_compare(&b, &a, kCmpSort), -1) << "fewer types sort first";
    EXPECT_EQ(typeset_compare(&a, &b, kCmpCaseSort), 1);
    EXPECT_EQ(typeset_compare(&a, &a2, kCmpSort), 0);
    EXPECT_EQ(typeset_compare(&a, &b, kCmpLesser), -2) << "no order for lesser?";
    Cell beyond = a;
    beyond.data3 |= 1; // a bit above every registered id
    EXPECT_EQ(typeset_compare(&a, &beyond, kCmpEqual), 1) << "all 96 bits take part";
}

TEST_F(Typeset, ToBlockGivesTheNameWords) {
    Cell ts = typeset_of({T_FLOAT, T_NONE});
    Cell out;
    typeset_to_block(&ts, &out);
    ASSERT_EQ(block_length_at(&out), 2);
    EXPECT_EQ(type_of(block_rs_head(&out)), T_WORD);
    EXPECT_EQ(symbol_name(word_symbol(block_rs_head(&out))), std::string("none!"));
    EXPECT_EQ(symbol_name(word_symbol(block_rs_head(&out) + 1)), std::string("float!"));
}

} // namespace
