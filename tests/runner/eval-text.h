// Loads and evaluates one text under a try frame, as the test runner needs.
#pragma once
#include <string>

namespace xel {

struct EvalOutcome {
    bool error;       // the text raised an error
    std::string text; // the molded value, or the formed error
};

EvalOutcome eval_text(const std::string& code);

} // namespace xel
