// Differential test of the evaluator's fast paths and block plans: programs
// generated from a
// fixed seed rebind operator and function words (to other ops, to functions
// of another arity, to plain values), call and redefine an object's function
// through paths with and without refinements, call functions with refinements
// that take arguments, are named twice or are missing, chain set-words,
// evaluate operator chains as statements of their own, modify or rebind the
// block a loop is running, collect memory in the middle of a block,
// switch tracing on inside loops and recurse until the stack overflows. Each
// runs with the fast paths on and every block planned at its first
// evaluation, with the fast paths on and no plans, and with both off;
// results, errors (with where and near) and trace events must be the same.
//   xel-interp-diff SEED COUNT
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "boot/entry.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/interpreter/interp.h"
#include "tests/runner/eval-text.h"
#include "tests/support/program-args.h"

namespace {

struct Generator {
    std::mt19937 rng;

    int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    template <size_t N> std::string one_of(const char* const (&options)[N]) {
        return options[pick(N)];
    }

    std::string operand() {
        static const char* const kOperands[] = {"a",   "b",     "c",          "1",     "-7",
                                                "2.5", "0.5",   "2147483647", "65536", "a",
                                                "b",   "\"s\"", "none"};
        return one_of(kOperands);
    }
    std::string op() {
        static const char* const kOps[] = {"+", "-", "*", "<", ">", "=", "<=", ">=", "<>"};
        return one_of(kOps);
    }
    std::string expression() {
        std::string e = operand();
        for (int n = pick(3); n > 0; n--)
            e += " " + op() + " " + operand();
        return e;
    }
    std::string statement(int depth) {
        static const char* const kRebinds[] = {"+: make op! :subtract",
                                               "+: make op! :multiply",
                                               "+: func [x] [x]",
                                               "+: 7",
                                               "-: make op! :add",
                                               "set '< make op! :greater?",
                                               "*: func [x y] [x]",
                                               "+: :p+",
                                               "-: :p-",
                                               "set '< :p<",
                                               "*: :p*"};
        static const char* const kFunctions[] = {
            "f: func [x y] [x - y]",
            "f: func [x] [x + 1]",
            "f: 5",
            "g: func [x] [x * 2]",
            "g: func [x y] [x * y]",
            "f: func [x /twice] [either twice [x + x] [x]]",
            "f: func [x /by k /local t] [t: either by [x * k] [x] t]"};
        static const char* const kEdits[] = {"append body [a: a + 1]",
                                             "insert body [c: 3]",
                                             "remove body",
                                             "clear skip body 4",
                                             "poke body 1 'b",
                                             "append body [+: 5]",
                                             "change body [a:]",
                                             "bind body make object! [a: 10 c: 2]",
                                             "(recycle none)",
                                             "reverse body",
                                             "poke body 2 '-",
                                             "change body [c: c * 2]"};
        static const char* const kPathCalls[] = {"c: o/m a",
                                                 "c: o/m/twice b + 1",
                                                 "c: o/m o/m a",
                                                 "o/k: none",
                                                 "o/m: func [x y] [x - y]",
                                                 "o/m: :p+",
                                                 "o/m: 4",
                                                 "o: make o [m: func [x] [x * k]]",
                                                 "c: (o/m c) + o/k",
                                                 "c: f/by a b + 1",
                                                 "c: f/by/by a 1 2",
                                                 "c: f/twice/by a 2",
                                                 "a: b: c + 1"};
        switch (pick(10)) {
        case 8:
            return one_of(kPathCalls);
        case 0:
            return std::string(1, "abc"[pick(3)]) + ": " + expression();
        case 1:
            return pick(2) ? std::string(1, "abc"[pick(3)]) + ": " + expression() : expression();
        case 2:
            return one_of(kRebinds);
        case 3:
            return one_of(kFunctions);
        case 4:
            return "c: f " + expression() + (pick(2) ? "" : " " + operand());
        case 5:
            return "b: g " + operand() + " " + operand();
        case 6:
            return one_of(kEdits);
        case 7:
            return "if a " + op() + " " + operand() + " [do/trace [" + expression() +
                   " c: f 2] :tr]";
        default:
            return depth < 2 ? "loop " + std::to_string(1 + pick(3)) + " [" + statement(depth + 1) +
                                   " " + statement(depth + 1) + "]"
                             : "a: a + 1";
        }
    }
    std::string program() {
        std::string p = "+: :p+ -: :p- set '< :p< *: :p* ev: copy [] dep: 0 a: " +
                        std::to_string(pick(20) - 5) +
                        " b: 1.5 c: 3 "
                        "f: func [x] [x + 1] g: func [x y] [x * y] "
                        "o: make object! [k: 2 m: func [x /twice] [either twice [x + x] [x + k]]] "
                        "body: [";
        for (int n = 2 + pick(5); n > 0; n--)
            p += statement(0) + " ";
        p += "] r: try [loop " + std::to_string(1 + pick(6)) + " body] ";
        if (pick(8) == 0) p += "deep: func [x] [dep: dep + 1 deep x + 1] r: try [deep 0] ";
        p += "reduce [a b c dep body ev either error! = type? :r [mold :r] [:r]]";
        return p;
    }
};

void body() {
    const xel_test::ProgramArgs args = xel_test::program_args();
    unsigned seed = args.argc > 1 ? static_cast<unsigned>(std::atoi(args.argv[1])) : 1;
    int count = args.argc > 2 ? std::atoi(args.argv[2]) : 300;
    xel::eval_text("p+: :+ p-: :- p<: get '< p*: :* tr: func [event code offset value ref frame] "
                   "[append ev event true]");
    Generator gen{std::mt19937(seed)};
    int passed = 0, failed = 0;
    for (int i = 0; i < count; i++) {
        std::string text = gen.program();
        // Where a running block is moved by its own growth depends on the
        // memory around it: a first run makes every word the program names
        // and a collection before each compared run leaves both the same.
        xel::eval_text(text);
        xel::eval_text("recycle");
        xel::g_interp_fast = true;
        xel::g_plan_mode = xel::kPlansForced;
        xel::EvalOutcome planned = xel::eval_text(text);
        xel::eval_text("recycle");
        xel::g_plan_mode = xel::kPlansOff;
        xel::EvalOutcome fast = xel::eval_text(text);
        xel::eval_text("recycle");
        xel::g_interp_fast = false;
        xel::EvalOutcome generic = xel::eval_text(text);
        if (fast.error == generic.error && fast.text == generic.text &&
            planned.error == generic.error && planned.text == generic.text) {
            passed++;
            continue;
        }
        failed++;
        std::printf("FAIL program %d:\n%s\nplanned: %s\nfast:    %s\ngeneric: %s\n", i,
                    text.c_str(), planned.text.c_str(), fast.text.c_str(), generic.text.c_str());
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    std::exit(failed ? 1 : 0);
}

} // namespace

int main(int argc, char** argv) {
    xel::run_program(argc, argv, body);
}
