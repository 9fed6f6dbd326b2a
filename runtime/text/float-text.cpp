#include "runtime/text/float-text.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "runtime/text/integer-text.h"

namespace xel {

bool g_float_pretty = true;
bool g_float_full = false;

namespace {

using u128 = unsigned __int128;

constexpr uint64_t kSignBit = uint64_t(1) << 63;
constexpr uint64_t kFractionMask = (uint64_t(1) << 52) - 1;
constexpr uint64_t kHiddenBit = uint64_t(1) << 52;
constexpr uint64_t kInfinityBits = 0x7FF0000000000000;
constexpr uint64_t kQuietNanBits = 0x7FF8000000000000;
constexpr uint64_t kLow63 = (uint64_t(1) << 63) - 1;
constexpr int kMinUnitExponent = -1074; // the unit of subnormals is 2^-1074

// Longest digit run that float_form_text writes with a digit limit.
constexpr int kMaxDigits = 30;

// Halfway points between doubles have at most 768 significant digits, so digits past this many
// only matter by being non-zero.
constexpr int kMaxExactDigits = 800;

// Floor logarithms by fixed-point multiplication, exact over the exponent ranges used here.
constexpr int floor_log2_pow10(int n) {
    return static_cast<int>((int64_t(n) * 913124641741) >> 38);
}
constexpr int floor_log10_pow2(int e) {
    return static_cast<int>((int64_t(e) * 661971961083) >> 41);
}
constexpr int floor_log10_three_quarters_pow2(int e) {
    return static_cast<int>((int64_t(e) * 661971961083 - 274743187321) >> 41);
}

constexpr std::array<uint64_t, 20> kPow10u64 = [] {
    std::array<uint64_t, 20> t{};
    uint64_t v = 1;
    for (auto& x : t) {
        x = v;
        v *= 10;
    }
    return t;
}();

// Powers of ten that are exact doubles.
constexpr std::array<double, 23> kExactPow10 = [] {
    std::array<double, 23> t{};
    double v = 1.0;
    for (auto& x : t) {
        x = v;
        v *= 10.0;
    }
    return t;
}();

constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// 10^n as a 128-bit mantissa with its top bit set, truncated: 10^n = hi:lo * 2^(f - 127), where
// f = floor_log2_pow10(n). Exact for 0 <= n <= 55.
struct Pow10 {
    uint64_t hi, lo;
};
constexpr int kPow10Min = -343;
constexpr int kPow10Max = 343;

// The 64 bits of a little-endian big number from bit pos up; bits below 0 read as zero.
constexpr uint64_t bits_at(const uint32_t* a, int len, int pos) {
    uint64_t r = 0;
    for (int i = 0; i < 64; ++i) {
        int b = pos + i;
        if (b >= 0 && b < 32 * len && ((a[b / 32] >> (b % 32)) & 1)) r |= uint64_t(1) << i;
    }
    return r;
}

constexpr int bit_length(const uint32_t* a, int len) {
    return 32 * (len - 1) + std::bit_width(a[len - 1]);
}

constexpr std::array<Pow10, kPow10Max - kPow10Min + 1> make_pow10_table() {
    std::array<Pow10, kPow10Max - kPow10Min + 1> t{};
    // 10^n = 5^n * 2^n, so the mantissa is the top of 5^n.
    uint32_t a[32] = {1};
    int len = 1;
    for (int n = 0; n <= kPow10Max; ++n) {
        if (n > 0) {
            uint64_t carry = 0;
            for (int i = 0; i < len; ++i) {
                uint64_t v = uint64_t(a[i]) * 5 + carry;
                a[i] = static_cast<uint32_t>(v);
                carry = v >> 32;
            }
            if (carry) a[len++] = static_cast<uint32_t>(carry);
        }
        int bits = bit_length(a, len);
        if (floor_log2_pow10(n) != n + bits - 1) throw "power of ten exponent";
        t[n - kPow10Min] = {bits_at(a, len, bits - 64), bits_at(a, len, bits - 128)};
    }
    // 10^-j = 2^-j / 5^j; floor(2^960 / 5^j) keeps over 128 significant bits for every j, and
    // dividing the floor again by 5 gives the floor of the exact quotient.
    uint32_t b[31] = {};
    b[30] = 1;
    len = 31;
    for (int j = 1; j <= -kPow10Min; ++j) {
        uint64_t rem = 0;
        for (int i = len - 1; i >= 0; --i) {
            uint64_t cur = (rem << 32) | b[i];
            b[i] = static_cast<uint32_t>(cur / 5);
            rem = cur % 5;
        }
        while (b[len - 1] == 0)
            --len;
        int bits = bit_length(b, len);
        if (floor_log2_pow10(-j) != bits - 961 - j) throw "power of ten exponent";
        t[-j - kPow10Min] = {bits_at(b, len, bits - 64), bits_at(b, len, bits - 128)};
    }
    return t;
}

constexpr auto kPow10Table = make_pow10_table();

inline const Pow10& pow10_entry(int n) {
    return kPow10Table[n - kPow10Min];
}

inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Unsigned big integer of fixed capacity, enough for every exact comparison made here, so the
// rare exact paths never touch the heap.
class Big {
  public:
    void set(uint64_t v) {
        n_ = 0;
        for (; v != 0; v >>= 32)
            w_[n_++] = static_cast<uint32_t>(v);
    }

    void assign(const Big& o) {
        n_ = o.n_;
        std::memcpy(w_, o.w_, sizeof(uint32_t) * n_);
    }

    bool is_zero() const { return n_ == 0; }

    void mul_add(uint32_t m, uint32_t add) {
        uint64_t carry = add;
        for (int i = 0; i < n_; ++i) {
            uint64_t v = uint64_t(w_[i]) * m + carry;
            w_[i] = static_cast<uint32_t>(v);
            carry = v >> 32;
        }
        if (carry) w_[n_++] = static_cast<uint32_t>(carry);
    }

    void mul_pow5(int64_t e) {
        for (; e >= 13; e -= 13)
            mul_add(1220703125, 0);
        static constexpr uint32_t kSmall[13] = {
            1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625};
        if (e > 0) mul_add(kSmall[e], 0);
    }

    void shl(int64_t s) {
        if (n_ == 0) return;
        int limbs = static_cast<int>(s / 32);
        int bits = static_cast<int>(s % 32);
        if (bits != 0) {
            uint32_t top = w_[n_ - 1] >> (32 - bits);
            for (int i = n_ - 1; i > 0; --i)
                w_[i] = (w_[i] << bits) | (w_[i - 1] >> (32 - bits));
            w_[0] <<= bits;
            if (top) w_[n_++] = top;
        }
        if (limbs != 0) {
            std::memmove(w_ + limbs, w_, sizeof(uint32_t) * n_);
            std::memset(w_, 0, sizeof(uint32_t) * limbs);
            n_ += limbs;
        }
    }

    // *this -= o, with *this >= o.
    void sub(const Big& o) {
        int64_t borrow = 0;
        for (int i = 0; i < n_; ++i) {
            int64_t v = int64_t(w_[i]) - (i < o.n_ ? o.w_[i] : 0) - borrow;
            borrow = v < 0;
            w_[i] = static_cast<uint32_t>(v);
        }
        while (n_ > 0 && w_[n_ - 1] == 0)
            --n_;
    }

    friend int compare(const Big& a, const Big& b) {
        if (a.n_ != b.n_) return a.n_ < b.n_ ? -1 : 1;
        for (int i = a.n_ - 1; i >= 0; --i)
            if (a.w_[i] != b.w_[i]) return a.w_[i] < b.w_[i] ? -1 : 1;
        return 0;
    }

  private:
    static constexpr int kCapacity = 100;
    uint32_t w_[kCapacity];
    int n_ = 0;
};

// ---- Shortest digits ----

struct Decimal {
    uint64_t f; // value = f * 10^e
    int e;
};

// floor(g * cp / 2^127) with the lowest bit set when the dropped part is not zero; g = g1:g0 in
// two 63-bit halves. Rounding to odd keeps every comparison against even multiples exact.
inline uint64_t round_to_odd(uint64_t g1, uint64_t g0, uint64_t cp) {
    uint64_t x1 = static_cast<uint64_t>((u128(g0) * cp) >> 64);
    u128 y = u128(g1) * cp;
    uint64_t y0 = static_cast<uint64_t>(y);
    uint64_t y1 = static_cast<uint64_t>(y >> 64);
    uint64_t z = (y0 >> 1) + x1;
    uint64_t vbp = y1 + (z >> 63);
    return vbp | (((z & kLow63) + kLow63) >> 63);
}

// The shortest decimal inside the rounding interval of a positive finite double, the closest
// to it among several (ties to even). Works on the interval scaled by 4 * 10^-k, where 10^k is
// the coarsest power of ten no wider than the interval.
Decimal shortest_decimal(uint64_t bits) {
    uint64_t c = bits & kFractionMask;
    int biased = static_cast<int>(bits >> 52);
    int q;
    if (biased != 0) {
        c |= kHiddenBit;
        q = biased - 1075;
        // A whole number below 2^53 is its own shortest form.
        if (q < 0 && q > -53) {
            uint64_t f = c >> -q;
            if (f << -q == c) return {f, 0};
        }
    } else {
        q = kMinUnitExponent;
    }
    uint64_t out = c & 1; // odd: the interval bounds do not read back
    uint64_t cb = c << 2;
    uint64_t cbr = cb + 2;
    uint64_t cbl;
    int k;
    if (c != kHiddenBit || q == kMinUnitExponent) {
        cbl = cb - 2;
        k = floor_log10_pow2(q);
    } else {
        // At a power of two the gap below is half the gap above.
        cbl = cb - 1;
        k = floor_log10_three_quarters_pow2(q);
    }
    int h = q + floor_log2_pow10(-k) + 2;
    const Pow10& p = pow10_entry(-k);
    u128 g = ((u128(p.hi) << 64 | p.lo) >> 2) + 1;
    uint64_t g1 = static_cast<uint64_t>(g >> 63);
    uint64_t g0 = static_cast<uint64_t>(g) & kLow63;
    uint64_t vb = round_to_odd(g1, g0, cb << h);
    uint64_t vbl = round_to_odd(g1, g0, cbl << h);
    uint64_t vbr = round_to_odd(g1, g0, cbr << h);

    uint64_t s = vb >> 2;
    uint64_t sp10 = s / 10 * 10;
    uint64_t tp10 = sp10 + 10;
    bool upin = vbl + out <= sp10 << 2;
    bool wpin = (tp10 << 2) + out <= vbr;
    if (upin != wpin) return {upin ? sp10 : tp10, k};

    uint64_t t = s + 1;
    bool uin = vbl + out <= s << 2;
    bool win = (t << 2) + out <= vbr;
    if (uin != win) return {uin ? s : t, k};
    int64_t cmp = static_cast<int64_t>(vb - ((s + t) << 1));
    return {cmp < 0 || (cmp == 0 && (s & 1) == 0) ? s : t, k};
}

Decimal trim_zeros(Decimal d) {
    if (d.f % 100000000 == 0) {
        d.f /= 100000000;
        d.e += 8;
    }
    while (d.f % 10 == 0) {
        d.f /= 10;
        ++d.e;
    }
    return d;
}

// Writes the digits of v so that they end at end; returns where they start.
char* write_digits_backward(uint64_t v, char* end) {
    while (v >= 100) {
        unsigned r = static_cast<unsigned>(v % 100);
        v /= 100;
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * r], 2);
    }
    if (v >= 10) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * v], 2);
    } else {
        *--end = static_cast<char>('0' + v);
    }
    return end;
}

// ---- Digits to a fixed precision ----

// Adds one unit to the last of p digits; returns 1 when the carry ran out of digits.
int round_up_digits(char* d, int p) {
    int i = p - 1;
    while (i >= 0 && d[i] == '9')
        d[i--] = '0';
    if (i >= 0) {
        ++d[i];
        return 0;
    }
    d[0] = '1';
    return 1;
}

// Exact long division of c * 2^q by powers of ten; c has its top bit at 52.
int fixed_digits_exact(uint64_t c, int q, int p, char* out) {
    Big num, den;
    num.set(c);
    den.set(1);
    if (q >= 0)
        num.shl(q);
    else
        den.shl(-q);
    int e10 = floor_log10_pow2(q + 52);
    if (e10 >= 0) {
        den.mul_pow5(e10);
        den.shl(e10);
    } else {
        num.mul_pow5(-e10);
        num.shl(-e10);
    }
    Big next;
    next.assign(den);
    next.mul_add(10, 0);
    if (compare(num, next) >= 0) {
        ++e10;
        den.assign(next);
    }
    // num / den is now in [1, 10): take one digit at a time by binary long division.
    Big d2, d4, d8;
    d2.assign(den);
    d2.shl(1);
    d4.assign(d2);
    d4.shl(1);
    d8.assign(d4);
    d8.shl(1);
    for (int i = 0; i < p; ++i) {
        if (num.is_zero()) {
            std::memset(out + i, '0', p - i);
            return e10;
        }
        int digit = 0;
        if (compare(num, d8) >= 0) {
            num.sub(d8);
            digit = 8;
        }
        if (compare(num, d4) >= 0) {
            num.sub(d4);
            digit += 4;
        }
        if (compare(num, d2) >= 0) {
            num.sub(d2);
            digit += 2;
        }
        if (compare(num, den) >= 0) {
            num.sub(den);
            digit += 1;
        }
        out[i] = static_cast<char>('0' + digit);
        if (i + 1 < p) num.mul_add(10, 0);
    }
    num.shl(1);
    int half = compare(num, den);
    if (half > 0 || (half == 0 && ((out[p - 1] - '0') & 1))) e10 += round_up_digits(out, p);
    return e10;
}

// Writes the p (1 to kMaxDigits) significant digits of a positive finite double, rounded half
// to even on its exact value; returns X with the value near d1.d2..dp * 10^X.
int fixed_digits(uint64_t bits, int p, char* out) {
    uint64_t c = bits & kFractionMask;
    int biased = static_cast<int>(bits >> 52);
    int q;
    if (biased != 0) {
        c |= kHiddenBit;
        q = biased - 1075;
    } else {
        int shift = std::countl_zero(c) - 11;
        c <<= shift;
        q = kMinUnitExponent - shift;
    }
    if (p > 17) return fixed_digits_exact(c, q, p, out);

    // y = c * 2^q * 10^n10 from a 128-bit power; its truncation error stays below 2 units of
    // the kept 128 bits, so only a fraction that close to one half needs the exact path.
    int e10 = floor_log10_pow2(q + 52);
    for (;;) {
        int n10 = p - 1 - e10;
        const Pow10& t = pow10_entry(n10);
        u128 lo = u128(c) * t.lo;
        u128 z = u128(c) * t.hi + (lo >> 64);
        uint64_t z_low = static_cast<uint64_t>(lo);
        int sh = 63 - q - floor_log2_pow10(n10);
        uint64_t n = static_cast<uint64_t>(z >> sh);
        if (n >= kPow10u64[p]) {
            ++e10; // the estimate of the decimal exponent was one short
            continue;
        }
        u128 frac = z & ((u128(1) << sh) - 1);
        u128 half = u128(1) << (sh - 1);
        bool up;
        if (n10 >= 0 && n10 <= 55)
            up = frac > half || (frac == half && (z_low != 0 || (n & 1)));
        else if (frac > half)
            up = true;
        else if (frac + 2 <= half)
            up = false;
        else
            return fixed_digits_exact(c, q, p, out);
        if (up && ++n == kPow10u64[p]) {
            n = kPow10u64[p - 1];
            ++e10;
        }
        write_digits_backward(n, out + p);
        return e10;
    }
}

// ---- Reading ----

struct DecimalText {
    const char* sig;      // first significant digit
    const char* mant_end; // end of the digits and point
    int64_t point;        // value = 0.d1d2... * 10^point
};

// Whether the exact decimal lies above the midpoint of m and m + 1 units of 2^unit (ties go
// to an even m).
bool exact_rounds_up(const DecimalText& text, uint64_t m, int unit) {
    Big a;
    a.set(0);
    int64_t used = 0;
    uint32_t chunk = 0;
    int chunk_len = 0;
    bool sticky = false;
    for (const char* s = text.sig; s < text.mant_end; ++s) {
        if (*s == '.') continue;
        if (used == kMaxExactDigits) {
            if (*s != '0') {
                sticky = true;
                break;
            }
            continue;
        }
        chunk = chunk * 10 + static_cast<uint32_t>(*s - '0');
        ++used;
        if (++chunk_len == 9) {
            a.mul_add(1000000000, chunk);
            chunk = 0;
            chunk_len = 0;
        }
    }
    if (sticky) {
        // One more non-zero digit below every digit kept stands for the cut tail.
        chunk = chunk * 10 + 1;
        ++chunk_len;
        ++used;
    }
    if (chunk_len != 0) a.mul_add(static_cast<uint32_t>(kPow10u64[chunk_len]), chunk);

    // Compare a * 10^e with (2m + 1) * 2^(unit - 1).
    int64_t e = text.point - used;
    int64_t e2 = int64_t(unit) - 1;
    Big b;
    b.set(2 * m + 1);
    if (e >= 0)
        a.mul_pow5(e);
    else
        b.mul_pow5(-e);
    if (e > e2)
        a.shl(e - e2);
    else
        b.shl(e2 - e);
    int r = compare(a, b);
    return r > 0 || (r == 0 && (m & 1));
}

double with_sign(double v, bool neg) {
    return neg ? -v : v;
}

// w * 10^q to the nearest double; trunc says non-zero digits followed the 19 in w.
double decimal_to_double(uint64_t w, int64_t q, bool trunc, bool neg, const DecimalText& text) {
    if (!trunc && w <= kHiddenBit << 1) {
        // Both operands are exact, so one rounding gives the correct result.
        double v = static_cast<double>(w);
        if (q >= 0 && q <= 22) return with_sign(v * kExactPow10[q], neg);
        if (q < 0 && q >= -22) return with_sign(v / kExactPow10[-q], neg);
        if (q > 22 && q <= 22 + 15 && w <= (kHiddenBit << 1) / kPow10u64[q - 22])
            return with_sign(static_cast<double>(w * kPow10u64[q - 22]) * kExactPow10[22], neg);
    }
    // w >= 1, so 10^309 and up overflow; below 10^-343 even 19 digits stay under half of the
    // smallest subnormal.
    if (q > 308) return with_sign(std::bit_cast<double>(kInfinityBits), neg);
    if (q < kPow10Min) return with_sign(0.0, neg);

    int lz = std::countl_zero(w);
    uint64_t wn = w << lz;
    const Pow10& t = pow10_entry(static_cast<int>(q));
    u128 lo = u128(wn) * t.lo;
    u128 z = u128(wn) * t.hi + (lo >> 64);
    uint64_t z_low = static_cast<uint64_t>(lo);
    int e = floor_log2_pow10(static_cast<int>(q)) - 63 - lz; // value ~ z * 2^e
    int s = (z >> 127) ? 127 - 52 : 126 - 52;                // bits below the mantissa
    if (s + e < kMinUnitExponent) s = kMinUnitExponent - e;
    if (s > 128) return with_sign(0.0, neg);
    uint64_t m = s >= 128 ? 0 : static_cast<uint64_t>(z >> s);
    u128 r = s >= 128 ? z : z & ((u128(1) << s) - 1);
    u128 half = u128(1) << (s - 1);
    bool exact_power = q >= 0 && q <= 55;
    bool up;
    if (exact_power && !trunc) {
        up = r > half || (r == half && (z_low != 0 || (m & 1)));
    } else {
        u128 err = (exact_power ? 1 : 2) + (trunc ? u128(1) << (lz + 64) : 0);
        if (r > half + err)
            up = true;
        else if (r + err < half)
            up = false;
        else
            up = exact_rounds_up(text, m, s + e);
    }
    int unit = s + e;
    if (up && ++m == kHiddenBit << 1) {
        m >>= 1;
        ++unit;
    }
    uint64_t bits = m;
    if (m >= kHiddenBit) {
        int biased = unit + 1075;
        if (biased >= 2047) return with_sign(std::bit_cast<double>(kInfinityBits), neg);
        bits = uint64_t(biased) << 52 | (m & kFractionMask);
    }
    return with_sign(std::bit_cast<double>(bits), neg);
}

// ---- Layout ----

// Text of the float_form_text family: one spare byte in front for a "-".
char g_digit_text[48];
// Text of float_form_value.
char g_value_text[32];

char* append_exponent(char* o, int exponent) {
    const char* text = integer_to_text(exponent);
    size_t len = std::strlen(text);
    std::memcpy(o, text, len);
    return o + len;
}

// Display formats round twice: the value to this many significant digits, then that digit
// string half up to the precision asked for. The double rounding shows: 1e-20, stored as
// 9.99999999999999945e-21, displays as "1e-20" at 16 digits.
constexpr int kDisplayDigits = 17;

// The "%.pg" display text of x (p up to 17) with the exponent bare (no "+", no leading zeros);
// returns the length.
int format_general(double x, int p, char* dst) {
    uint64_t bits = std::bit_cast<uint64_t>(x);
    char* o = dst;
    if (bits & kSignBit) *o++ = '-';
    bits &= ~kSignBit;
    if (bits == 0) {
        *o++ = '0';
        return static_cast<int>(o - dst);
    }
    char d[kDisplayDigits];
    int x10 = fixed_digits(bits, kDisplayDigits, d);
    if (p < kDisplayDigits && d[p] >= '5') x10 += round_up_digits(d, p);
    int n = p;
    while (n > 1 && d[n - 1] == '0')
        --n;
    if (x10 < -4 || x10 >= p) {
        *o++ = d[0];
        if (n > 1) {
            *o++ = '.';
            std::memcpy(o, d + 1, n - 1);
            o += n - 1;
        }
        *o++ = 'e';
        o = append_exponent(o, x10);
    } else if (x10 >= 0) {
        int whole = x10 + 1;
        if (n <= whole) {
            std::memcpy(o, d, n);
            std::memset(o + n, '0', whole - n);
            o += whole;
        } else {
            std::memcpy(o, d, whole);
            o += whole;
            *o++ = '.';
            std::memcpy(o, d + whole, n - whole);
            o += n - whole;
        }
    } else {
        *o++ = '0';
        *o++ = '.';
        std::memset(o, '0', -x10 - 1);
        o += -x10 - 1;
        std::memcpy(o, d, n);
        o += n;
    }
    return static_cast<int>(o - dst);
}

// A display text with one digit too many from binary noise: over 16 characters before the end
// or the exponent, unless it is a "0." fraction of exactly 17.
bool is_noisy(const char* text, int len) {
    const char* e = static_cast<const char*>(std::memchr(text, 'e', len));
    int end = e ? static_cast<int>(e - text) : len;
    if (e) {
        if (end <= 16) return false;
    } else {
        if (len <= 16) return false;
        char first = text[text[0] == '-' ? 1 : 0];
        if (first == '0' && len <= 17) return false;
    }
    return (text[end - 2] == '0' && text[end - 1] == '1') ||
           (text[end - 2] == '9' && text[end - 1] == '9');
}

struct KindRule {
    int first; // significant digits of the first text; 0 for six-digit float_form_text
    int retry; // significant digits of a noisy text's retry
    bool percent;
    bool point; // whole numbers get ".0"
};

constexpr KindRule kKindRules[6] = {
    {7, 5, false, true},   {16, 14, false, true}, {7, 14, true, false},
    {13, 14, true, false}, {0, 5, false, false},  {7, 5, false, false},
};

} // namespace

double float_from_text(const char* start, const char* end, int exponent_adjust, int* unconsumed) {
    const char* p = start;
    bool neg = false;
    if (p < end && (*p == '+' || *p == '-')) {
        neg = *p == '-';
        ++p;
    }
    bool any_digit = false;
    while (p < end && *p == '0') {
        ++p;
        any_digit = true;
    }
    DecimalText text{p, p, 0};
    uint64_t w = 0;
    int64_t nd = 0;
    bool trunc = false;
    auto take = [&](char ch) {
        uint32_t d = static_cast<uint32_t>(ch - '0');
        if (nd < 19)
            w = w * 10 + d;
        else if (d != 0)
            trunc = true;
        ++nd;
    };
    for (; p < end && is_digit(*p); ++p)
        take(*p);
    text.point = nd;
    if (p < end && *p == '.') {
        if (nd == 1 && end - p > 2 && p[1] == '#') {
            char c = p[2];
            if (c == 'I' || c == 'i' || c == 'N' || c == 'n') {
                if (unconsumed) *unconsumed = 0;
                if (c == 'N' || c == 'n') return std::bit_cast<double>(kQuietNanBits);
                return with_sign(std::bit_cast<double>(kInfinityBits), neg);
            }
        }
        ++p;
        if (nd == 0) {
            for (; p < end && *p == '0'; ++p)
                --text.point;
            any_digit |= text.point < 0;
            text.sig = p;
        }
        for (; p < end && is_digit(*p); ++p)
            take(*p);
    }
    any_digit |= nd > 0;
    if (!any_digit) {
        if (unconsumed) *unconsumed = static_cast<int>(end - start);
        return 0.0;
    }
    text.mant_end = p;

    int64_t exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        bool exp_neg = false;
        if (e < end && (*e == '+' || *e == '-')) {
            exp_neg = *e == '-';
            ++e;
        }
        if (e < end && is_digit(*e)) {
            // Far past the double range the value no longer changes; stop growing.
            for (; e < end && is_digit(*e); ++e)
                if (exponent < 1000000000) exponent = exponent * 10 + (*e - '0');
            if (exp_neg) exponent = -exponent;
            p = e;
        }
    }
    if (unconsumed) *unconsumed = static_cast<int>(end - p);
    if (nd == 0) return with_sign(0.0, neg);

    text.point += exponent + exponent_adjust;
    int64_t q = text.point - (nd < 19 ? nd : 19);
    return decimal_to_double(w, q, trunc, neg, text);
}

const char* float_form_text(double x, int max_digits, bool pad) {
    uint64_t bits = std::bit_cast<uint64_t>(x);
    bool neg = (bits & kSignBit) != 0;
    uint64_t mag = bits & ~kSignBit;
    if (mag >= kInfinityBits) {
        if (mag != kInfinityBits) return "1.#NaN";
        return neg ? "-1.#INF" : "1.#INF";
    }
    if (mag == 0) {
        if (pad) return neg ? "-0.0" : "0.0";
        return neg ? "-0" : "0";
    }

    // Digits d[0..n) with the value 0.d1..dn * 10^k.
    char buf[kMaxDigits];
    const char* d;
    int n, k;
    if (max_digits <= 0) {
        Decimal dec = trim_zeros(shortest_decimal(mag));
        d = write_digits_backward(dec.f, buf + sizeof buf);
        n = static_cast<int>(buf + sizeof buf - d);
        k = n + dec.e;
    } else {
        int p = max_digits < kMaxDigits ? max_digits : kMaxDigits;
        k = fixed_digits(mag, p, buf) + 1;
        n = p;
        while (n > 1 && buf[n - 1] == '0')
            --n;
        d = buf;
    }

    char* const text = g_digit_text + 1;
    char* o = text;
    if (k > 17 || k < -6) {
        *o++ = d[0];
        *o++ = '.';
        if (n > 1) {
            std::memcpy(o, d + 1, n - 1);
            o += n - 1;
        } else {
            *o++ = '0';
        }
        *o++ = 'e';
        o = append_exponent(o, k - 1);
    } else if (k > 0) {
        if (n <= k) {
            std::memcpy(o, d, n);
            std::memset(o + n, '0', k - n);
            o += k;
            if (pad) {
                *o++ = '.';
                *o++ = '0';
            }
        } else {
            std::memcpy(o, d, k);
            o += k;
            *o++ = '.';
            std::memcpy(o, d + k, n - k);
            o += n - k;
        }
    } else {
        *o++ = '0';
        *o++ = '.';
        std::memset(o, '0', -k);
        o += -k;
        std::memcpy(o, d, n);
        o += n;
    }
    *o = '\0';
    if (!neg) return text;
    text[-1] = '-';
    return text - 1;
}

const char* float_form_value(double x, int kind) {
    uint64_t mag = std::bit_cast<uint64_t>(x) & ~kSignBit;
    if (mag >= kInfinityBits) return float_form_text(x, 0, true);
    const KindRule& rule = kKindRules[kind >= 0 && kind <= 5 ? kind : 1];
    char* const o = g_value_text;
    if (g_float_pretty && std::bit_cast<double>(mag) < 0x1p-52) {
        const char* zero = rule.percent ? "0%" : kind == 5 ? "0" : "0.0";
        std::strcpy(o, zero);
        return o;
    }

    int len;
    if (rule.first == 0) {
        const char* t = float_form_text(x, 6, false);
        len = static_cast<int>(std::strlen(t));
        std::memcpy(o, t, len);
    } else {
        len = format_general(x, rule.first, o);
    }
    if (g_float_pretty && is_noisy(o, len)) len = format_general(x, rule.retry, o);

    if (rule.percent) {
        o[len++] = '%';
    } else if (rule.point && !std::memchr(o, '.', len)) {
        char* e = static_cast<char*>(std::memchr(o, 'e', len));
        if (e) {
            std::memmove(e + 2, e, o + len - e);
            e[0] = '.';
            e[1] = '0';
        } else {
            o[len] = '.';
            o[len + 1] = '0';
        }
        len += 2;
    }
    o[len] = '\0';
    return o;
}

} // namespace xel
