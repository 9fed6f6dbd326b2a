// error!: making errors, the catalogue and the error text.
#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"

using namespace xel;
using namespace xel::test;

namespace {

class Error : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        g_state_stack_trace = g_none_cell;
    }
    Cell make(Cell spec) {
        Cell proto{T_DATATYPE, T_ERROR, 0, 0};
        return *actions_make_typed(&proto, &spec);
    }
};

TEST_F(Error, CodesMakeTheirCategoryAndId) {
    struct Case {
        int32_t code;
        const char* type;
        const char* id;
    };
    const Case cases[] = {{300, "script", "no-value"},
                          {402, "math", "positive"},
                          {0, "throw", "break"},
                          {913, "internal", "deprecated"},
                          {393, "script", "xelbin-invalid-record"}};
    for (const Case& c : cases) {
        Cell e = make(integer(c.code));
        EXPECT_EQ(error_type(e), c.type);
        EXPECT_EQ(error_id(e), c.id);
        EXPECT_EQ(static_cast<int32_t>(error_field(&e, kErrFieldCode)->data2), c.code);
    }
    for (int32_t code : {1000, -1, 303 + 91, 601, 101}) {
        Cell e = error_of([&] { make(integer(code)); });
        EXPECT_EQ(error_id(e), "out-of-range") << code;
    }
}

TEST_F(Error, BlockAndStringSpecs) {
    Cell e = make(block({word("script"), word("no-value")}));
    EXPECT_EQ(error_field(&e, kErrFieldCode)->data2, 300u);
    struct Bad {
        Cell spec;
        const char* id;
        const char* field; // the invalid-spec-field argument
    };
    const Bad bad[] = {
        {block({word("script"), word("no-such-id")}), "invalid-spec-field", "id"},
        {block({word("script")}), "invalid-spec-field", "id"},
        {block({word("nonsense"), word("no-value")}), "invalid-spec-field", "type"},
        {block({word("script"), integer(1)}), "invalid-arg", nullptr},
        {block({integer(1)}), "invalid-error", nullptr},
        {Cell{T_LOGIC, 1, 0, 0}, "bad-make-arg", nullptr},
    };
    for (const Bad& b : bad) {
        Cell err = error_of([&] { make(b.spec); });
        EXPECT_EQ(error_id(err), b.id);
        if (b.field) {
            EXPECT_EQ(symbol_name(word_symbol(error_field(&err, kErrFieldArg1))),
                      std::string(b.field));
        }
    }
    Cell user = make(text("boom"));
    EXPECT_EQ(error_type(user), "user");
    EXPECT_EQ(error_id(user), "message");
    EXPECT_EQ(utf8(*error_field(&user, kErrFieldArg1)), "boom");
    EXPECT_EQ(error_text(user), "*** User Error: boom\n*** Where: ???\n*** Near : none");
}

TEST_F(Error, FormShowsWhereNearAndStackLines) {
    Cell e;
    error_create_at(&e, kCatInternal, err::internal::kStackOverflow, nullptr, nullptr, nullptr);
    EXPECT_EQ(error_text(e), "*** Internal Error: stack overflow\n*** Where: ???\n*** Near : none");
    Cell f = word("f");
    error_set_where(&e, &f);
    Cell g = word("g");
    error_set_where(&e, &g); // only a none! where is replaced
    *error_field(&e, kErrFieldNear) =
        block({word("aaaaaaaaaa"), word("bbbbbbbbbb"), word("cccccccccc"), word("dddddddddd")});
    EXPECT_EQ(error_text(e), "*** Internal Error: stack overflow\n*** Where: f\n"
                             "*** Near : aaaaaaaaaa bbbbbbbbbb cccccccccc ddddddd");
    *error_field(&e, kErrFieldStack) = integer(0);
    g_state_stack_trace = integer(0);
    EXPECT_EQ(error_text(e).find("*** Stack: "), std::string::npos);
    g_state_stack_trace = integer(1);
    EXPECT_NE(error_text(e).find("\n*** Stack: "), std::string::npos);
}

TEST_F(Error, MessageBlocksTakeTheirArguments) {
    Cell e;
    Cell a1 = word("foo");
    error_create_at(&e, kCatScript, err::script::kNoValue, &a1, nullptr, nullptr);
    EXPECT_EQ(error_message(e), "foo has no value");
    Cell dt{T_DATATYPE, T_NONE, 0, 0};
    Cell arg3 = word("value");
    Cell add = word("add");
    error_create_at(&e, kCatScript, err::script::kExpectArg, &add, &dt, &arg3);
    EXPECT_EQ(error_message(e), "add does not allow none! for its value argument");
}

TEST_F(Error, UnknownCategoriesAndIdsFormAsInvalidError) {
    Cell e = make(integer(300));
    *error_field(&e, kErrFieldType) = word("bogus");
    EXPECT_EQ(error_message(e), "invalid error object field value: bogus");
    e = make(integer(300));
    *error_field(&e, kErrFieldId) = word("bogus-id");
    EXPECT_EQ(error_message(e), "invalid error object field value: bogus-id");
}

TEST_F(Error, ArgWordNamesTheCalledFunctionsArgument) {
    // A native bound to a word: its spec's entries count words and refinements.
    Cell spec = block({word("series"), word_as("part", T_REFINEMENT), word("length")});
    Cell proto{T_DATATYPE, T_NATIVE, 0, 0};
    Cell nspec = block({spec, integer(1)});
    Cell nat = *actions_make_typed(&proto, &nspec);
    Cell w = word("nat");
    context_set(&w, &nat);
    stack_mark_native(&w);
    // Each result is the caller's own: a later call leaves an earlier one as it was.
    Cell first = error_arg_word(0), third = error_arg_word(2), second = error_arg_word(1),
         past = error_arg_word(3);
    EXPECT_EQ(symbol_name(word_symbol(&first)), std::string("series"));
    EXPECT_EQ(symbol_name(word_symbol(&third)), std::string("length"));
    EXPECT_EQ(type_of(&second), T_WORD);
    EXPECT_EQ(word_symbol(&past), word_symbol(g_word_anon_marker));
    stack_unwind();
}

} // namespace
