// NaN?, the logarithms, exp and square-root.
#include <cmath>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

constexpr double kLn2 = 0.6931471805599453;
constexpr double kE = 2.718281828459045;

// The library's NaN and infinities pass through as float! results.
uint32_t float_result(double (*fn)(double)) {
    Cell* arg = stack_arguments();
    float_make_at(arg, fn(natives_arg_to_float(arg)));
    return 0;
}

double log_2(double x) {
    return std::log(x) / kLn2;
}
double log_10(double x) {
    return std::log10(x);
}
double log_e(double x) {
    return std::log(x);
}
double exp_e(double x) {
    return std::pow(kE, x);
}
double square_root(double x) {
    return std::sqrt(x);
}

} // namespace

uint32_t natives_nan(int, const int32_t*) {
    Cell* arg = stack_arguments();
    set_logic(arg, type_of(arg) != T_INTEGER && std::isnan(cell_double(arg)));
    return 0;
}

uint32_t natives_log_2(int, const int32_t*) {
    return float_result(log_2);
}
uint32_t natives_log_10(int, const int32_t*) {
    return float_result(log_10);
}
uint32_t natives_log_e(int, const int32_t*) {
    return float_result(log_e);
}
uint32_t natives_exp(int, const int32_t*) {
    return float_result(exp_e);
}
uint32_t natives_square_root(int, const int32_t*) {
    return float_result(square_root);
}

} // namespace xel
