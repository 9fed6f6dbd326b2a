// The language test runner.
//   xel-test FILE...     runs case files and ends with "N passed, N failed"
//   xel-test --eval TEXT loads TEXT, evaluates it and prints the molded
//                        result, or the formed error
//
// A case file is text, one case per line:
//   code ==> mold      the code's value molds as the text after "==>"
//   code !!> text      the code raises an error whose formed text begins
//                      with the text after "!!>"
//   code               evaluated for its effect (a definition); an error fails
// Lines starting with ";" and blank lines are skipped; a line ending in "\"
// continues on the next. Every case of a file shares one run-time, so
// definitions carry over to the cases after them. What print and prin output
// goes to standard output.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "boot/entry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/printing/print-hooks.h"
#include "tests/runner/eval-text.h"
#include "tests/support/program-args.h"

namespace {

int g_status = 0;

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

struct Tally {
    int passed = 0;
    int failed = 0;
};

void run_case(const std::string& file, int line, const std::string& text, Tally& tally) {
    std::string code = text, expected;
    enum { kEffect, kMold, kError } kind = kEffect;
    size_t mark;
    if ((mark = text.find("==>")) != std::string::npos) {
        kind = kMold;
        code = trim(text.substr(0, mark));
        expected = trim(text.substr(mark + 3));
    } else if ((mark = text.find("!!>")) != std::string::npos) {
        kind = kError;
        code = trim(text.substr(0, mark));
        expected = trim(text.substr(mark + 3));
    }
    xel::EvalOutcome out = xel::eval_text(code);
    bool ok;
    std::string got = out.text;
    switch (kind) {
    case kMold:
        ok = !out.error && got == expected;
        break;
    case kError:
        ok = out.error && got.compare(0, expected.size(), expected) == 0;
        break;
    default:
        ok = !out.error;
        break;
    }
    if (ok) {
        tally.passed++;
        return;
    }
    tally.failed++;
    std::printf("FAIL %s:%d: %s\n  expected %s%s\n  got      %s%s\n", file.c_str(), line,
                code.c_str(), kind == kError ? "error " : "", expected.c_str(),
                out.error ? "error " : "", got.c_str());
}

void run_files() {
    Tally tally;
    const xel_test::ProgramArgs args = xel_test::program_args();
    for (int i = 1; i < args.argc; i++) {
        std::ifstream in(args.argv[i]);
        if (!in) {
            std::printf("FAIL cannot read %s\n", args.argv[i]);
            tally.failed++;
            continue;
        }
        std::string line, pending;
        int number = 0, start = 0;
        while (std::getline(in, line)) {
            number++;
            if (pending.empty()) start = number;
            std::string t = trim(line);
            if (pending.empty() && (t.empty() || t[0] == ';')) continue;
            if (!t.empty() && t.back() == '\\') {
                pending += t.substr(0, t.size() - 1) + "\n";
                continue;
            }
            pending += t;
            run_case(args.argv[i], start, pending, tally);
            pending.clear();
        }
    }
    std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
    g_status = tally.failed ? 1 : 0;
}

// Printed output goes to standard output, so case files can print.
void print_to_stdout(const xel::Cell* string, int new_line) {
    std::string text = xel::string_utf8_text(string);
    if (new_line) text += '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void body() {
    xel::printhooks_add(print_to_stdout, nullptr);
    // The collector has read its torture switch; the programs a case starts
    // (call) run as users run them, or each would boot collecting at every
    // allocation.
    unsetenv("XEL_GC_TORTURE");
    const xel_test::ProgramArgs args = xel_test::program_args();
    if (args.argc == 3 && std::string(args.argv[1]) == "--eval") {
        xel::EvalOutcome out = xel::eval_text(args.argv[2]);
        std::printf("%s\n", out.text.c_str());
        g_status = out.error ? 1 : 0;
    } else {
        run_files();
    }
    std::fflush(stdout);
    std::exit(g_status);
}

} // namespace

int main(int argc, char** argv) {
    xel::run_program(argc, argv, body);
}
