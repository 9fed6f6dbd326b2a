// native!, action! and op!, and the natives table.
#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/natives/natives.h"

using namespace xel;
using namespace xel::test;

namespace {

class Native : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    Cell make(uint8_t type, Cell spec) {
        Cell proto{T_DATATYPE, type, 0, 0};
        return *actions_make_typed(&proto, &spec);
    }
    Cell make_native(int index, std::initializer_list<Cell> args) {
        return make(T_NATIVE, block({block(args), integer(index)}));
    }
    // A function! value over a spec and body (the record's body cell set).
    Cell function_value(Cell spec, Cell body) {
        Cell record = block({body, g_none_cell, g_unset_cell, g_none_cell, g_none_cell});
        return Cell{T_FUNCTION, 0, spec.data2, record.data2};
    }
    std::string formed(Cell v) {
        Cell s = text("");
        actions_form_typed(&v, &s, nullptr, 1000);
        return utf8(s);
    }
    std::string molded(Cell v, bool only = false) {
        Cell s = text("");
        actions_mold_typed(&v, &s, only, false, false, nullptr, 1000, 0);
        return utf8(s);
    }
};

TEST_F(Native, MakeChecksTheSpecBlockAndTheIndexRange) {
    Cell a = word("a");
    struct Case {
        uint8_t type;
        Cell spec;
    };
    const Case bad[] = {
        {T_NATIVE, block({block({a}), integer(0)})},
        {T_NATIVE, block({block({a}), integer(121)})},
        {T_NATIVE, block({block({a}), integer(1), integer(2)})},
        {T_ACTION, block({block({a}), integer(63)})},
        {T_NATIVE, block({a, integer(1)})}, // the spec must be a block!
        {T_NATIVE, block({block({a}), text("1")})},
        {T_NATIVE, integer(1)},
    };
    for (const Case& c : bad) {
        Cell e = error_of([&] { make(c.type, c.spec); });
        EXPECT_EQ(error_id(e), "bad-make-arg");
    }
    Cell n = make_native(120, {a});
    EXPECT_EQ(type_of(&n), T_NATIVE);
    EXPECT_EQ(n.data1, 120u);
    Cell act = make(T_ACTION, block({block({a}), integer(62)}));
    EXPECT_EQ(type_of(&act), T_ACTION);
    // Word 3: the spec's context cell, then an empty argument-list cache.
    Cell record;
    block_set_cell(&record, T_BLOCK, n.data3, 0);
    ASSERT_EQ(block_length_at(&record), 2);
    EXPECT_EQ(type_of(block_rs_head(&record)), T_CONTEXT);
    EXPECT_EQ(type_of(block_rs_head(&record) + 1), T_NONE);
}

TEST_F(Native, OpSpecsMustHaveTwoPlainLeadingArguments) {
    Cell a = word("a"), b = word("b"), c = word("c");
    Cell la = word_as("a", T_LIT_WORD), lb = word_as("b", T_LIT_WORD);
    Cell rc = word_as("c", T_REFINEMENT), local = word_as("local", T_REFINEMENT);
    Cell ret = word_as("return", T_SET_WORD);
    struct Case {
        Cell spec;
        bool fits;
    };
    const Case cases[] = {
        {block({a, b}), true},
        {block({a}), false},
        {block({la, b}), false},
        {block({a, lb}), true},
        {block({a, b, rc}), false},
        {block({a, b, local, c}), true},
        {block({a, b, ret, block({})}), true},
        {block({a, block({word("integer!")}), text("doc"), b}), true},
        {block({a, b, c}), false},
    };
    for (const Case& k : cases) {
        Cell fn = function_value(k.spec, block({}));
        Cell e = error_of([&] { make(T_OP, fn); });
        if (k.fits) {
            EXPECT_EQ(type_of(&e), T_UNSET) << error_text(e);
        } else {
            EXPECT_EQ(error_id(e), "bad-op-spec");
        }
    }
    Cell e = error_of([&] { make(T_OP, integer(1)); });
    EXPECT_EQ(error_id(e), "invalid-type");
}

TEST_F(Native, AnOpCopiesItsSourceAndRecordsFunctionSources) {
    Cell spec = block({word("a"), word("b")});
    Cell body = block({word("a")});
    Cell fn = function_value(spec, body);
    Cell op = make(T_OP, fn);
    EXPECT_EQ(type_of(&op), T_OP);
    EXPECT_EQ(op_source_type(&op), T_FUNCTION);
    EXPECT_EQ(op.data3, fn.data3) << "shares the function record";
    Cell record;
    block_set_cell(&record, T_BLOCK, fn.data3, 0);
    EXPECT_EQ(type_of(block_rs_head(&record) + 3), T_FUNCTION) << "op source stored";

    Cell nat = make_native(11, {word("a"), word("b")});
    Cell nop = make(T_OP, nat);
    EXPECT_EQ(nop.header, T_OP | (T_NATIVE << 16));
    EXPECT_EQ(nop.data1, nat.data1);
}

TEST_F(Native, ReflectSpecAndBody) {
    Cell spec = block({word("a"), word("b")});
    Cell add = make(T_ACTION, block({spec, integer(11)}));
    auto reflect = [&](Cell v, const char* field) {
        Cell f = word(field);
        return *actions_reflect_typed(&v, &f);
    };
    EXPECT_EQ(reflect(add, "body").data2, 11u);
    EXPECT_EQ(reflect(make(T_OP, add), "body").data2, 11u);
    Cell s = reflect(add, "spec");
    EXPECT_EQ(type_of(&s), T_BLOCK);
    EXPECT_EQ(s.data2, spec.data2) << "the spec itself, not a copy";
    EXPECT_EQ(s.data1, 0u);
    Cell fn = function_value(spec, block({word("a")}));
    Cell body = reflect(make(T_OP, fn), "body");
    EXPECT_EQ(type_of(&body), T_BLOCK);
    Cell e = error_of([&] { reflect(add, "words"); });
    EXPECT_EQ(error_id(e), "not-done");
}

TEST_F(Native, FormMoldAndCompare) {
    Cell nat = make_native(23, {word("value")});
    Cell act = make(T_ACTION, block({block({word("value")}), integer(5)}));
    EXPECT_EQ(formed(nat), "?native?");
    EXPECT_EQ(formed(act), "?action?");
    EXPECT_EQ(formed(make(T_OP, make_native(11, {word("a"), word("b")}))), "?op?");
    EXPECT_EQ(molded(nat), "make native! [[value]]");
    EXPECT_EQ(molded(act), "make action! [[value]]");
    EXPECT_EQ(molded(nat, true), "make native! [value]");
    Cell ab = make_native(11, {word("a"), word("b")});
    EXPECT_EQ(molded(make(T_OP, ab)), "make op! [[a b]]");
    Cell fn = function_value(block({word("a"), word("b")}), block({word("a")}));
    EXPECT_EQ(molded(make(T_OP, fn)), "make op! func [a b][a]");

    Cell other = make_native(24, {word("value")});
    EXPECT_FALSE(actions_compare(&nat, &other, kCmpEqual));
    EXPECT_TRUE(actions_compare(&nat, &nat, kCmpEqual));
    Cell op = make(T_OP, ab);
    EXPECT_FALSE(actions_compare(&ab, &op, kCmpEqual)) << "different types";
    EXPECT_TRUE(actions_compare(&ab, &op, kCmpNotEqual));
}

TEST_F(Native, TheTableHas120SlotsAndOnlyBuiltNativesHaveCode) {
    EXPECT_EQ(g_natives_fill, static_cast<uint32_t>(kNativeCount + 1));
    for (int i = kNativeCount + 1; i <= kNativesCapacity; i++)
        EXPECT_EQ(native_code(static_cast<uint32_t>(i)), nullptr) << i;
    EXPECT_EQ(native_code(0), nullptr);
    EXPECT_EQ(native_code(121), nullptr);
    EXPECT_STREQ(native_name(1), "if");
    EXPECT_STREQ(native_name(70), "try");
    EXPECT_STREQ(native_name(107), "apply");
    EXPECT_EQ(native_name(108), nullptr);
    EXPECT_EQ(type_of(&g_print_buffer), T_BLOCK);
}

} // namespace
