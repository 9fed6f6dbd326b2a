#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "services/random/random.h"
#include "tests/unit/runtime_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

Cell datatype_of(uint8_t t) {
    return Cell{T_DATATYPE, t, 0, 0};
}
Cell logic_of(bool b) {
    return Cell{T_LOGIC, b ? 1u : 0u, 0, 0};
}
Cell integer_of(int32_t v) {
    return Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
}
Cell double_of(uint8_t type, double d) {
    Cell c{type, 0, 0, 0};
    cell_set_double(&c, d);
    return c;
}
const Cell kUnset{T_UNSET, 0, 0, 0};
const Cell kNone{T_NONE, 0, 0, 0};

class Scalar : public RuntimeFixture {
  protected:
    // Puts the arguments in the current frame: the first is the result slot.
    static Cell* frame(const Cell& a, const Cell& b = kUnset) {
        stack_reset();
        Cell* args = stack_arguments();
        *stack_push_cell() = a;
        *stack_push_cell() = b;
        return args;
    }

    // The text and the returned part of form or mold.
    static std::string text(Cell value, bool mold, bool all, int* left = nullptr) {
        Cell out{};
        string_make_at(&out, 16);
        int part = mold ? action_of<A_MOLD>(type_of(&value))(&value, &out, false, all, false,
                                                             nullptr, 100, 0)
                        : action_of<A_FORM>(type_of(&value))(&value, &out, nullptr, 100);
        if (left) *left = part;
        return string_utf8_text(&out);
    }
};

TEST_F(Scalar, FormAndMold) {
    struct Case {
        Cell value;
        const char* form;
        const char* mold;
        const char* mold_all;
    };
    const Case cases[] = {
        {datatype_of(T_BLOCK), "block", "block!", "#(block!)"},
        {datatype_of(T_POINT2D), "point2D", "point2D!", "#(point2D!)"},
        {kUnset, "", "unset", "#(unset)"},
        {kNone, "none", "none", "#(none)"},
        {logic_of(true), "true", "true", "#(true)"},
        {logic_of(false), "false", "false", "#(false)"},
        {Cell{T_LOGIC, 2, 0, 0}, "false", "false", "#(false)"},
    };
    for (const Case& c : cases) {
        int left = 0;
        EXPECT_EQ(text(c.value, false, false, &left), c.form) << c.mold;
        EXPECT_EQ(left, 100 - static_cast<int>(std::strlen(c.form))) << c.mold;
        EXPECT_EQ(text(c.value, true, false, &left), c.mold);
        EXPECT_EQ(left, 100 - static_cast<int>(std::strlen(c.mold))) << c.mold;
        EXPECT_EQ(text(c.value, true, true, &left), c.mold_all);
        EXPECT_EQ(left, 100 - static_cast<int>(std::strlen(c.mold_all))) << c.mold;
    }
}

TEST_F(Scalar, Compare) {
    struct Case {
        Cell a;
        Cell b;
        int op;
        int expected; // -2 cannot compare; otherwise the sign
    };
    const Cell word{T_WORD, 0, 5, 0};
    const Case cases[] = {
        {datatype_of(T_INTEGER), datatype_of(T_INTEGER), 0, 0},
        {datatype_of(T_INTEGER), datatype_of(T_STRING), 0, 1},
        {datatype_of(T_INTEGER), datatype_of(T_STRING), 1, 1},
        {datatype_of(T_INTEGER), datatype_of(T_INTEGER), 9, 0},
        {datatype_of(T_INTEGER), datatype_of(T_INTEGER), 12, 0},
        {datatype_of(T_INTEGER), word, 0, 1}, // unequal, not an error
        {datatype_of(T_INTEGER), datatype_of(T_STRING), 3, -2},
        {datatype_of(T_INTEGER), datatype_of(T_INTEGER), 7, -2},
        {kUnset, kUnset, 0, 0},
        {kUnset, kUnset, 7, 0},
        {kUnset, kUnset, 12, 0},
        {kUnset, kUnset, 3, -2},
        {kUnset, kNone, 0, -2},
        {kNone, kNone, 2, 0},
        {kNone, kNone, 8, 0},
        {kNone, kNone, 6, -2},
        {kNone, integer_of(0), 0, -2},
        {logic_of(true), logic_of(true), 0, 0},
        {logic_of(true), logic_of(false), 1, 1},
        {logic_of(false), logic_of(true), 7, -1}, // false sorts first
        {logic_of(true), logic_of(false), 8, 1},
        {logic_of(true), logic_of(false), 3, -2},
        {logic_of(true), integer_of(1), 0, -2},
    };
    for (const Case& c : cases) {
        Cell a = c.a, b = c.b;
        int r = action_of<A_COMPARE>(type_of(&a))(&a, &b, c.op);
        int sign = r == -2 ? -2 : (r > 0) - (r < 0);
        EXPECT_EQ(sign, c.expected) << int(type_of(&a)) << " op " << c.op;
    }
}

TEST_F(Scalar, LogicMakeAndTo) {
    struct Case {
        Cell spec;
        bool make;
        bool to;
    };
    Cell str{};
    string_make_at(&str, 8);
    string_concatenate_literal(&str, "false");
    const Case cases[] = {
        {integer_of(0), false, true},
        {integer_of(-1), true, true},
        {double_of(T_FLOAT, 0.0), false, true},
        {double_of(T_FLOAT, -0.0), false, true},
        {double_of(T_FLOAT, std::numeric_limits<double>::quiet_NaN()), true, true},
        {double_of(T_FLOAT, 0.5), true, true},
        {double_of(T_PERCENT, 0.0), false, true},
        {str, true, true},
        {kNone, false, false},
        {kUnset, true, true},
        {logic_of(false), false, false},
        {logic_of(true), true, true},
    };
    Cell type = datatype_of(T_LOGIC);
    for (const Case& c : cases) {
        Cell spec = c.spec;
        Cell* r = action_of<A_MAKE>(T_LOGIC)(&type, &spec, T_LOGIC);
        EXPECT_EQ(r, stack_arguments());
        EXPECT_EQ(type_of(r), T_LOGIC);
        EXPECT_EQ(r->data1, c.make ? 1u : 0u) << "make from type " << int(type_of(&spec));
        r = action_of<A_TO>(T_LOGIC)(&type, &spec, T_LOGIC);
        EXPECT_EQ(type_of(r), T_LOGIC);
        EXPECT_EQ(r->data1, c.to ? 1u : 0u) << "to from type " << int(type_of(&spec));
    }
}

TEST_F(Scalar, UnsetAndNoneMakeWhateverTheSpec) {
    for (uint8_t t : {T_UNSET, T_NONE}) {
        Cell type = datatype_of(t);
        for (Cell spec : {integer_of(3), logic_of(true), kNone}) {
            *stack_arguments() = integer_of(9);
            EXPECT_EQ(type_of(action_of<A_MAKE>(t)(&type, &spec, t)), t);
            *stack_arguments() = integer_of(9);
            EXPECT_EQ(type_of(action_of<A_TO>(t)(&type, &spec, t)), t);
        }
    }
}

TEST_F(Scalar, NoneSeriesActionsAnswerNone) {
    Cell none = kNone;
    Cell one = integer_of(1);
    auto reset = [] { *stack_arguments() = integer_of(9); };
    reset();
    EXPECT_EQ(type_of(action_of<A_CLEAR>(T_NONE)(&none)), T_NONE);
    reset();
    EXPECT_EQ(type_of(action_of<A_FIND>(T_NONE)(&none, &one, FindOptions{})), T_NONE);
    reset();
    EXPECT_EQ(type_of(action_of<A_SELECT>(T_NONE)(&none, &one, FindOptions{})), T_NONE);
    reset();
    EXPECT_EQ(type_of(action_of<A_REMOVE>(T_NONE)(&none, nullptr, nullptr)), T_NONE);
    reset();
    EXPECT_EQ(type_of(action_of<A_TAKE>(T_NONE)(&none, nullptr, false, false)), T_NONE);
    EXPECT_EQ(action_of<A_LENGTH_Q>(T_NONE)(&none), -1);
}

TEST_F(Scalar, LogicComplementAndOperators) {
    Cell* args = frame(logic_of(true));
    Cell* r = action_of<A_COMPLEMENT>(T_LOGIC)(args);
    EXPECT_EQ(r, args);
    EXPECT_EQ(r->data1, 0u);
    EXPECT_EQ(action_of<A_COMPLEMENT>(T_LOGIC)(args)->data1, 1u);

    struct Case {
        int slot;
        bool a, b, expected;
    };
    const Case cases[] = {
        {A_AND_T, true, true, true},    {A_AND_T, true, false, false},
        {A_AND_T, false, false, false}, {A_OR_T, false, true, true},
        {A_OR_T, false, false, false},  {A_XOR_T, true, true, false},
        {A_XOR_T, true, false, true},   {A_XOR_T, false, false, false},
    };
    for (const Case& c : cases) {
        args = frame(logic_of(c.a), logic_of(c.b));
        reinterpret_cast<DirectFn>(action_entry(T_LOGIC, c.slot))();
        EXPECT_EQ(type_of(args), T_LOGIC);
        EXPECT_EQ(args->data1, c.expected ? 1u : 0u) << c.slot << c.a << c.b;
    }
}

TEST_F(Scalar, LogicOperatorRefusesANonLogicArgument) {
    uint32_t code = under_try([] {
        frame(logic_of(true), integer_of(1));
        reinterpret_cast<DirectFn>(action_entry(T_LOGIC, A_AND_T))();
    });
    EXPECT_EQ(code, kThrowError);
    EXPECT_EQ(g_pending_error.category, kCatScript);
    EXPECT_EQ(g_pending_error.id, err::script::kExpectArg);
    ASSERT_EQ(g_pending_error.arg_count, 3);
    EXPECT_EQ(type_of(&g_pending_error.args[0]), T_WORD) << "the called function's word";
    EXPECT_EQ(type_of(&g_pending_error.args[2]), T_WORD) << "its second argument's word";
    EXPECT_EQ(type_of(&g_pending_error.args[1]), T_DATATYPE);
    EXPECT_EQ(g_pending_error.args[1].data1, T_INTEGER);
}

TEST_F(Scalar, LogicRandomDrawsAboveTheMidpointAndSeedsWithItsTruth) {
    auto random = action_of<A_RANDOM>(T_LOGIC);
    Cell* args = frame(logic_of(true));
    EXPECT_EQ(type_of(random(args, true, false, false)), T_UNSET);
    std::vector<uint32_t> drawn;
    for (int i = 0; i < 64; i++) {
        Cell* r = random(stack_arguments(), false, false, false);
        ASSERT_EQ(type_of(r), T_LOGIC);
        drawn.push_back(r->data1);
    }
    random_seed(1);
    int trues = 0;
    for (uint32_t d : drawn) {
        EXPECT_EQ(d, random_next() > 0x3FFFFFFFu ? 1u : 0u);
        trues += static_cast<int>(d);
    }
    EXPECT_GT(trues, 0);
    EXPECT_LT(trues, 64);
    Cell* r = random(stack_arguments(), false, true, false);
    EXPECT_EQ(type_of(r), T_LOGIC);
}

TEST_F(Scalar, TruthTests) {
    struct Case {
        Cell value;
        bool truth;
    };
    const Case cases[] = {
        {kNone, false},
        {logic_of(false), false},
        {Cell{T_LOGIC, 2, 0, 0}, false},
        {logic_of(true), true},
        {integer_of(0), true},
        {kUnset, true},
        {datatype_of(T_NONE), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(logic_true(&c.value, false, nullptr), c.truth) << int(type_of(&c.value));
        frame(c.value);
        EXPECT_EQ(logic_false(), !c.truth);
        EXPECT_EQ(logic_top_true(), true) << "the top is the second cell, unset!";
        stack_keep();
        EXPECT_EQ(logic_top_true(), c.truth);
        stack_reset();
        EXPECT_EQ(logic_top_true(), c.truth) << "nothing above: the frame's base cell";
        if (type_of(&c.value) != T_UNSET) {
            frame(c.value);
            EXPECT_EQ(logic_arg_true(), c.truth);
            EXPECT_EQ(logic_true(&c.value, true, nullptr), c.truth);
        }
    }
}

TEST_F(Scalar, UnsetConditionsRaise) {
    static const Cell word{T_WORD, 0, 7, 3};
    uint32_t code = under_try([] { logic_true(&kUnset, true, &word); });
    EXPECT_EQ(code, kThrowError);
    EXPECT_EQ(g_pending_error.category, kCatScript);
    EXPECT_EQ(g_pending_error.id, err::script::kNoValue);
    ASSERT_EQ(g_pending_error.arg_count, 1);
    EXPECT_EQ(g_pending_error.args[0].data2, 7u);

    code = under_try([] {
        frame(kUnset);
        logic_arg_true();
    });
    EXPECT_EQ(code, kThrowError);
    EXPECT_EQ(g_pending_error.id, err::script::kNoReturn);
    EXPECT_EQ(g_pending_error.arg_count, 0);
}

TEST_F(Scalar, CellHelpers) {
    Cell blk{};
    block_make_at(&blk, 4);
    datatype_make_in(&blk, T_STRING);
    unset_make_in(&blk);
    none_make_in(&blk);
    logic_make_in(&blk, true);
    logic_make_in(&blk, false);
    ASSERT_EQ(block_buffer_length(&blk), 5u);
    Cell* c = block_cell_at(&blk, 0);
    EXPECT_EQ(type_of(&c[0]), T_DATATYPE);
    EXPECT_EQ(c[0].data1, T_STRING);
    EXPECT_EQ(type_of(&c[1]), T_UNSET);
    EXPECT_EQ(type_of(&c[2]), T_NONE);
    EXPECT_EQ(logic_get(&c[3]), 1u);
    EXPECT_EQ(logic_get(&c[4]), 0u);

    stack_reset();
    Cell* base = stack_arguments();
    EXPECT_EQ(datatype_push(T_MAP)->data1, T_MAP);
    EXPECT_EQ(type_of(unset_push()), T_UNSET);
    EXPECT_EQ(type_of(none_push()), T_NONE);
    EXPECT_EQ(logic_get(logic_push(true)), 1u);
    EXPECT_EQ(g_stack_top - base, 4);

    *base = integer_of(5);
    EXPECT_EQ(none_box(), base);
    EXPECT_EQ(type_of(base), T_NONE);
    EXPECT_EQ(type_of(unset_box()), T_UNSET);
    EXPECT_EQ(logic_get(logic_box(false)), 0u);
    EXPECT_EQ(type_of(base), T_LOGIC);
}

TEST_F(Scalar, RowsAndSharedCells) {
    EXPECT_EQ(type_of(&g_unset_cell), T_UNSET);
    EXPECT_EQ(type_of(&g_none_cell), T_NONE);
    EXPECT_EQ(logic_get(&g_true_cell), 1u);
    EXPECT_EQ(logic_get(&g_false_cell), 0u);
    struct Row {
        uint8_t type;
        std::initializer_list<int> slots;
    };
    const Row rows[] = {
        {T_DATATYPE, {A_FORM, A_MOLD, A_COMPARE}},
        {T_UNSET, {A_MAKE, A_TO, A_FORM, A_MOLD, A_COMPARE}},
        {T_NONE,
         {A_MAKE, A_TO, A_FORM, A_MOLD, A_COMPARE, A_CLEAR, A_FIND, A_LENGTH_Q, A_REMOVE, A_SELECT,
          A_TAKE}},
        {T_LOGIC,
         {A_MAKE, A_RANDOM, A_TO, A_FORM, A_MOLD, A_COMPARE, A_AND_T, A_COMPLEMENT, A_OR_T,
          A_XOR_T}},
    };
    for (const Row& r : rows)
        for (int slot = 1; slot <= kActionCount; slot++) {
            bool listed = std::find(r.slots.begin(), r.slots.end(), slot) != r.slots.end();
            EXPECT_EQ(action_entry(r.type, slot) != 0, listed) << int(r.type) << " slot " << slot;
        }
    EXPECT_EQ(action_entry(T_UNSET, A_MAKE), action_entry(T_UNSET, A_TO));
    EXPECT_EQ(action_entry(T_NONE, A_MAKE), action_entry(T_NONE, A_TO));
}

} // namespace
