// object! internals that scripts cannot reach directly: class ids, the event
// record, construct and set-from (the bodies of natives), the deep-change
// call and the copy of series values.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "boot/boot-load.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/interpreter/interp.h"
#include "tests/unit/evaluator_test_support.h"

namespace xel::test {
namespace {

class Object : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        stack_mark_try(g_word_try);
        boot_run_top_level();
    }

    static Cell loaded(const char* source) {
        Cell proto{T_DATATYPE, T_BLOCK, 0, 0};
        Cell text_value = text(source);
        return *block_to(&proto, &text_value, T_BLOCK);
    }
    // The value of the code's last expression (an error fails the test).
    static Cell run(const char* source) {
        Cell code = loaded(source);
        Cell* slot = stack_push_cell();
        Cell result{T_UNSET, 0, 0, 0};
        Cell err = error_of([&] {
            EXPECT_FALSE(interp_eval_block(&code, false).exit_pending()) << source;
            result = *stack_top();
        });
        EXPECT_EQ(type_of(&err), T_UNSET) << source << ": " << error_text(err);
        g_stack_top = slot;
        return result;
    }
    static std::string mold(Cell value) {
        Cell out;
        string_make_at(&out, 64);
        actions_mold_typed(&value, &out, false, false, true, nullptr, INT_MAX, 0);
        return utf8(out);
    }
    static Cell field(const Cell& object, const char* name) {
        Cell w = word(name);
        return *object_select_word(&object, &w);
    }
    static Cell* record(const Cell& object) {
        return at<Cell>(buffer_of(object_events(&object))->head);
    }
};

TEST_F(Object, ClassIdsCountFromOneMillionAndRestartWithTheRuntime) {
    // The library's top level makes objects of its own before this one.
    Cell first = run("make object! [a: 1]");
    auto id = object_class_id(&first);
    EXPECT_GT(id, kFirstRuntimeClassId);
    EXPECT_EQ(object_new_class_id(), id + 1);
    fresh_runtime();
    EXPECT_EQ(object_new_class_id(), kFirstRuntimeClassId + 1);
}

TEST_F(Object, EventRecordHoldsIndexLocalsAndSpec) {
    Cell plain = run("make object! [a: 1]");
    EXPECT_EQ(object_events(&plain), 0u);

    Cell o = run("make object! [a: 1 on-change*: func [w o n /local x y] []]");
    ASSERT_NE(object_events(&o), 0u);
    Cell change = record(o)[kEventOnChange];
    Cell deep = record(o)[kEventOnDeepChange];
    Cell handler = field(o, "on-change*");
    EXPECT_EQ(type_of(&change), T_PAIR);
    EXPECT_EQ(change.data2 >> 16, 1u) << "index of on-change* in the context";
    EXPECT_EQ(change.data2 & 0xFFFF, 3u) << "/local and its two words";
    EXPECT_EQ(change.data3, function_spec_node(&handler));
    EXPECT_GE(deep.data2, kNoHandler);
    // The self cell carries the record too, so slot writers find the handlers.
    EXPECT_EQ(context_self(object_context(&o))->data3, object_events(&o));
}

TEST_F(Object, ReplacedHandlerIsRecountedWhenItFires) {
    Cell o = run("log: [] o: make object! [a: 1 on-change*: func [w o n] [append log w]]");
    EXPECT_EQ(record(o)[kEventOnChange].data2 & 0xFFFF, 0u);
    // Replaced without an event: the record still describes the old handler.
    Cell fresh = run("func [w o n /local t] [t: w append log t]");
    Offset ctx = object_context(&o);
    *context_value_at(ctx, 1) = fresh;
    Cell w = word("a");
    Cell old_value = integer(1);
    Cell new_value = integer(2);
    Cell err = error_of([&] { object_fire_on_change(&o, &w, &old_value, &new_value); });
    EXPECT_EQ(type_of(&err), T_UNSET) << error_text(err);
    EXPECT_EQ(record(o)[kEventOnChange].data2 & 0xFFFF, 2u);
    EXPECT_EQ(record(o)[kEventOnChange].data3, function_spec_node(&fresh));
    EXPECT_EQ(mold(run("log")), "[a]");
}

TEST_F(Object, ConstructTakesValuesUnevaluated) {
    struct Case {
        bool only;
        const char* expected;
    } cases[] = {
        {false, "make object! [a: 1 b: 1 c: true d: none e: false f: 'x g: none]"},
        {true, "make object! [a: 1 b: 1 c: 'true d: 'none e: 'off f: 'x g: none]"},
    };
    for (const Case& c : cases) {
        Cell spec = loaded("a: b: 1 + 2 c: true d: none e: off f: x g:");
        Cell* kept = stack_push(&spec);
        Cell made = *object_construct(kept, nullptr, c.only);
        EXPECT_EQ(mold(made), c.expected) << "only " << c.only;
        EXPECT_GT(object_class_id(&made), kFirstRuntimeClassId);
    }
}

TEST_F(Object, ConstructFromPrototypeKeepsItsClassAndCopiesIt) {
    Cell proto = run("p: make object! [a: 1 s: \"x\"]");
    Cell spec = loaded("a: 2 n: 3");
    Cell* kept = stack_push(&spec);
    Cell made = *object_construct(kept, &proto, false);
    EXPECT_EQ(mold(made), "make object! [a: 2 s: \"x\" n: 3]");
    EXPECT_EQ(object_class_id(&made), object_class_id(&proto));
    Cell s1 = field(made, "s");
    Cell s2 = field(proto, "s");
    EXPECT_NE(s1.data2, s2.data2) << "the prototype's string is copied";
    EXPECT_EQ(mold(proto), "make object! [a: 1 s: \"x\"]");
}

TEST_F(Object, SetFromBlockFiresForEveryWordButTheHandlers) {
    Cell o = run("log: [] o: make object! [a: 1 on-change*: func [w o n] [append log w] b: 2]");
    Cell values = loaded("10 20 30");
    object_set_from(&o, &values, false, false, false);
    EXPECT_EQ(mold(field(o, "a")), "10");
    EXPECT_EQ(mold(field(o, "b")), "30");
    Cell handler = field(o, "on-change*");
    EXPECT_EQ(type_of(&handler), T_FUNCTION) << "handler words are not overwritten";
    EXPECT_EQ(mold(run("log")), "[a b]");
    EXPECT_EQ(mold(run("reflect o 'changed")), "[a on-change* b]");
}

TEST_F(Object, SetFromChecksUnsetValuesFirst) {
    Cell o = run("o: make object! [a: 1 b: 2]");
    Cell values = loaded("10 x");
    Offset values_node = values.data2;
    set_unset(at<Cell>(buffer_of(values_node)->head) + 1);
    Cell err = error_of([&] { object_set_from(&o, &values, false, false, false); });
    EXPECT_EQ(error_id(err), "need-value");
    EXPECT_EQ(mold(field(o, "a")), "1") << "nothing is set before the check";
    object_set_from(&o, &values, true, false, false);
    EXPECT_EQ(mold(field(o, "a")), "10");
    Cell b = field(o, "b");
    EXPECT_EQ(type_of(&b), T_UNSET);
}

TEST_F(Object, SetFromVariants) {
    struct Case {
        const char* source;
        bool only, some;
        const char* expected;
    } cases[] = {
        {"[5]", false, false, "make object! [a: 5 b: none]"},
        {"reduce [none 7]", false, true, "make object! [a: 1 b: 7]"},
        {"[5 6]", true, false, "make object! [a: [5 6] b: [5 6]]"},
        {"make object! [b: 9 z: 0]", false, false, "make object! [a: 1 b: 9]"},
        {"8", false, false, "make object! [a: 8 b: 8]"},
    };
    for (const Case& c : cases) {
        Cell o = run("make object! [a: 1 b: 2]");
        Cell value = run(c.source);
        object_set_from(&o, &value, false, c.only, c.some);
        EXPECT_EQ(mold(o), c.expected) << c.source;
    }
}

TEST_F(Object, DeepChangeNeedsAnEventRecord) {
    Cell o = run("make object! [b: []]");
    Cell w = word("b");
    Cell target = field(o, "b");
    Cell action = *g_word_append;
    Cell err =
        error_of([&] { object_fire_on_deep_change(&o, &w, &target, &action, nullptr, 0, 1); });
    EXPECT_EQ(error_id(err), "invalid-obj-evt");
}

TEST_F(Object, DeepChangeHandlerGetsSevenArguments) {
    Cell o = run("log: [] o: make object! [b: [] on-deep-change*: "
                 "func [o w t a n i p] [append/only log reduce [same? o self w a :n i p]]]");
    Cell w = word("b");
    Cell target = field(o, "b");
    Cell action = *g_word_inserted;
    Cell value = integer(4);
    object_fire_on_deep_change(&o, &w, &target, &action, &value, 2, 3);
    object_fire_on_deep_change(&o, &w, &target, &action, nullptr, 0, 0);
    EXPECT_EQ(mold(run("log")), "[[true b inserted 4 2 3] [true b inserted none 0 0]]");
}

TEST_F(Object, CopyValuesCopiesSeriesAndBindsBlocks) {
    Cell source = run("s: make object! [a: 1 b: [a] t: \"x\"]");
    Cell target = run("t: make object! [a: 2 b: none t: none]");
    object_copy_values(object_context(&source), object_context(&target), false);
    EXPECT_EQ(mold(field(target, "a")), "2") << "only series values without copy-all";
    EXPECT_EQ(mold(run("do t/b")), "2") << "the copied block is bound to the target";
    EXPECT_EQ(mold(run("do s/b")), "1");
    EXPECT_NE(field(target, "t").data2, field(source, "t").data2);
    object_copy_values(object_context(&source), object_context(&target), true);
    EXPECT_EQ(mold(field(target, "a")), "1");
}

TEST_F(Object, MadeValuesLoseTheirNewLineMarkers) {
    Cell o = run("make object! [a:\n 1 b:\n [x]]");
    Offset ctx = object_context(&o);
    for (uint32_t i = 0; i < context_word_count(ctx); i++)
        EXPECT_EQ(context_value_at(ctx, i)->header & kNewLineFlag, 0u) << i;
}

} // namespace
} // namespace xel::test
