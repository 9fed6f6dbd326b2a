// Names for the cases of parameterised tests, so a failing case reads as
// `Table/LexerErrors.RaisesTheSyntaxError/brace_abc_37` rather than `/37`
// with the parameter printed as raw bytes.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xel_test {

// The text as a test name: letters and digits kept, punctuation spelled as a
// word, other bytes as xHH, words joined by '_'; the case's index ends the
// name so that two cases of like text stay apart.
std::string case_name(std::string_view text, size_t index);

inline std::string case_text(const char* text) {
    return text;
}
inline std::string case_text(const std::string& text) {
    return text;
}
inline std::string case_text(std::string_view text) {
    return std::string(text);
}
// Bytes and code points are named by their hex digits.
std::string case_text(const std::vector<uint8_t>& bytes);
std::string case_text(uint32_t code_point);
std::string case_text(int32_t code_point);

// The name generator that names each case by one field of its record:
// INSTANTIATE_TEST_SUITE_P(Table, LexerErrors, ValuesIn(kCases), NamedBy<&ErrorCase::text>());
template <auto Field> struct NamedBy {
    template <class Case> std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return case_name(case_text(info.param.*Field), info.index);
    }
};

} // namespace xel_test
