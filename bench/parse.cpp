// The parse engine on long inputs: charset repetitions (the tight loops),
// alternatives of literals through rule frames, a block input matched by
// datatype, and collect/keep. Each script runs once and its time is printed.
#include <iterator>

#include "bench/support/run-script.h"
#include "boot/entry.h"

using namespace xel;
using xel::bench::ScriptCase;

namespace {

const char* const kSetup = R"(
    letter: make bitset! [#"a" - #"z" #"A" - #"Z"]
    digit: make bitset! [#"0" - #"9"]
    text: copy ""
    loop 20000 [append text "word123 Other456, "]
    items: copy []
    loop 50000 [append items [1 "two" three]]
)";

const ScriptCase kCases[] = {
    {"charset runs", "loop 20 [parse text [some [some letter | some digit | skip]]]"},
    {"literal alternatives", "loop 5 [parse text [some [\"word\" | \"Other\" | \", \" | skip]]]"},
    {"block by datatype", "loop 20 [parse items [some [integer! | string! | word!]]]"},
    {"sub-blocks and copy", "loop 5 [parse items [some [copy x [integer! string!] word!]]]"},
    {"collect keep", "loop 5 [parse items [collect [some [keep integer! | skip]]]]"},
};

void body() {
    bench::time_script_cases(kSetup, kCases, std::size(kCases));
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
