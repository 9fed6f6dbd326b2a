// Action dispatch, comparison, the stack-level entries and the fast paths.
#include <climits>

#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/actions/fast-paths.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/registry.h"
#include "runtime/natives/natives.h"

using namespace xel;
using namespace xel::test;

namespace {

// A stand-in type whose compare answers -2 (cannot compare) for every pair.
int incomparable(Cell*, Cell*, int) {
    return -2;
}
// A stand-in type ordered by its word 2.
int by_word2(Cell* a, Cell* b, int) {
    return a->data2 < b->data2 ? -1 : (a->data2 > b->data2 ? 1 : 0);
}

class Dispatch : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    // Runs a stack-level entry in a native frame named by name on the given
    // arguments and refinement positions; answers the result.
    Cell call(int slot, const char* name, std::initializer_list<Cell> args,
              std::initializer_list<int32_t> refs = {}) {
        Cell w = word(name);
        stack_mark_native(&w);
        for (const Cell& a : args)
            stack_push(&a);
        int32_t positions[16];
        for (int32_t& p : positions)
            p = -1;
        int i = 0;
        for (int32_t r : refs)
            positions[i++] = r;
        g_actions_table[slot - 1](0, positions);
        stack_unwind_keep();
        Cell result = *stack_top();
        stack_pop(1);
        return result;
    }

    Cell native_value() {
        Cell spec = block({block({word("a")}), integer(1)});
        Cell proto{T_DATATYPE, T_NATIVE, 0, 0};
        return *actions_make_typed(&proto, &spec);
    }
};

TEST_F(Dispatch, TheActionsTableHasSixtyTwoSlotsWithSetPathAndCompareEmpty) {
    for (int s = 1; s <= kActionCount; s++) {
        bool empty = s == A_SET_PATH || s == A_COMPARE;
        EXPECT_EQ(g_actions_table[s - 1] == nullptr, empty) << s;
    }
}

TEST_F(Dispatch, AnActionMissingFromTheRowRaisesExpectArg) {
    Cell nat = native_value();
    Cell e = error_of([&] { call(A_ADD, "add", {nat, nat}); });
    EXPECT_EQ(error_id(e), "expect-arg");
    EXPECT_EQ(symbol_name(word_symbol(error_field(&e, kErrFieldArg1))), std::string("add"));
    const Cell* dt = error_field(&e, kErrFieldArg2);
    EXPECT_EQ(type_of(dt), T_DATATYPE);
    EXPECT_EQ(dt->data1, T_NATIVE);
}

TEST_F(Dispatch, IncomparableValuesAreUnequalAndCannotBeOrdered) {
    ActionList row(T_TRIPLE, 0, "triple!");
    row.set<A_COMPARE>(incomparable);
    datatype_register(row);
    Cell a{T_TRIPLE, 0, 1, 0}, b{T_TRIPLE, 0, 2, 0};
    EXPECT_FALSE(actions_compare(&a, &b, kCmpEqual));
    EXPECT_TRUE(actions_compare(&a, &b, kCmpNotEqual));
    for (int op : {kCmpSame, kCmpFind, kCmpStrictEqual})
        EXPECT_FALSE(actions_compare(&a, &b, op)) << op;
    for (int op : {kCmpLesser, kCmpLesserEqual, kCmpGreater, kCmpGreaterEqual}) {
        Cell e = error_of([&] { actions_compare(&a, &b, op); });
        EXPECT_EQ(error_id(e), "invalid-compare") << op;
    }
}

TEST_F(Dispatch, CompareMapsTheThreeWayAnswerPerOperator) {
    ActionList row(T_TRIPLE, 0, "triple!");
    row.set<A_COMPARE>(by_word2);
    datatype_register(row);
    Cell one{T_TRIPLE, 0, 1, 0}, two{T_TRIPLE, 0, 2, 0};
    struct Case {
        int op;
        bool lesser, same;
    };
    const Case cases[] = {{kCmpEqual, false, true},        {kCmpNotEqual, true, false},
                          {kCmpStrictEqual, false, true},  {kCmpLesser, true, false},
                          {kCmpLesserEqual, true, true},   {kCmpGreater, false, false},
                          {kCmpGreaterEqual, false, true}, {kCmpSame, false, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(actions_compare(&one, &two, c.op), c.lesser) << c.op;
        EXPECT_EQ(actions_compare(&one, &one, c.op), c.same) << c.op;
    }
}

// The three-way order of sorting: code values by identity, an op! as the
// code it was made from, a pair of different types through the first's
// compare (never one value's words read as the other type's).
TEST_F(Dispatch, SortOrderOfCodeValues) {
    Cell one{T_INTEGER, 0, 1, 0}, two{T_INTEGER, 0, 2, 0};
    Cell n1 = native_value(), n2 = native_value();
    n2.data1 = 0x80000000u;
    // From a function, an op! keeps its context in word 1 and its record in
    // word 3: made from functions ordered by record, the ops follow them.
    constexpr uint32_t kOpOfFunction = T_OP | uint32_t{T_FUNCTION} << 16;
    Cell f1{T_FUNCTION, 0x900, 0, 0x100}, f2{T_FUNCTION, 0x500, 0, 0x200};
    Cell o1{kOpOfFunction, 0x900, 0, 0x100}, o2{kOpOfFunction, 0x500, 0, 0x200};
    Cell t{T_LOGIC, 1, 0, 0}, f{T_LOGIC, 0, 0, 0};
    struct Case {
        const char* name;
        Cell* a;
        Cell* b;
        int order;
    } cases[] = {{"integers", &one, &two, -1},
                 {"natives by their entry, unsigned", &n2, &n1, 1},
                 {"functions by their record", &f1, &f2, -1},
                 {"ops made from functions, as those functions", &o1, &o2, -1},
                 {"logic", &t, &f, 1},
                 {"an op and an integer: not comparable", &o1, &one, -2}};
    for (const Case& c : cases)
        EXPECT_EQ(element_compare_values(c.a, c.b, kCmpSort), c.order) << c.name;
}

TEST_F(Dispatch, CompareToLogicStoresTheResult) {
    Cell nat = native_value();
    Cell w = word("equal?");
    stack_mark_native(&w);
    stack_push(&nat);
    stack_push(&nat);
    actions_compare_to_logic(kCmpEqual);
    EXPECT_EQ(type_of(stack_arguments()), T_LOGIC);
    EXPECT_EQ(stack_arguments()->data1, 1u);
    stack_unwind();
}

TEST_F(Dispatch, FormWithAPartLimit) {
    Cell nat = native_value();
    EXPECT_EQ(utf8(call(A_FORM, "form", {nat})), "?native?");
    EXPECT_EQ(utf8(call(A_FORM, "form", {nat, integer(3)}, {1})), "?na");
    Cell empty = call(A_FORM, "form", {nat, integer(0)}, {1});
    EXPECT_EQ(type_of(&empty), T_STRING);
    EXPECT_EQ(utf8(empty), "");
    EXPECT_EQ(utf8(call(A_FORM, "form", {nat, integer(-4)}, {1})), "");
}

TEST_F(Dispatch, IndexArgumentsOfPickAndPoke) {
    Cell t{T_LOGIC, 1, 0, 0}, f{T_LOGIC, 0, 0, 0};
    Cell ch{T_CHAR, 0, 65, 0};
    Cell i = integer(-3);
    Cell other = text("x");
    EXPECT_EQ(actions_get_index_argument(&i), -3);
    EXPECT_EQ(actions_get_index_argument(&ch), 65);
    EXPECT_EQ(actions_get_index_argument(&t), 1);
    EXPECT_EQ(actions_get_index_argument(&f), 2);
    EXPECT_EQ(actions_get_index_argument(&other), 0);
}

TEST_F(Dispatch, IntegerMathOverflowsToFloat) {
    struct Case {
        int code;
        int32_t l, r;
        bool is_float;
        double expected;
    };
    const Case cases[] = {
        {0, INT32_MAX, 1, true, 2147483648.0},
        {1, INT32_MIN, 1, true, -2147483649.0},
        {2, 65536, 65536, true, 4294967296.0},
        {2, -65536, 32768, false, -2147483648.0},
        {0, -5, 3, false, -2},
        {1, 0, INT32_MIN, true, 2147483648.0},
        {5, INT32_MIN, INT32_MAX, false, -1},
        {6, -1, 12, false, 12},
        {7, -1, 0, false, -1},
    };
    Cell w = word("op");
    for (const Case& c : cases) {
        Cell l = integer(c.l), r = integer(c.r);
        ops_int_math(c.code, &w, &l, &r);
        Cell out = *stack_top();
        stack_pop(1);
        if (c.is_float) {
            ASSERT_EQ(type_of(&out), T_FLOAT) << c.code << " " << c.l << " " << c.r;
            EXPECT_EQ(cell_double(&out), c.expected);
        } else {
            ASSERT_EQ(type_of(&out), T_INTEGER) << c.code << " " << c.l << " " << c.r;
            EXPECT_EQ(static_cast<int32_t>(out.data2), static_cast<int32_t>(c.expected));
        }
    }
    // The top variants replace the top cell.
    Cell five = integer(5);
    stack_push(&five);
    Cell* top = stack_top();
    ops_int_math_imm_top(1, &w, 7);
    EXPECT_EQ(stack_top(), top);
    EXPECT_EQ(static_cast<int32_t>(top->data2), -2);
    stack_pop(1);
}

TEST_F(Dispatch, IntegerComparisonsInPlace) {
    Cell w = word("op");
    Cell two = integer(2), three = integer(3);
    const bool expected[] = {false, true, false, true, true, false, false};
    for (int code = 0; code <= 6; code++) {
        EXPECT_EQ(ops_int_compare_q(code, &w, &two, &three, false), expected[code]) << code;
        EXPECT_EQ(ops_int_compare_imm_q(code, &w, &two, 3, true), !expected[code]) << code;
        ops_int_compare(code, &w, &two, &three);
        EXPECT_EQ(stack_top()->data1 != 0, expected[code]);
        stack_pop(1);
    }
    Cell slot_frame = word("f");
    stack_mark_native(&slot_frame);
    stack_push(&two);
    EXPECT_TRUE(ops_int_compare_imm_set_q(3, &w, &two, 3));
    EXPECT_EQ(type_of(stack_arguments()), T_LOGIC);
    stack_unwind();
}

TEST_F(Dispatch, BlockPickAndNavigationFastPaths) {
    Cell w = word("op");
    Cell b = block({integer(10), integer(20), integer(30)});
    for (int32_t n : {0, 4, -1}) {
        ops_block_pick(&b, n, &w);
        EXPECT_EQ(type_of(stack_top()), T_NONE) << n;
        stack_pop(1);
    }
    ops_block_pick(&b, 3, &w);
    EXPECT_EQ(stack_top()->data2, 30u);
    stack_pop(1);

    auto reflect = [&](Cell v, int code) {
        ops_block_reflect(&v, code, &w);
        Cell r = *stack_top();
        stack_pop(1);
        return r;
    };
    Cell at_tail = b;
    at_tail.data1 = 3;
    EXPECT_EQ(reflect(at_tail, 5).data1, 3u) << "next at the tail stays";
    EXPECT_EQ(reflect(b, 6).data1, 0u) << "back at the head stays";
    EXPECT_EQ(reflect(b, 1).data2, 3u);
    Cell past = b;
    past.data1 = 7;
    EXPECT_EQ(reflect(past, 1).data2, 0u) << "length? is never negative";
    EXPECT_EQ(reflect(at_tail, 2).data2, 4u);
    EXPECT_EQ(reflect(b, 3).data1, 1u);
    EXPECT_EQ(reflect(at_tail, 4).data1, 1u);
    EXPECT_EQ(reflect(at_tail, 7).data1, 0u);
    EXPECT_EQ(reflect(b, 8).data1, 3u);
}

TEST_F(Dispatch, FallbacksRunTheGenericActionInANamedFrame) {
    // native! has no add: the fallback's error names the frame's word.
    Cell nat = native_value();
    Cell w = word("plus");
    Cell e = error_of([&] { ops_int_math(0, &w, &nat, &nat); });
    EXPECT_EQ(error_id(e), "expect-arg");
    EXPECT_EQ(symbol_name(word_symbol(error_field(&e, kErrFieldArg1))), std::string("plus"));
    // Comparisons of other types go through compare-to-logic.
    ops_int_compare(0, &w, &nat, &nat);
    EXPECT_EQ(type_of(stack_top()), T_LOGIC);
    EXPECT_EQ(stack_top()->data1, 1u);
    stack_pop(1);
}

std::string mold_of(Cell v) {
    Cell s = text("");
    actions_mold_typed(&v, &s, false, false, false, nullptr, INT_MAX, 0);
    return utf8(s);
}

TEST_F(Dispatch, AppendAndInsertCheckTheirPartAndDupArguments) {
    Cell one = integer(1), two = integer(2), three = integer(3);
    auto target = [] { return block({word("x")}); };
    Cell source = block({one, two, three});
    Cell at_two = source;
    at_two.data1 = 2;
    Cell limit_before = source;
    limit_before.data1 = 1;

    // A position before the value's index: the range runs from it to the index.
    Cell t = target();
    call(A_APPEND, "append", {t, at_two, limit_before}, {2});
    EXPECT_EQ(mold_of(t), "[x 2]");

    struct Case {
        const char* what;
        Cell value, part;
        const char* after;
    };
    const Case unchanged[] = {
        {"zero count", source, integer(0), "[x]"},
        {"negative count", source, integer(-2), "[x]"},
        {"empty range", at_two, at_two, "[x]"},
    };
    for (const Case& c : unchanged) {
        Cell tt = target();
        Cell r = call(A_INSERT, "insert", {tt, c.value, c.part}, {2});
        EXPECT_EQ(mold_of(tt), c.after) << c.what;
        EXPECT_EQ(r.data2, tt.data2) << "the target is the result";
    }
    Cell td = target();
    call(A_APPEND, "append", {td, one, integer(0)}, {-1, -1, 2});
    EXPECT_EQ(mold_of(td), "[x]") << "/dup below 1";

    Cell e = error_of([&] { call(A_APPEND, "append", {target(), one, integer(1)}, {2}); });
    EXPECT_EQ(error_id(e), "invalid-part");
    Cell other = block({one});
    e = error_of([&] { call(A_APPEND, "append", {target(), source, other}, {2}); });
    EXPECT_EQ(error_id(e), "invalid-refine-arg");
}

TEST_F(Dispatch, RefinementPositionsTellPresenceByMinusOne) {
    Cell w = word("f");
    Cell* args = stack_mark_native(&w);
    EXPECT_TRUE(ref_present(0)) << "a refinement at position 0 is present";
    EXPECT_FALSE(ref_present(kRefAbsent));
    EXPECT_EQ(ref_arg(kRefAbsent), nullptr);
    EXPECT_EQ(ref_arg(2), args + 2);
    EXPECT_EQ(call_arg(1), args + 1);
    stack_unwind();
}

} // namespace
