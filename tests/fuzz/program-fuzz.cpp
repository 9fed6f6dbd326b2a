// Programs built from the run-time's own natives and actions, read from their
// specs in the global context, with argument values drawn from every datatype.
//
//   xel-program-fuzz extremes
//       every argument that takes an integer, of every native and action, at
//       0, -1, 2147483647 and -2147483648 in turn, beside sample values of
//       the other arguments; any result or language error is fine, a crash or
//       a sanitizer report is not.
//   xel-program-fuzz random SEED SECONDS
//       random programs from SEED until SECONDS have passed, each run twice:
//       normally and with the collector's torture mode; both runs must give
//       the same results.
//   xel-program-fuzz replay FILE
//       the program in FILE (one statement a line), normally and under
//       torture, with every statement's result.
//
// Before each program its text is written to program-fuzz-last.xel in the
// current folder, so a crash leaves its reproducer behind. Memory is capped
// (512 MB beyond start-up) so that a huge size gives no-memory at once.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "boot/entry.h"
#include "platform/os/virtual-memory.h"
#include "runtime/actions/dispatch.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "tests/support/program-args.h"

using namespace xel;

namespace {

// Natives and actions left out: they reach outside the process (files,
// processes, the environment, the clock, output), report memory, or loop
// until their body breaks.
const char* const kLeftOut[] = {
    "print",  "prin",   "recycle", "stats",  "wait",    "call",  "set-env", "get-env", "list-env",
    "now",    "read",   "write",   "delete", "create",  "close", "open",    "open?",   "query",
    "rename", "update", "modify",  "size?",  "forever", "while", "until",   "browse",
};

// Refinements that make a result depend on more than the program.
const char* const kLeftOutRefinements[] = {"random/secure"};

// Loops run their body as often as a count says: their counts stay small
// and their bodies break at once in the extremes sweep.
const char* const kLoops[] = {"loop", "repeat", "foreach", "forall", "remove-each"};

struct Pool {
    uint8_t type;
    std::vector<const char*> texts; // source texts, evaluated where they stand
};

const char* const kExtremes[] = {"0", "-1", "2147483647", "-2147483648"};

const std::vector<Pool>& pools() {
    static const std::vector<Pool> p = {
        {T_INTEGER, {"0", "1", "-1", "2", "3", "7", "100", "2147483647", "-2147483648"}},
        {T_FLOAT, {"0.0", "1.5", "-2.25", "1e308", "-1e-300"}},
        {T_PERCENT, {"50%", "-1%"}},
        {T_MONEY, {"$1.50", "-$2"}},
        {T_CHAR, {"#\"a\"", "#\"^@\"", "#\"\xC3\xA9\""}},
        {T_LOGIC, {"true", "false"}},
        {T_NONE, {"none"}},
        {T_STRING, {"\"abc\"", "\"\"", "next \"Hello World\"", "tail \"abc\"", "\"a^/b\""}},
        {T_FILE, {"%a.txt", "%/dir/"}},
        {T_URL, {"http://x.y/z?a=1"}},
        {T_TAG, {"<a b=\"c\">"}},
        {T_EMAIL, {"a@b.c"}},
        {T_REF, {"@abc"}},
        {T_BINARY, {"#{00FF10}", "#{}", "tail #{0102}"}},
        {T_BLOCK,
         {"[1 2 3]", "[]", "next [a b c]", "tail [1 2]", "[\"x\" 2.5 [1] #\"c\"]",
          "[2147483647 -2147483648 0]", "[v0 v1 1 + 2]", "[break]"}},
        {T_PAREN, {"first [(1 2)]"}},
        {T_PATH, {"'a/b"}},
        {T_LIT_PATH, {"first ['a/b]"}},
        {T_WORD, {"'v0", "'v1"}},
        {T_LIT_WORD, {"first ['v2]"}},
        {T_SET_WORD, {"first [v3:]"}},
        {T_GET_WORD, {"first [:v4]"}},
        {T_REFINEMENT, {"/only"}},
        {T_ISSUE, {"#abc"}},
        {T_DATATYPE, {"integer!", "block!", "string!"}},
        {T_TYPESET, {"number!", "series!"}},
        {T_PAIR, {"1x2", "-3x0"}},
        {T_TUPLE, {"1.2.3", "255.255.255.0"}},
        {T_TIME, {"1:02:03", "-0:00:01.5"}},
        {T_DATE, {"1-Jan-2000", "29-Feb-2024/10:00+2:00"}},
        {T_POINT2D, {"(1, 2)"}},
        {T_POINT3D, {"(1, 2, 3)"}},
        {T_BITSET, {"make bitset! [1 2 #\"a\"]", "make bitset! [not 3]"}},
        {T_HASH, {"make hash! [a 1 b 2]"}},
        {T_MAP, {"make map! [a 1 b 2]"}},
        {T_VECTOR, {"make vector! [1 2 3]", "make vector! [float! 64 [1.5 2.5]]"}},
        {T_OBJECT, {"make object! [a: 1 b: \"x\"]"}},
        {T_ERROR, {"make error! \"boom\""}},
        {T_FUNCTION, {"func [a b] [a]", "func [a] [reduce [a a]]"}},
        {T_NATIVE, {":if"}},
        {T_ACTION, {":append"}},
        {T_OP, {":+"}},
    };
    return p;
}

struct Slot {
    Cell types; // typeset!
    uint32_t cls;
};

struct Refinement {
    std::string name;
    std::vector<Slot> args;
    bool left_out;
};

struct Fn {
    std::string name;
    std::vector<Slot> args;
    std::vector<Refinement> refinements;
    bool loop = false;
};

bool listed(const std::string& name, const char* const* list, size_t n) {
    for (size_t i = 0; i < n; i++)
        if (name == list[i]) return true;
    return false;
}

std::vector<Fn> catalogue() {
    std::vector<Fn> fns;
    Offset ctx = g_global_context;
    for (uint32_t i = 0; i < context_word_count(ctx); i++) {
        Cell value = *context_value_at(ctx, i);
        if (type_of(&value) != T_NATIVE && type_of(&value) != T_ACTION) continue;
        Fn fn;
        fn.name = symbol_name(word_symbol(context_word_at(ctx, i)));
        if (listed(fn.name, kLeftOut, std::size(kLeftOut))) continue;
        fn.loop = listed(fn.name, kLoops, std::size(kLoops));
        SpecList list = interp_cached_spec(&value);
        for (const Cell* e = list.begin; e < list.end; e++) {
            if (type_of(e) == T_REFINEMENT) {
                std::string name = symbol_name(word_symbol(e));
                bool out = listed(fn.name + "/" + name, kLeftOutRefinements,
                                  std::size(kLeftOutRefinements));
                fn.refinements.push_back({name, {}, out});
            } else if (type_of(e) == T_TYPESET && argument_class(e) != kArgReturn) {
                Slot s{*e, argument_class(e)};
                (fn.refinements.empty() ? fn.args : fn.refinements.back().args).push_back(s);
            }
        }
        fns.push_back(std::move(fn));
    }
    return fns;
}

// The pools a slot can draw from; a quoted slot takes words and literals only.
std::vector<const Pool*> pools_for(const Slot& s) {
    std::vector<const Pool*> out;
    for (const Pool& p : pools()) {
        if (!typeset_has(&s.types, p.type)) continue;
        if (s.cls != kArgEvaluated && p.type != T_WORD && p.type != T_INTEGER &&
            p.type != T_STRING && p.type != T_BLOCK)
            continue;
        out.push_back(&p);
    }
    return out;
}

// What one statement gave: its molded value or its formed error, cut short.
std::string run_statement(const std::string& code) {
    g_stack_args = g_stack_top = g_stack_base;
    g_frames_top = g_frames_base;
    exit_take();
    std::string result;
    uint32_t caught = catch_at(kCatchErrors, [&] {
        stack_mark_try(g_word_try);
        Cell text = *string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                 static_cast<uint32_t>(code.size()), 0);
        Cell block;
        lexer_load_string(&block, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        stack_reset();
        if (interp_eval_block(&block, true).exit_pending()) {
            exit_take();
            result = "exit";
            return;
        }
        Cell value = *stack_arguments();
        Cell* out = stack_push_cell();
        string_make_at(out, 64);
        actions_mold_typed(&value, out, false, false, false, nullptr, 400, 0);
        result = string_utf8_text(stack_top());
    });
    if (caught) {
        // Forming may need memory that is not there: the error's words then.
        Cell error = *stack_top();
        result = "error ";
        catch_at(kCatchErrors, [&] {
            Cell* out = stack_push_cell();
            string_make_at(out, 64);
            actions_form_typed(&error, out, nullptr, 400);
            result += string_utf8_text(stack_top());
        });
    }
    return result;
}

std::string g_program_text;
int g_last_program = -1;

void note_program(const std::vector<std::string>& program) {
    g_program_text.clear();
    for (const std::string& s : program)
        g_program_text += s + "\n";
    // One file rewritten in place: opening a file per program costs more
    // than running most programs.
    if (g_last_program < 0)
        g_last_program = open("program-fuzz-last.xel", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (g_last_program < 0) return;
    (void)!ftruncate(g_last_program, 0);
    (void)!pwrite(g_last_program, g_program_text.data(), g_program_text.size(), 0);
}

void on_alarm(int) {
    const char head[] = "program-fuzz: a program ran too long:\n";
    (void)!write(2, head, sizeof head - 1);
    (void)!write(2, g_program_text.data(), g_program_text.size());
    _exit(3);
}

// The global words' values after start-up: every run starts from them, so a
// program that sets a word of the run-time (set [break] 1) changes only itself.
std::vector<Cell> g_globals;

void mark_globals() {
    collector_mark_cells(g_globals.data(), g_globals.data() + g_globals.size());
}

void keep_globals() {
    run_statement("set [v0 v1 v2 v3 v4 v5 v6 v7] none");
    for (uint32_t i = 0; i < context_word_count(g_global_context); i++)
        g_globals.push_back(*context_value_at(g_global_context, i));
    collector_add_root_callback(mark_globals);
}

void restore_globals() {
    for (uint32_t i = 0; i < context_word_count(g_global_context); i++)
        *context_value_at(g_global_context, i) =
            i < g_globals.size() ? g_globals[i] : Cell{T_UNSET, 0, 0, 0};
}

std::vector<std::string> run_program_text(const std::vector<std::string>& program) {
    restore_globals();
    std::vector<std::string> results;
    for (const std::string& s : program)
        results.push_back(run_statement(s));
    return results;
}

const char* const kPrologue = "random/seed 1";

// Every integer slot of every function at each extreme, the other slots
// taking a sample of each of their types in turn.
int sweep_extremes() {
    int calls = 0, errors = 0;
    std::vector<Fn> fns = catalogue();
    for (const Fn& fn : fns) {
        // Every slot in one list, with the refinement that brings it.
        std::vector<std::pair<const Slot*, int>> slots;
        for (const Slot& s : fn.args)
            slots.push_back({&s, -1});
        for (size_t r = 0; r < fn.refinements.size(); r++)
            for (const Slot& s : fn.refinements[r].args)
                slots.push_back({&s, static_cast<int>(r)});
        for (size_t k = 0; k < slots.size(); k++) {
            if (!typeset_has(&slots[k].first->types, T_INTEGER)) continue;
            // The first other slot (mostly the series) takes every sample of
            // every type it allows; the rest take samples in turn.
            size_t first = k == 0 ? 1 : 0;
            size_t samples = 0;
            if (first < slots.size() && slots[first].second < 0)
                for (const Pool* p : pools_for(*slots[first].first))
                    samples += p->texts.size();
            int variants = samples > 8 ? static_cast<int>(samples) : 8;
            for (const char* extreme : kExtremes) {
                for (int variant = 0; variant < variants; variant++) {
                    std::string path = fn.name;
                    if (slots[k].second >= 0) path += "/" + fn.refinements[slots[k].second].name;
                    std::string call = path;
                    for (size_t j = 0; j < slots.size(); j++) {
                        if (slots[j].second >= 0 && slots[j].second != slots[k].second) continue;
                        std::string arg;
                        if (j == k) {
                            arg = extreme;
                        } else {
                            std::vector<const Pool*> ps = pools_for(*slots[j].first);
                            if (ps.empty()) {
                                arg = "none";
                            } else {
                                const Pool* p = ps[(variant + j) % ps.size()];
                                size_t text = (variant + j) % p->texts.size();
                                if (j == first && samples > 8) {
                                    size_t n = static_cast<size_t>(variant), q = 0;
                                    while (n >= ps[q]->texts.size())
                                        n -= ps[q++]->texts.size();
                                    p = ps[q];
                                    text = n;
                                }
                                arg = fn.loop && p->type == T_BLOCK ? "[break]" : p->texts[text];
                                if (fn.loop && p->type == T_INTEGER) arg = "3";
                                if (slots[j].first->cls != kArgEvaluated && p->type == T_WORD)
                                    arg = "v5";
                            }
                        }
                        call += " " + arg;
                    }
                    std::vector<std::string> program = {kPrologue, "v0: " + call};
                    note_program(program);
                    alarm(60);
                    std::vector<std::string> results = run_program_text(program);
                    alarm(0);
                    calls++;
                    if (results[1].rfind("error ", 0) == 0) errors++;
                    if (std::getenv("XEL_FUZZ_SHOW"))
                        std::printf("%s\n  %s\n", program[1].c_str(), results[1].c_str());
                }
            }
        }
    }
    std::printf("%d calls (%d raised errors) of %zu natives and actions\n", calls, errors,
                fns.size());
    return 0;
}

struct Generator {
    std::mt19937 gen;
    const std::vector<Fn>& fns;
    int assigned = 0; // v0 .. v(assigned - 1) have been set in this program

    int pick(int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); }

    std::string value_for(const Slot& s, const Fn& fn, int depth) {
        if (s.cls == kArgEvaluated) {
            if (assigned > 0 && pick(4) == 0) return "v" + std::to_string(pick(assigned));
            if (depth < 2 && pick(6) == 0) return "(" + call(depth + 1) + ")";
        } else if (pick(2) == 0) {
            return "v" + std::to_string(pick(8));
        }
        std::vector<const Pool*> ps = pools_for(s);
        if (ps.empty()) return "none";
        const Pool* p = ps[pick(static_cast<int>(ps.size()))];
        // A loop's count stays small, so a program ends in good time.
        if (fn.loop && p->type == T_INTEGER) return std::to_string(pick(4));
        // Blocks of code, for the natives that run them.
        if (p->type == T_BLOCK && depth < 2 && pick(3) == 0) return "[" + call(depth + 1) + "]";
        return p->texts[pick(static_cast<int>(p->texts.size()))];
    }

    // A value of any type, or a variable.
    std::string any_value() {
        if (assigned > 0 && pick(3) == 0) return "v" + std::to_string(pick(assigned));
        const Pool& p = pools()[pick(static_cast<int>(pools().size()))];
        return p.texts[pick(static_cast<int>(p.texts.size()))];
    }

    std::string variable() { return "v" + std::to_string(pick(assigned > 0 ? assigned : 1)); }

    // A call, an operator, a path into a variable, or a function made from calls.
    std::string expression() {
        static const char* const ops[] = {"+", "-",  "*",  "/", "//", "**", "and", "or", "xor",
                                          "=", "<>", "==", "<", ">",  "<=", ">=",  "=?"};
        switch (pick(10)) {
        case 0:
            return any_value() + " " + ops[pick(std::size(ops))] + " " + any_value();
        case 1:
            return variable() + "/" + std::to_string(pick(4) - 1);
        case 2:
            return variable() + "/" + std::to_string(1 + pick(3)) + ": " + any_value();
        case 3:
            return "func [a b] [" + call(1) + " reduce [a b]]";
        case 4:
            return variable() + " " + any_value() + " " + any_value();
        default:
            return call(0);
        }
    }

    std::string call(int depth) {
        const Fn& fn = fns[pick(static_cast<int>(fns.size()))];
        std::string path = fn.name;
        std::string args;
        for (const Slot& s : fn.args)
            args += " " + value_for(s, fn, depth);
        for (const Refinement& r : fn.refinements) {
            if (r.left_out || pick(3) != 0) continue;
            path += "/" + r.name;
            for (const Slot& s : r.args)
                args += " " + value_for(s, fn, depth);
        }
        return path + args;
    }

    std::vector<std::string> program() {
        assigned = 0;
        std::vector<std::string> out = {kPrologue};
        int n = 4 + pick(12);
        for (int i = 0; i < n; i++) {
            std::string c = expression();
            if (assigned < 8 && pick(2) == 0)
                out.push_back("v" + std::to_string(assigned++) + ": " + c);
            else
                out.push_back(c);
        }
        return out;
    }
};

bool no_memory(const std::string& result) {
    return result.find("not enough memory") != std::string::npos;
}

int random_programs(uint32_t seed, int seconds) {
    std::vector<Fn> fns = catalogue();
    Generator g{std::mt19937(seed), fns};
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int programs = 0, statements = 0, errors = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::vector<std::string> program = g.program();
        note_program(program);
        alarm(120);
        std::vector<std::string> normal = run_program_text(program);
        g_collector_torture = true;
        std::vector<std::string> tortured = run_program_text(program);
        g_collector_torture = false;
        alarm(0);
        // How much memory a collection finds free decides where no-memory
        // strikes; the runs are compared up to the first one.
        for (size_t i = 0; i < normal.size(); i++) {
            if (no_memory(normal[i]) || no_memory(tortured[i])) break;
            if (normal[i] != tortured[i]) {
                std::printf("program-fuzz: statement %zu differs under collector torture\n"
                            "  normal:  %s\n  torture: %s\nprogram:\n%s",
                            i + 1, normal[i].c_str(), tortured[i].c_str(), g_program_text.c_str());
                return 1;
            }
            statements++;
            if (normal[i].rfind("error ", 0) == 0) errors++;
        }
        programs++;
    }
    std::printf("%d programs, %d statements (%d raised errors), seed %u\n", programs, statements,
                errors, seed);
    return 0;
}

int replay(const char* file) {
    std::vector<std::string> program;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) program.push_back(line);
    std::vector<std::string> normal = run_program_text(program);
    g_collector_torture = true;
    std::vector<std::string> tortured = run_program_text(program);
    g_collector_torture = false;
    for (size_t i = 0; i < program.size(); i++) {
        std::printf("%s\n  %s\n", program[i].c_str(), normal[i].c_str());
        if (tortured[i] != normal[i]) std::printf("  under torture: %s\n", tortured[i].c_str());
    }
    return 0;
}

void body() {
    std::signal(SIGALRM, on_alarm);
    keep_globals();
    os_set_commit_limit(os_committed_bytes() + (uint64_t{512} << 20));
    const xel_test::ProgramArgs args = xel_test::program_args();
    std::string mode = args.argc > 1 ? args.argv[1] : "";
    int status = 2;
    if (mode == "extremes") {
        status = sweep_extremes();
    } else if (mode == "replay" && args.argc == 3) {
        status = replay(args.argv[2]);
    } else if (mode == "random" && args.argc == 4) {
        status = random_programs(static_cast<uint32_t>(std::strtoul(args.argv[2], nullptr, 10)),
                                 std::atoi(args.argv[3]));
    } else {
        std::fprintf(stderr,
                     "usage: xel-program-fuzz extremes | random SEED SECONDS | replay FILE\n");
    }
    std::fflush(stdout);
    std::exit(status);
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
