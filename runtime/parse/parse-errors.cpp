// The errors of the engine, all in the script category. The stacks are cut
// back by the parse call's guard as the error unwinds.
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/parse/parse-internal.h"

namespace xel::parse {

void fail_rule(const Cell* value) {
    Cell v = *value;
    error_fire(kCatScript, err::script::kParseRule, &v);
}

void fail_end(const Cell* keyword) {
    Cell k = *keyword;
    error_fire(kCatScript, err::script::kParseEnd, &k);
}

void fail_invalid_ref(const Cell* word) {
    Cell w = *word;
    error_fire(kCatScript, err::script::kParseInvalidRef, &w);
}

void fail_block(const Cell* input) {
    Cell type = datatype_cell(type_of(input));
    error_fire(kCatScript, err::script::kParseBlock, &type);
}

void fail_unsupported() {
    error_fire(kCatScript, err::script::kParseUnsupported);
}

void fail_keep() {
    error_fire(kCatScript, err::script::kParseKeep);
}

void fail_into_bad() {
    error_fire(kCatScript, err::script::kParseIntoBad);
}

void fail_into_type() {
    error_fire(kCatScript, err::script::kParseIntoType);
}

} // namespace xel::parse
