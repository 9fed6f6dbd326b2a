// The library's preprocessor and reactivity on long inputs: a scan of code
// without directives, many #if directives, named and pattern macro calls, and
// reactive changes through a relation and through a chain of reactions. Each
// script runs once and its time is printed.
#include <iterator>

#include "bench/support/run-script.h"
#include "boot/entry.h"

using namespace xel;
using xel::bench::ScriptCase;

namespace {

const char* const kSetup = R"(
    plain: copy [] loop 30000 [append plain [x: 1 + 2 (y) [z]]]
    ifs: copy [] loop 20000 [append ifs [#if true [a] x: 1 + 2 (y)]]
    calls: copy [#macro add2: func [x] [x + 2] #macro [integer! '+ integer!] func [s e] [s/1 + s/3]]
    loop 20000 [append calls [add2 1 2 + 3]]
    r: reactor [a: 0] o: make object! [x: none relate x: [r/a * 2]]
    c: reactor [x: 0 y: 0 z: 0]
    react/later [c/y: c/x + 1] react/later [c/z: c/y * 10]
)";

const ScriptCase kCases[] = {
    {"scan 120k values", "expand-directives/clean copy/deep plain"},
    {"20k #if directives", "expand-directives/clean copy/deep ifs"},
    {"40k macro calls", "expand-directives/clean copy/deep calls"},
    {"100k relate changes", "repeat i 100000 [r/a: i]"},
    {"30k chained changes", "repeat i 30000 [c/x: i]"},
};

void body() {
    bench::time_script_cases(kSetup, kCases, std::size(kCases));
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
