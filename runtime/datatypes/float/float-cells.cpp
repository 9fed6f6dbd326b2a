#include <cmath>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

// Doubles ordered as unsigned keys: negative ones count down from the top
// bit, positive ones up from it, so both zeros share one key.
uint64_t ordered_key(double x) {
    uint64_t bits = std::bit_cast<uint64_t>(x);
    return (bits >> 63) != 0 ? 0 - bits : bits | (uint64_t{1} << 63);
}

constexpr int kUlpTolerance = 10;

} // namespace

Cell* float_make_in(Cell* blk, double d) {
    return float_make_at(block_alloc_tail_cell(blk), d);
}

bool float_almost_equal(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return false;
    if (a == b) return true;
    if (std::fabs(a - b) < kFloatEpsilon) return true;
    uint64_t ka = ordered_key(a);
    uint64_t kb = ordered_key(b);
    return (ka > kb ? ka - kb : kb - ka) <= kUlpTolerance;
}

bool float32_almost_equal(float a, float b) {
    if (a != a || b != b) return false;
    if (a == b) return true;
    uint32_t ba = std::bit_cast<uint32_t>(a);
    uint32_t bb = std::bit_cast<uint32_t>(b);
    uint32_t ma = ba & 0x7FFFFFFFu;
    uint32_t mb = bb & 0x7FFFFFFFu;
    // At the top of the range (the largest finite float or infinity) only
    // the same sign and a close bit pattern count.
    if (ma >= 0x7F7FFFFFu || mb >= 0x7F7FFFFFu) {
        uint32_t diff = ma > mb ? ma - mb : mb - ma;
        return (ba >> 31) == (bb >> 31) && diff < 0x100000u;
    }
    if (ma == 0 && mb == 0) return true;
    int64_t ka = (ba >> 31) != 0 ? -int64_t{ma} : int64_t{ma};
    int64_t kb = (bb >> 31) != 0 ? -int64_t{mb} : int64_t{mb};
    int64_t diff = ka - kb;
    return diff >= -kUlpTolerance && diff <= kUlpTolerance;
}

int32_t float_to_integer_checked(const Cell* c) {
    if (type_of(c) == T_INTEGER) return static_cast<int32_t>(c->data2);
    double x = cell_double(c);
    if (x > 2147483647.0 || x < -2147483648.0 || std::isnan(x)) {
        Cell copy = *c;
        error_fire(kCatScript, err::script::kOutOfRange, &copy);
    }
    return float_to_int32(x);
}

} // namespace xel
