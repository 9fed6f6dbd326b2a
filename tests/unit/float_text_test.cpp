#include "runtime/text/float-text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "runtime/text/integer-text.h"

namespace {

using xel::float_form_text;
using xel::float_form_value;
using xel::float_from_text;

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::bit_cast<double>(uint64_t(0x7FF8000000000000));
const double kNegNaN = std::bit_cast<double>(uint64_t(0xFFF8000000000001));

uint64_t bits_of(double x) {
    return std::bit_cast<uint64_t>(x);
}

double read(const std::string& text, int adjust = 0, int* unconsumed = nullptr) {
    return float_from_text(text.data(), text.data() + text.size(), adjust, unconsumed);
}

// Sets the pretty flag for one scope.
class PrettyScope {
  public:
    explicit PrettyScope(bool on) : saved_(xel::g_float_pretty) { xel::g_float_pretty = on; }
    ~PrettyScope() { xel::g_float_pretty = saved_; }

  private:
    bool saved_;
};

// The significant digits of a decimal text, without leading or trailing zeros.
std::string significant_digits(const char* text) {
    std::string d;
    for (const char* p = text; *p && *p != 'e'; ++p) {
        if (*p < '0' || *p > '9') continue;
        if (d.empty() && *p == '0') continue;
        d += *p;
    }
    while (!d.empty() && d.back() == '0')
        d.pop_back();
    return d;
}

// Finite doubles with uniformly random bits: every binade and subnormals alike.
double random_finite(std::mt19937_64& rng) {
    for (;;) {
        uint64_t b = rng();
        if (((b >> 52) & 0x7FF) != 0x7FF) return std::bit_cast<double>(b);
    }
}

TEST(FloatText, MoldWritesShortestDigitsInItsOwnLayout) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.1, "0.1"},
        {100.0, "100.0"},
        {123.456, "123.456"},
        {1e-7, "0.0000001"},
        {1.5e-7, "0.00000015"},
        {1e-8, "1.0e-8"},
        {1e16, "10000000000000000.0"},
        {1e17, "1.0e17"},
        {1.2345e17, "1.2345e17"},
        {1e20, "1.0e20"},
        {1e23, "1.0e23"},
        {-2.5, "-2.5"},
        {1.0 / 3.0, "0.3333333333333333"},
        {0.1 + 0.2, "0.30000000000000004"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {kInf, "1.#INF"},
        {-kInf, "-1.#INF"},
        {kNaN, "1.#NaN"},
        {kNegNaN, "1.#NaN"},
        {5e-324, "5.0e-324"},
        {2.2250738585072014e-308, "2.2250738585072014e-308"},
        {1.7976931348623157e308, "1.7976931348623157e308"},
        {9007199254740991.0, "9007199254740991.0"},
        {-1.5e-300, "-1.5e-300"},
        {123456789012.5, "123456789012.5"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(float_form_text(c.value, 0, true), c.text) << c.text;
}

TEST(FloatText, DigitLimitRoundsHalfEvenOnTheExactValue) {
    struct Case {
        double value;
        int digits;
        bool pad;
        const char* text;
    };
    const Case cases[] = {
        {59.123456789, 6, false, "59.1235"},
        {5.5, 6, false, "5.5"},
        {5.0, 6, false, "5"},
        {5.0, 6, true, "5.0"},
        {0.0, 6, false, "0"},
        {-0.0, 6, false, "-0"},
        {-7.25, 6, false, "-7.25"},
        // Exact binary ties go to the even digit.
        {0.125, 2, true, "0.12"},
        {0.375, 2, true, "0.38"},
        {2.5, 1, true, "2.0"},
        {3.5, 1, true, "4.0"},
        // 0.15 is stored a little below the tie, 0.35 a little above.
        {0.15, 1, true, "0.1"},
        {0.35, 1, true, "0.3"},
        {0.35, 2, true, "0.35"},
        // A carry through all the digits moves the point.
        {999999.5, 6, true, "1000000.0"},
        {9.9999999, 3, false, "10"},
        {123456.7, 3, false, "123000"},
        {1e-8, 3, false, "1.0e-8"},
        // Past seventeen digits the exact binary value shows.
        {0.1, 20, true, "0.10000000000000000555"},
        {0.3, 17, true, "0.29999999999999999"},
        {5e-324, 30, true, "4.94065645841246544176568792868e-324"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(float_form_text(c.value, c.digits, c.pad), c.text) << c.text;
}

TEST(FloatText, NegativeTextKeepsDigitsInPlace) {
    // The sign goes into the spare byte in front of the digits.
    const char* pos = float_form_text(2.5, 0, true);
    const char* neg = float_form_text(-2.5, 0, true);
    EXPECT_EQ(neg + 1, pos);
}

TEST(FloatText, FormValueByKindAndPrettyFlag) {
    struct Case {
        double value;
        int kind;
        bool pretty;
        const char* text;
    };
    const Case cases[] = {
        {0.1 + 0.2, 1, true, "0.3"},
        {1e20, 1, true, "1.0e20"},
        {1e-5, 1, true, "1.0e-5"},
        {0.0001, 1, true, "0.0001"},
        {100.0, 1, true, "100.0"},
        {1e16, 1, true, "1.0e16"},
        {-2.5, 1, true, "-2.5"},
        {1.5e300, 1, true, "1.5e300"},
        {1e-20, 1, true, "0.0"},
        {1e-20, 1, false, "1.0e-20"},
        {-0.0, 1, true, "0.0"},
        {-0.0, 1, false, "-0.0"},
        // Noise in the last two of sixteen digits is retried with fourteen.
        {0.7999999999999999, 1, true, "0.8"},
        {1.000000000000001, 1, true, "1.0"},
        {1.000000000000001e20, 1, true, "1.0e20"},
        {0.7999999999999999, 1, false, "0.7999999999999999"},
        {1.000000000000001, 1, false, "1.000000000000001"},
        {1.000000000000001e20, 1, false, "1.000000000000001e20"},
        // Sixteen characters or a "0." fraction of seventeen are not noise.
        {123456789012345.1, 1, true, "123456789012345.1"},
        {0.100000000000001, 1, true, "0.100000000000001"},
        {0.1000000000000001, 1, true, "0.1"},
        {0.3, 0, true, "0.3"},
        {3.0, 0, true, "3.0"},
        {1e10, 0, true, "1.0e10"},
        {12.5, 2, true, "12.5%"},
        {0.0, 2, true, "0%"},
        {50.0, 3, true, "50%"},
        {100.0 / 3.0, 3, true, "33.33333333333%"},
        {1e-20, 3, true, "0%"},
        {-0.0, 3, false, "-0%"},
        {5.5, 4, true, "5.5"},
        {5.0, 4, true, "5"},
        {59.123456789, 4, true, "59.1235"},
        {1.5, 5, true, "1.5"},
        {3.0, 5, true, "3"},
        {0.0, 5, true, "0"},
        {kInf, 1, true, "1.#INF"},
        {-kInf, 3, true, "-1.#INF"},
        {kNegNaN, 5, false, "1.#NaN"},
    };
    for (const Case& c : cases) {
        PrettyScope pretty(c.pretty);
        EXPECT_STREQ(float_form_value(c.value, c.kind), c.text)
            << c.text << " kind " << c.kind << " pretty " << c.pretty;
    }
}

TEST(FloatText, MoldAndFormDifferOnlyAsDesigned) {
    PrettyScope pretty(true);
    EXPECT_STREQ(float_form_text(1e-20, 0, true), "1.0e-20");
    EXPECT_STREQ(float_form_value(1e-20, 1), "0.0");
    EXPECT_STREQ(float_form_text(-0.0, 0, true), "-0.0");
    EXPECT_STREQ(float_form_value(-0.0, 1), "0.0");
}

TEST(FloatText, ReadsText) {
    struct Case {
        const char* text;
        int adjust;
        double value;
        int unconsumed;
    };
    const Case cases[] = {
        {"0.1", 0, 0.1, 0},
        {"+2.5", 0, 2.5, 0},
        {"-2.5", 0, -2.5, 0},
        {"00012", 0, 12.0, 0},
        {".5", 0, 0.5, 0},
        {"0.000123", 0, 0.000123, 0},
        {"1.5E+3", 0, 1500.0, 0},
        {"1.5e-3", 0, 0.0015, 0},
        {"100e-2", 0, 1.0, 0},
        {"0.30000000000000004", 0, 0.1 + 0.2, 0},
        {"1e23", 0, 1e23, 0},
        {"50", -2, 0.5, 0},
        {"12.5", -2, 0.125, 0},
        {"1.#INF", 0, kInf, 0},
        {"-1.#INF", 0, -kInf, 0},
        {"1.#inf", 0, kInf, 0},
        {"1e400", 0, kInf, 0},
        {"-1e400", 0, -kInf, 0},
        {"1e-400", 0, 0.0, 0},
        {"-1e-400", 0, -0.0, 0},
        {"-0", 0, -0.0, 0},
        {"0.0e99999999999999", 0, 0.0, 0},
        {"0.000001e999999999999", 0, kInf, 0},
        // Ties between doubles go to the even one; a digit past the tie decides.
        {"9007199254740993", 0, 9007199254740992.0, 0},
        {"9007199254740995", 0, 9007199254740996.0, 0},
        {"9007199254740993.0000000000000000000001", 0, 9007199254740994.0, 0},
        {"2.4703282292062327e-324", 0, 0.0, 0},
        {"2.4703282292062328e-324", 0, 5e-324, 0},
        {"4.9406564584124654e-324", 0, 5e-324, 0},
        {"2.2250738585072011e-308", 0, 2.225073858507201e-308, 0},
        {"1.7976931348623157e308", 0, 1.7976931348623157e308, 0},
        {"1.7976931348623158e308", 0, 1.7976931348623157e308, 0},
        {"1.7976931348623159e308", 0, kInf, 0},
        {"0.1000000000000000055511151231257827021181583404541015625", 0, 0.1, 0},
        {"123abc", 0, 123.0, 3},
        {"1.5e", 0, 1.5, 1},
        {"7e+", 0, 7.0, 2},
        {"", 0, 0.0, 0},
        {"-", 0, 0.0, 1},
        {"x", 0, 0.0, 1},
    };
    for (const Case& c : cases) {
        int unconsumed = -1;
        double v = read(c.text, c.adjust, &unconsumed);
        EXPECT_EQ(bits_of(v), bits_of(c.value)) << c.text;
        EXPECT_EQ(unconsumed, c.unconsumed) << c.text;
    }
    EXPECT_EQ(bits_of(read("1.#NaN")), 0x7FF8000000000000u);
    EXPECT_EQ(bits_of(read("-1.#nan")), 0x7FF8000000000000u);
}

TEST(FloatText, ReadsLongDigitRunsExactly) {
    // 2^-1075, the exact midpoint between zero and the smallest subnormal: 5^1075 * 10^-1075.
    const std::string half_min =
        "0." + std::string(323, '0') +
        "24703282292062327208828439643411068618252990130716238221279284125033775363510437"
        "59326499181808179961898982823477228588654633283551779698981993873980053909390631"
        "50356595155702263922908583924491051844359318028499365361525003193704576782492193"
        "65623669863658480757001585769269903706311928279558551332927834338409351978015531"
        "24659726357957462276646527282722005637400648549997709659947045402082816622623785"
        "73934507363390079677619305775067401763246736009689513405355374585166611342237666"
        "78604162159680461914467291840300530057530849048765391711386591646239524912623653"
        "88187963623937328042389101867234849766823508986338858792562830275599565752445550"
        "72551893136908362547791869486679949683240497058210285131854513962138377228261454"
        "37693412532098591327667236328125";
    // The tie goes to the even neighbour, zero; any non-zero digit far past it goes up.
    EXPECT_EQ(bits_of(read(half_min)), 0u);
    EXPECT_EQ(bits_of(read(half_min + std::string(2000, '0') + "1")), 1u);
    EXPECT_EQ(bits_of(read(half_min + std::string(2000, '0'))), 0u);
    std::string below = half_min;
    below.back() = '4';
    EXPECT_EQ(bits_of(read(below + std::string(2000, '9'))), 0u);
    // Long whole runs: four hundred digits overflow, 308 nines round to 1e308.
    EXPECT_EQ(bits_of(read(std::string(400, '9'))), bits_of(kInf));
    EXPECT_EQ(bits_of(read(std::string(308, '9'))), bits_of(1e308));
}

TEST(FloatText, ShortestTextReadsBackToTheSameBits) {
    std::mt19937_64 rng(20240601);
    for (int i = 0; i < 200000; ++i) {
        double x = random_finite(rng);
        const char* text = float_form_text(x, 0, true);
        int unconsumed = -1;
        double back = read(text, 0, &unconsumed);
        ASSERT_EQ(bits_of(back), bits_of(x)) << text;
        ASSERT_EQ(unconsumed, 0) << text;
    }
}

TEST(FloatText, ShortestDigitsMatchTheStandardLibrary) {
    // std::to_chars gives the shortest digits, closest to the value among equals.
    std::mt19937_64 rng(77);
    auto check = [](double x) {
        char ref[64];
        *std::to_chars(ref, ref + sizeof ref, x, std::chars_format::scientific).ptr = '\0';
        ASSERT_EQ(significant_digits(float_form_text(x, 0, true)), significant_digits(ref)) << ref;
    };
    for (int i = 0; i < 200000; ++i)
        check(std::abs(random_finite(rng)));
    for (uint64_t b = 1; b < 2000; ++b)
        check(std::bit_cast<double>(b));
    for (int e = -1074; e <= 1023; ++e) {
        check(std::ldexp(1.0, e));
        check(std::nextafter(std::ldexp(1.0, e), kInf));
    }
}

TEST(FloatText, DigitLimitMatchesACorrectlyRoundingPrintf) {
    std::mt19937_64 rng(99);
    for (int i = 0; i < 100000; ++i) {
        double x = std::abs(random_finite(rng));
        if (i % 4 == 0) x = std::ldexp(static_cast<double>(rng() % 1000000), -(int)(rng() % 30));
        if (x == 0) continue;
        int digits = 1 + i % 30;
        char ref[64];
        std::snprintf(ref, sizeof ref, "%.*e", digits - 1, x);
        ASSERT_EQ(significant_digits(float_form_text(x, digits, true)), significant_digits(ref))
            << ref << " digits " << digits;
    }
}

// The display text of "%.16g": glibc's text with a bare exponent and ".0" on whole numbers.
std::string display_text(double x) {
    char ref[64];
    std::snprintf(ref, sizeof ref, "%.16g", x);
    std::string text = ref;
    size_t e = text.find('e');
    if (e != std::string::npos) {
        size_t digits = e + 2;
        while (digits + 1 < text.size() && text[digits] == '0')
            ++digits;
        text = text.substr(0, e) + "e" + (text[e + 1] == '-' ? "-" : "") + text.substr(digits);
    }
    if (text.find('.') == std::string::npos)
        text.insert(std::min(text.find('e'), text.size()), ".0");
    return text;
}

// Rounds a digit string half up at n digits, the way the display formats round their
// seventeen digits.
std::string round_half_up(std::string digits, size_t n) {
    bool up = digits.size() > n && digits[n] >= '5';
    digits.resize(n);
    for (size_t i = n; up && i-- > 0;) {
        up = digits[i] == '9';
        digits[i] = up ? '0' : static_cast<char>(digits[i] + 1);
    }
    return up ? "1" + digits : digits;
}

TEST(FloatText, FormValueRoundsSeventeenDigitsThenSixteen) {
    PrettyScope pretty(false);
    std::mt19937_64 rng(5);
    for (int i = 0; i < 100000; ++i) {
        double x = random_finite(rng);
        if (i % 2 == 0) x = std::ldexp(static_cast<double>(rng() % 100000000), -(int)(rng() % 50));
        if (x == 0) continue;
        char exact17[64], exact16[64];
        std::snprintf(exact17, sizeof exact17, "%.16e", std::abs(x));
        std::snprintf(exact16, sizeof exact16, "%.15e", std::abs(x));
        std::string rounded17(exact17, std::strchr(exact17, 'e'));
        rounded17.erase(1, 1);
        std::string expect = significant_digits(round_half_up(rounded17, 16).c_str());
        const char* text = float_form_value(x, 1);
        if (expect == significant_digits(exact16))
            ASSERT_EQ(text, display_text(x)) << exact17;
        else
            ASSERT_EQ(significant_digits(text), expect) << exact17;
    }
}

TEST(FloatText, ReadingMatchesStrtod) {
    std::mt19937_64 rng(31337);
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text.clear();
        if (rng() & 1) text += '-';
        int digits =
            i % 50 == 0 ? 1 + static_cast<int>(rng() % 900) : 1 + static_cast<int>(rng() % 25);
        int point = static_cast<int>(rng() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d != 0) text += '.';
            text += static_cast<char>('0' + rng() % 10);
        }
        int exponent =
            i % 3 == 0 ? static_cast<int>(rng() % 50) - 25 : static_cast<int>(rng() % 700) - 350;
        text += 'e' + std::to_string(exponent);
        ASSERT_EQ(bits_of(read(text)), bits_of(std::strtod(text.c_str(), nullptr))) << text;
    }
}

TEST(FloatText, ReadsMidpointsBetweenNeighbours) {
    // Exact midpoints (and their neighbours one digit away) are the hard cases of reading.
    std::mt19937_64 rng(4242);
    char text[900];
    for (int i = 0; i < 5000; ++i) {
        double x = std::abs(random_finite(rng));
        if (x >= 1.7976931348623157e308) continue;
        long double mid = (static_cast<long double>(x) + std::nextafter(x, kInf)) / 2;
        int len = std::snprintf(text, sizeof text, "%.780Le", mid);
        ASSERT_EQ(bits_of(read(text)), bits_of(std::strtod(text, nullptr))) << text;
        char* e = std::strchr(text, 'e');
        char* last = e - 1;
        while (*last == '0')
            --last;
        --*last;
        ASSERT_EQ(bits_of(float_from_text(text, text + len, 0, nullptr)),
                  bits_of(std::strtod(text, nullptr)))
            << text;
    }
}

TEST(IntegerText, WritesSignedDecimal) {
    struct Case {
        int32_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {-8, "-8"},
        {17, "17"},
        {-324, "-324"},
        {1000000000, "1000000000"},
        {2147483647, "2147483647"},
        {-2147483647 - 1, "-2147483648"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(xel::integer_to_text(c.value), c.text);
}

} // namespace
