// function! and routine!: making, spec checks, locals of the function
// native, reflection, mold, compare, the routine table and the interpreter's
// cached argument lists.
#include <cstring>
#include <vector>

#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/printing/cycles.h"

using namespace xel;
using namespace xel::test;

namespace {

Cell datatype(uint8_t t) {
    return Cell{T_DATATYPE, t, 0, 0};
}
Cell paren(std::initializer_list<Cell> values) {
    Cell p = block(values);
    cell_set_type(&p, T_PAREN);
    return p;
}
Cell at_index(Cell c, uint32_t index) {
    c.data1 = index;
    return c;
}

class Function : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    Cell make(Cell spec) {
        Cell proto = datatype(T_FUNCTION);
        return *actions_make_typed(&proto, &spec);
    }
    // func spec body, without the spec check.
    Cell func(Cell spec, Cell body, Offset ctx = 0, uint32_t code = 0, Offset owner = 0) {
        Cell fn = *function_make_compiled(&spec, &body, ctx, code, owner, 0);
        stack_pop(1);
        return fn;
    }
    std::string molded(Cell v, bool only = false, int part = 1000, int* left = nullptr) {
        Cell s = text("");
        int n = actions_mold_typed(&v, &s, only, false, false, nullptr, part, 0);
        if (left) *left = n;
        return utf8(s);
    }
    // A block's cells molded one by one, strings written in quotes by hand.
    std::string shown(const Cell& b) {
        std::string out = "[";
        for (uint32_t i = block_index(&b); i < block_buffer_length(&b); i++) {
            Cell c = *block_cell_at(&b, i);
            if (out.size() > 1) out += " ";
            out += type_of(&c) == T_STRING ? "\"" + utf8(c) + "\"" : molded(c);
        }
        return out + "]";
    }
    static bool same_cells(const Cell& a, const std::vector<Cell>& cells) {
        if (block_buffer_length(&a) != cells.size()) return false;
        return std::memcmp(block_cell_at(&a, 0), cells.data(), cells.size() * sizeof(Cell)) == 0;
    }
    static std::vector<Cell> cells_of(const Cell& a) {
        std::vector<Cell> out;
        for (uint32_t i = 0; i < block_buffer_length(&a); i++)
            out.push_back(*block_cell_at(&a, i));
        return out;
    }
    std::string formed(Cell v) {
        Cell s = text("");
        actions_form_typed(&v, &s, nullptr, 1000);
        return utf8(s);
    }
    Cell reflect(Cell v, const char* field) {
        Cell f = word(field);
        return *actions_reflect_typed(&v, &f);
    }
    static Cell record(const Cell& fn) {
        Cell r;
        block_set_cell(&r, T_BLOCK, fn.data3, 0);
        return r;
    }
    static Cell record_cell(const Cell& fn, uint32_t i) { return function_record(&fn)[i]; }
    static std::string name_of(const Cell* word) { return symbol_name(word_symbol(word)); }
    Cell spec_of(const Cell& fn) {
        Cell s;
        function_spec_block(&fn, &s);
        return s;
    }
    // Gives a global word a value, as a script's set-word would.
    void define(const char* name, Cell value) {
        Cell w = word(name);
        context_set(&w, &value);
    }
};

TEST_F(Function, MakeFromSpecAndBody) {
    Cell x = word("x");
    Cell fn = make(block({block({x}), block({x})}));
    EXPECT_EQ(type_of(&fn), T_FUNCTION);
    EXPECT_EQ(molded(fn), "func [x][x]");
    EXPECT_EQ(formed(fn), "?function?");
    EXPECT_EQ(stack_top(), stack_arguments()) << "the value is the action's result, no more";

    Cell body = block({x});
    Cell spec = block({x});
    Cell bodiless = *function_make_compiled(&spec, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(molded(bodiless), "func [x] none");
    EXPECT_EQ(type_of(stack_top()), T_FUNCTION) << "make-compiled pushes the value";
    EXPECT_EQ(stack_top()->data3, bodiless.data3);

    Cell traced = make(block({block({block({word("trace")}), x}), body}));
    EXPECT_EQ(traced.header & 0xFFFF, T_FUNCTION | kFunctionTrace);
}

TEST_F(Function, MakeRefusesMalformedDefinitions) {
    Cell a = word("a");
    const Cell bad[] = {
        block({block({a, word("b")})}), // no body
        block({block({a}), word("x")}), // the body is not a block
        block({a, block({})}),          // the spec is not a block
        integer(1),
    };
    for (const Cell& arg : bad) {
        Cell e = error_of([&] { make(arg); });
        ASSERT_EQ(error_id(e), "bad-func-def");
        EXPECT_EQ(molded(*error_field(&e, kErrFieldArg1)), molded(arg)) << "the whole argument";
    }
    Cell e = error_of([&] { make(block({block({a, a}), block({})})); });
    EXPECT_EQ(error_id(e), "dup-vars") << "the spec is checked";
}

TEST_F(Function, SpecChecks) {
    Cell a = word("a"), b = word("b");
    Cell la = word_as("a", T_LIT_WORD), gb = word_as("b", T_GET_WORD);
    Cell local = word_as("local", T_REFINEMENT), ref = word_as("ref", T_REFINEMENT);
    Cell ret = word_as("return", T_SET_WORD), other = word_as("other", T_SET_WORD);
    Cell ints = block({word("integer!")});
    Cell doc = text("doc");
    define("a-word", word("foo"));
    struct Case {
        Cell spec;
        const char* error; // nullptr: accepted
    };
    const Case cases[] = {
        {block({a, doc, ints}), "bad-func-def"},
        {block({a, ints, doc}), nullptr},
        {block({a, local, b, ret, ints}), "bad-func-def"},
        {block({a, ret, ints, local, b}), nullptr},
        {block({ret, ints, a}), "bad-func-def"},
        {block({ret, ints, doc, ref}), "bad-func-def"},
        {block({ret, ints, integer(5)}), "bad-func-def"},
        {block({ret, a}), "bad-func-def"},
        {block({a, ret, ints, ret, ints}), "bad-func-def"},
        {block({other, ints}), "bad-func-def"},
        {block({local, la}), "bad-func-def"},
        {block({local, a, ref}), "bad-func-def"},
        {block({ref, integer(1)}), "bad-func-def"},
        {block({a, integer(1)}), "bad-func-def"},
        {block({doc, la, ints, doc, gb, block({word("a-word")}), ref, doc, local, word("z")}),
         nullptr},
        {block({block({word("no-trace"), integer(1)}), a}), "bad-func-def"},
        {block({a, block({integer(123)})}), "invalid-type-spec"},
        {block({a, block({word("unset-type-word")})}), "no-value"},
        {block({a, b, a}), "dup-vars"},
        {block({ref, word("ref")}), "dup-vars"},
        {block({word("A"), a}), "dup-vars"},
        {block({ret, ints, local, word("return")}), nullptr},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const Case& c = cases[i];
        std::vector<Cell> before = cells_of(c.spec);
        Cell e = error_of([&] { function_validate_spec(&c.spec); });
        if (c.error)
            EXPECT_EQ(error_id(e), c.error) << i << " " << shown(c.spec);
        else
            EXPECT_EQ(type_of(&e), T_UNSET) << i << " " << shown(c.spec) << " " << error_id(e);
        EXPECT_TRUE(same_cells(c.spec, before)) << i << ": the spec is not changed";
    }
}

TEST_F(Function, SpecErrorsNameTheirCulprit) {
    Cell spec = block({word("a"), text("doc"), block({})});
    Cell e = error_of([&] { function_validate_spec(&spec); });
    EXPECT_EQ(error_field(&e, kErrFieldArg1)->data2, spec.data2) << "the spec block";

    Cell types = block({word("a"), block({word("integer!"), integer(123)})});
    e = error_of([&] { function_validate_spec(&types); });
    EXPECT_EQ(error_field(&e, kErrFieldArg1)->data2, 123u);

    Cell dup = block({word("x"), word_as("a", T_REFINEMENT), word("A")});
    e = error_of([&] { function_validate_spec(&dup); });
    EXPECT_EQ(type_of(error_field(&e, kErrFieldArg1)), T_WORD) << "the later of the two";
    EXPECT_EQ(name_of(error_field(&e, kErrFieldArg1)), "A");
}

TEST_F(Function, AttributeFlags) {
    struct Case {
        std::initializer_list<const char*> words;
        uint32_t flags;
    };
    const Case cases[] = {
        {{"trace"}, kFunctionTrace},
        {{"no-trace"}, kFunctionNoTrace},
        {{"catch", "TRACE", "no-trace"}, kFunctionTrace | kFunctionNoTrace},
        {{}, 0},
    };
    for (const Case& c : cases) {
        Cell attributes = block({});
        for (const char* w : c.words) {
            Cell cell = word(w);
            block_append_copy(&attributes, &cell);
        }
        Cell spec = block({attributes, word("a")});
        EXPECT_EQ(function_validate_spec(&spec), c.flags);
    }
    Cell plain = block({word("a")});
    EXPECT_EQ(function_validate_spec(&plain), 0u);
}

TEST_F(Function, MakeCompiledBuildsTheRecordAndTheContext) {
    Cell a = word("a"), b = word("b"), z = word("z");
    Cell spec = block({a, b});
    Cell inner = block({b});
    Cell body = block({a, inner, paren({z}), z});
    Cell fn = func(spec, body);

    EXPECT_EQ(fn.header, static_cast<uint32_t>(T_FUNCTION));
    EXPECT_EQ(fn.data2, spec.data2) << "a spec at its head is shared";
    Cell rec = record(fn);
    ASSERT_EQ(block_length_at(&rec), 5);
    Cell copy = record_cell(fn, kRecordBody);
    EXPECT_NE(copy.data2, body.data2) << "the body is copied";
    EXPECT_NE(block_rs_head(&copy)[1].data2, inner.data2) << "deeply";
    EXPECT_NE(block_rs_head(&copy)[2].data2, block_rs_head(&body)[2].data2) << "parens too";
    for (uint32_t i : {kRecordCache, kRecordCode, kRecordOpSource, kRecordOwner})
        EXPECT_EQ(type_of(&function_record(&fn)[i]), T_UNSET) << i;

    Offset ctx = function_context(&fn);
    EXPECT_EQ(context_kind(ctx), static_cast<uint32_t>(kContextFunction));
    EXPECT_EQ(context_word_count(ctx), 2u);
    EXPECT_EQ(context_self(ctx)->data3, fn.data3) << "the context leads back to its function";
    EXPECT_EQ(word_context(block_rs_head(&copy)), ctx) << "body words of the spec are bound";
    Cell nested = block_rs_head(&copy)[1];
    EXPECT_EQ(word_context(block_rs_head(&nested)), ctx);
    EXPECT_EQ(word_context(block_rs_head(&copy) + 3), g_global_context) << "others keep theirs";
    EXPECT_EQ(word_context(block_rs_head(&body)), g_global_context) << "the given body is intact";
}

TEST_F(Function, MakeCompiledWithCodeOwnerAndItsOwnContext) {
    Cell spec = block({word("a")});
    Cell body = block({word("a")});
    Offset ctx = context_make_from_words(&spec, kContextFunction, true);
    Offset owner = context_make(1, kContextObject, 0, false, false);
    Cell fn = func(spec, body, ctx, 7, owner);
    EXPECT_EQ(function_context(&fn), ctx);
    EXPECT_EQ(record_cell(fn, kRecordCode).data2, 7u);
    EXPECT_EQ(type_of(&function_record(&fn)[kRecordCode]), T_INTEGER);
    EXPECT_EQ(record_cell(fn, kRecordOwner).data2, owner);
    Cell copy = record_cell(fn, kRecordBody);
    EXPECT_EQ(word_context(block_rs_head(&copy)), g_global_context)
        << "a given context was bound by its maker";
}

TEST_F(Function, ASpecPastItsHeadIsCopiedFromItsPosition) {
    Cell spec = block({word("x"), word("a"), word("b")});
    Cell fn = func(at_index(spec, 1), block({}));
    EXPECT_NE(fn.data2, spec.data2);
    EXPECT_EQ(molded(fn), "func [a b][]");
    EXPECT_EQ(context_word_count(function_context(&fn)), 2u);
    Cell past = func(at_index(spec, 9), at_index(block({integer(1)}), 5));
    EXPECT_EQ(molded(past), "func [][]") << "positions past the tail read as the tail";
}

TEST_F(Function, Reflect) {
    Cell spec = block({word("a"), word_as("r", T_REFINEMENT), word("b")});
    Cell fn = func(spec, block({word("a"), word("b")}));
    Cell s = reflect(fn, "spec");
    EXPECT_EQ(s.data2, spec.data2);
    EXPECT_EQ(s.data1, 0u);
    Cell body = reflect(fn, "body");
    EXPECT_EQ(body.data2, record_cell(fn, kRecordBody).data2);

    Cell words = reflect(fn, "words");
    ASSERT_EQ(block_length_at(&words), 3);
    const char* names[] = {"a", "r", "b"};
    for (uint32_t i = 0; i < 3; i++) {
        const Cell* w = block_rs_head(&words) + i;
        EXPECT_EQ(type_of(w), T_WORD);
        EXPECT_EQ(name_of(w), names[i]);
        EXPECT_EQ(word_context(w), function_context(&fn));
        EXPECT_EQ(word_index(w), static_cast<int32_t>(i));
    }
    Cell e = error_of([&] { reflect(fn, "types"); });
    EXPECT_EQ(error_id(e), "not-done");

    Cell extra = word("c");
    block_append_copy(&s, &extra);
    EXPECT_EQ(molded(fn), "func [a /r b c][a b]") << "the reflected spec is the function's";
}

TEST_F(Function, MoldKeepsTheLimitAndForm) {
    Cell fn = func(block({word("x")}), block({word("x")}));
    int left = 0;
    EXPECT_EQ(molded(fn, true, 100, &left), "func [x][x]") << "/only keeps the brackets";
    EXPECT_EQ(left, 100 - 11);
    Cell spec = block({word("x")});
    Cell bodiless = *function_make_compiled(&spec, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(molded(bodiless, false, 100, &left), "func [x] none");
    EXPECT_EQ(left, 100 - 13);
}

TEST_F(Function, CompareByIdentity) {
    Cell spec = block({word("a")});
    Cell body = block({word("a")});
    Cell f = func(spec, body);
    Cell g = func(spec, body);
    Cell copy = f;
    EXPECT_FALSE(actions_compare(&f, &g, kCmpEqual)) << "same spec and body, two functions";
    EXPECT_TRUE(actions_compare(&f, &copy, kCmpEqual));
    EXPECT_TRUE(actions_compare(&f, &copy, kCmpSame));
    EXPECT_EQ(function_compare(&f, &copy, kCmpFind), 0);
    int order = function_compare(&f, &g, kCmpSort);
    EXPECT_TRUE(order == -1 || order == 1);
    EXPECT_EQ(function_compare(&g, &f, kCmpSort), -order);
    EXPECT_EQ(function_compare(&f, &g, kCmpLesser), -2) << "functions have no order";
    Cell r = *routine_make_compiled(&spec, nullptr, 1, -1, false);
    EXPECT_EQ(function_compare(&f, &r, kCmpEqual), -2);
    Cell n = integer(1);
    EXPECT_EQ(function_compare(&f, &n, kCmpEqual), -2);
}

TEST_F(Function, Routines) {
    Cell spec = block(
        {word("a"), block({word("integer!")}), word("b"), word_as("r", T_REFINEMENT), word("c")});
    Cell r = *routine_make_compiled(&spec, nullptr, 3, 12, true);
    stack_pop(1);
    EXPECT_EQ(type_of(&r), T_ROUTINE);
    EXPECT_EQ(function_header_count(&r), 3u) << "every word! of the spec";
    EXPECT_NE(r.header & kRoutineCellArguments, 0u);
    EXPECT_EQ(type_of(&function_record(&r)[kRecordBody]), T_NONE);
    EXPECT_EQ(record_cell(r, kRecordCode).data2, 3u);
    EXPECT_EQ(static_cast<int32_t>(record_cell(r, kRecordOwner).data2), 12) << "return type";
    EXPECT_EQ(type_of(&function_record(&r)[kRecordCache]), T_UNSET);
    EXPECT_EQ(context_word_count(function_context(&r)), 4u);
    EXPECT_EQ(context_self(function_context(&r))->data3, r.data3);

    EXPECT_EQ(formed(r), "?routine?");
    EXPECT_EQ(molded(r), "routine [a [integer!] b /r c] none");
    Cell small_spec = block({word("a")});
    Cell empty = block({});
    Cell small = *routine_make_compiled(&small_spec, &empty, 1, -1, false);
    EXPECT_EQ(small.header & kRoutineCellArguments, 0u);
    EXPECT_EQ(static_cast<int32_t>(record_cell(small, kRecordOwner).data2), -1);
    int left = 0;
    EXPECT_EQ(molded(small, false, 100, &left), "routine [a][]");
    EXPECT_EQ(left, 100 - 13);
    EXPECT_EQ(molded(small, true), "routine a") << "/only reaches spec and body";

    EXPECT_EQ(reflect(r, "spec").data2, r.data2) << "reflect comes from function!";
    EXPECT_EQ(action_entry(T_ROUTINE, A_MAKE), 0u) << "routines are not made by make";

    Cell many = block({});
    for (int i = 0; i < 32; i++) {
        std::string name = "w" + std::to_string(i);
        Cell w = word(name.c_str());
        block_append_copy(&many, &w);
    }
    Cell e = error_of([&] { routine_make_compiled(&many, nullptr, 1, -1, false); });
    EXPECT_EQ(error_id(e), "bad-func-def") << "more words than the 5-bit count holds";
}

RoutineValue add_two(const RoutineValue* args, uint32_t) {
    RoutineValue r;
    r.integer = args[0].integer + args[1].integer;
    return r;
}
RoutineValue zero(const RoutineValue*, uint32_t) {
    return RoutineValue{0};
}

TEST_F(Function, RoutineTableRegistersByName) {
    uint32_t i = routine_register("test-add-two", add_two);
    EXPECT_GE(i, 1u);
    EXPECT_EQ(routine_find("test-add-two"), i);
    EXPECT_EQ(routine_find("test-never-registered"), 0u);
    RoutineValue args[2];
    args[0].integer = 2;
    args[1].integer = 40;
    EXPECT_EQ(routine_code(i)(args, 2).integer, 42);
    uint32_t j = routine_register("test-zero", zero);
    EXPECT_NE(j, i);
    EXPECT_EQ(routine_register("test-add-two", zero), i) << "a known name keeps its index";
    EXPECT_EQ(routine_code(i), &zero);
    EXPECT_EQ(routine_code(0), nullptr);
    EXPECT_EQ(routine_code(j + 1000), nullptr);
}

TEST_F(Function, CollectWordsOfTheFunctionNative) {
    Cell a = word("a"), x = word("x");
    Cell spec = block({a});
    Cell body =
        block({word_as("b", T_SET_WORD), integer(1), word("foreach"), block({word("c"), word("d")}),
               x, block({}), word("repeat"), word("e"), integer(3), block({})});
    Cell collected = function_collect_words(&spec, &body);
    EXPECT_EQ(molded(spec), "[a /local b c d e]");
    EXPECT_EQ(molded(collected), "[b c d e]");
}

TEST_F(Function, CollectWordsCases) {
    Cell local = word_as("local", T_REFINEMENT), ext = word_as("extern", T_REFINEMENT);
    auto set = [](const char* n) { return word_as(n, T_SET_WORD); };
    struct Case {
        Cell spec;
        Cell body;
        const char* spec_after;
        const char* collected;
    };
    const Case cases[] = {
        // Words of the spec, of any kind, are not collected again.
        {block({word("a"), word_as("r", T_REFINEMENT), local, word("b")}),
         block({set("a"), set("r"), set("b"), set("c"), set("C")}), "[a /r /local b c]", "[c]"},
        // Nested blocks and parens are walked; other values are not.
        {block({}), block({paren({set("p")}), block({block({set("q")})}), integer(1)}),
         "[/local p q]", "[p q]"},
        // remove-each with a word, foreach with a set-word, get- and lit-words in the block.
        {block({}),
         block({word("remove-each"), word("i"), word("FOREACH"), set("j"), word("foreach"),
                block({word_as("k", T_GET_WORD), word_as("l", T_LIT_WORD), integer(1)})}),
         "[/local i j k l]", "[i j k l]"},
        // The /local refinement's own name is not a local.
        {block({}), block({set("local"), set("y")}), "[/local y]", "[y]"},
        // Nothing to collect: the spec stays as it was.
        {block({word("a")}), block({word("a"), word("repeat")}), "[a]", "[]"},
        // /extern words are left out and the spec is cut there; its locals are kept.
        {block({word("a"), ext, word("b"), local, word("c")}), block({set("b"), set("d")}),
         "[a /local c d]", "[c d]"},
        {block({word("a"), ext, word("b")}), block({set("b")}), "[a]", "[]"},
        {block({text("doc"), word("a"), block({word("integer!")}), ext, word("b")}),
         block({set("z")}), "[\"doc\" a [integer!] /local z]", "[z]"},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        Cell spec = cases[i].spec;
        Cell collected = function_collect_words(&spec, &cases[i].body);
        EXPECT_EQ(shown(spec), cases[i].spec_after) << i;
        EXPECT_EQ(molded(collected), cases[i].collected) << i;
    }
    Cell bad = block({word("a"), integer(1), ext, word("b")});
    Cell empty = block({});
    Cell e = error_of([&] { function_collect_words(&bad, &empty); });
    EXPECT_EQ(error_id(e), "bad-func-extern");
    EXPECT_EQ(error_field(&e, kErrFieldArg1)->data2, 1u);
    Cell tolerated = block({word("a"), integer(1)});
    Cell body = block({set("q")});
    function_collect_words(&tolerated, &body);
    EXPECT_EQ(molded(tolerated), "[a 1 /local q]") << "without /extern other values pass";
}

TEST_F(Function, CollectWordsWalksABodyThatContainsItself) {
    Cell spec = block({});
    Cell body = block({word_as("a", T_SET_WORD)});
    block_append_copy(&body, &body);
    function_collect_words(&spec, &body);
    EXPECT_EQ(molded(spec), "[/local a]");
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(Function, CountLocalsAndUnusedRefinements) {
    Cell local = word_as("local", T_REFINEMENT);
    Cell spec = block({word("a"), local, word("b"), text("doc"), word("c"),
                       word_as("r", T_REFINEMENT), word("d")});
    EXPECT_EQ(function_count_locals(spec.data2, 0, true), 4) << "/local, b, c and d";
    EXPECT_EQ(function_count_locals(spec.data2, 2, true), -1) << "counted from index 2";
    EXPECT_EQ(function_count_locals(spec.data2, 2, false), 0);
    Cell none_local = block({word("a")});
    EXPECT_EQ(function_count_locals(none_local.data2, 0, true), -1);
    EXPECT_EQ(function_count_locals(none_local.data2, 0, false), 0);

    Cell* before = g_stack_top;
    function_push_unused_refinement(3);
    EXPECT_EQ(g_stack_top - before, 3);
    EXPECT_EQ(type_of(before), T_LOGIC);
    EXPECT_EQ(before[0].data1, 0u);
    EXPECT_EQ(type_of(before + 1), T_NONE);
    EXPECT_EQ(type_of(before + 2), T_NONE);
}

class SpecCache : public Function {
  protected:
    // The cache's entries as text: typesets as class:types, others molded.
    std::string entries(const Cell& fn) {
        Offset node = interp_cache_spec(&fn);
        Cell cache{T_BLOCK, 0, node, 0};
        std::string out;
        for (uint32_t i = 0; i < block_buffer_length(&cache); i++) {
            Cell c = *block_cell_at(&cache, i);
            if (!out.empty()) out += " ";
            if (type_of(&c) == T_TYPESET) {
                out += std::to_string(argument_class(&c)) + ":";
                Cell plain = typeset_cell(c.data1, c.data2, c.data3);
                out += typeset_count_types(&plain) == static_cast<uint32_t>(g_highest_type - 1) &&
                               !typeset_has(&plain, T_UNSET)
                           ? "default"
                           : molded(plain, true);
            } else if (type_of(&c) == T_REFINEMENT) {
                out += molded(c) + "#" + std::to_string(word_index(&c));
            } else {
                out += molded(c);
            }
        }
        return out;
    }
};

TEST_F(SpecCache, FunctionArgumentsRefinementsAndLocals) {
    Cell ints = block({word("integer!")});
    Cell spec =
        block({text("doc"), word("a"), word_as("b", T_LIT_WORD), word_as("c", T_GET_WORD), ints,
               word_as("r", T_REFINEMENT), word("d"), word_as("return", T_SET_WORD),
               block({word("block!")}), word_as("local", T_REFINEMENT), word("e"), word("f")});
    Cell fn = func(spec, block({}));
    Cell r = spec_of(fn);
    int32_t r_index = word_index(block_rs_head(&r) + 5);
    EXPECT_EQ(entries(fn), "0:default 2:default 1:integer! /r#" + std::to_string(r_index) +
                               " 0:default 3:block! 3");
    Offset node = interp_cache_spec(&fn);
    EXPECT_EQ(record_cell(fn, kRecordCache).data2, node) << "kept in the record";
    EXPECT_EQ(interp_cache_spec(&fn), node) << "built once";

    Cell plain = func(block({word("x")}), block({}));
    EXPECT_EQ(entries(plain), "0:default") << "no locals, no count";
}

TEST_F(SpecCache, NativesNumberTheirRefinements) {
    Cell proto = datatype(T_NATIVE);
    Cell def = block({block({word("value"), word_as("only", T_REFINEMENT),
                             word_as("part", T_REFINEMENT), word("limit")}),
                      integer(5)});
    Cell nat = *actions_make_typed(&proto, &def);
    EXPECT_EQ(entries(nat), "0:default /only#1 /part#2 0:default 2");
    Cell def2 = block({block({word("value")}), integer(6)});
    Cell plain = *actions_make_typed(&proto, &def2);
    EXPECT_EQ(entries(plain), "0:default");
}

TEST_F(SpecCache, AnOpSharesItsFunctionsCache) {
    Cell fn = func(block({word("a"), word("b")}), block({}));
    Cell proto = datatype(T_OP);
    Cell op = *actions_make_typed(&proto, &fn);
    Offset node = interp_cache_spec(&op);
    EXPECT_EQ(interp_cache_spec(&fn), node);
    EXPECT_EQ(entries(op), "0:default 0:default");
}

TEST_F(SpecCache, CallShapes) {
    Cell ints = block({word("integer!")});
    Cell any = block({word("any-type!")});
    auto shape = [&](std::initializer_list<Cell> spec) {
        Cell fn = func(block(spec), block({}));
        return interp_cache_shape(&fn);
    };
    // Leading count, typed bits, lean, and the cells of the frame's tail.
    uint32_t s = shape({word("a"), word("b"), ints, word("c"), any});
    EXPECT_EQ(s, kShapeKnown | kShapeLean | 3u | (2u << kShapeTypedShift));
    s = shape({word("a"), word_as("r", T_REFINEMENT), word("b"), ints, word_as("q", T_REFINEMENT),
               word_as("local", T_REFINEMENT), word("t"), word("u")});
    EXPECT_EQ(s, kShapeKnown | kShapeLean | 1u | (6u << kShapeTailShift) |
                     (0b1101u << kShapeFalseShift))
        << "a refinement ends the leading arguments; false, none, false, then /local and its words";
    EXPECT_EQ(shape({}), kShapeKnown | kShapeLean);
    s = shape({word("a"), word_as("local", T_REFINEMENT), word("b"), word("c"), word("d"),
               word("e"), word("f"), word("g"), word("h"), word("i")});
    EXPECT_EQ(s, kShapeKnown | kShapeLean | kShapeLongTail | 1u)
        << "a tail of nine cells is read from the list";
    // Lists the shape does not cover: another class, return:, too many.
    EXPECT_FALSE(shape({word("a"), word_as("b", T_LIT_WORD)}) & kShapeLean);
    EXPECT_FALSE(shape({word("a"), word_as("return", T_SET_WORD), ints}) & kShapeLean);
    Cell fn = func(block({word("a"), word("b"), word("c"), word("d"), word("e"), word("f"),
                          word("g"), word("h"), word("i")}),
                   block({}));
    EXPECT_FALSE(interp_cache_shape(&fn) & kShapeLean);
    Cell kept = record_cell(fn, kRecordCache);
    EXPECT_EQ(spec_cache_shape(&kept), interp_cache_shape(&fn)) << "kept beside the list";
}

TEST_F(SpecCache, RefusesOtherSetWordsAndBadTypes) {
    Cell other = word_as("other", T_SET_WORD);
    Cell fn = func(block({word("a"), other, block({})}), block({}));
    Cell e = error_of([&] { interp_cache_spec(&fn); });
    EXPECT_EQ(error_id(e), "bad-func-def");
    EXPECT_EQ(name_of(error_field(&e, kErrFieldArg1)), "other");
    EXPECT_EQ(type_of(&function_record(&fn)[kRecordCache]), T_UNSET) << "nothing kept";

    Cell bad = func(block({word("a"), block({integer(1)})}), block({}));
    e = error_of([&] { interp_cache_spec(&bad); });
    EXPECT_EQ(error_id(e), "invalid-type-spec");
}

} // namespace
