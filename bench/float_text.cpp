// Float text conversion speed: our writer and reader against std::to_chars, snprintf and strtod
// over the same pseudo-random doubles.

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "runtime/text/float-text.h"

namespace {

constexpr int kCount = 1000000;
constexpr int kRounds = 3;

// Mixed magnitudes: whole numbers, short decimals, random digits at any scale, and raw bit
// patterns covering the full range.
std::vector<double> make_values() {
    std::mt19937_64 rng(0x5eed);
    std::vector<double> values;
    values.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
        double x;
        switch (i % 4) {
        case 0:
            x = static_cast<double>(rng() % 1000000);
            break;
        case 1:
            x = static_cast<double>(rng() % 100000) / 100.0;
            break;
        case 2:
            x = static_cast<double>(rng() >> 11) / 9007199254740992.0 *
                std::pow(10.0, static_cast<int>(rng() % 41) - 20);
            break;
        default:
            do {
                x = std::bit_cast<double>(rng());
            } while (!std::isfinite(x));
            break;
        }
        values.push_back(rng() & 1 ? -x : x);
    }
    return values;
}

// Runs f kRounds times and returns the best time in nanoseconds per value.
template <typename F> double best_ns(F&& f) {
    double best = 1e300;
    for (int r = 0; r < kRounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        f();
        std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    return best / kCount;
}

void report(const char* what, double ours, const char* other_name, double other) {
    std::printf("%-22s ours %7.1f ns   %-10s %7.1f ns   ratio %.2f\n", what, ours, other_name,
                other, ours / other);
}

} // namespace

int main() {
    std::vector<double> values = make_values();
    uint64_t checksum = 0;

    double ours_mold = best_ns([&] {
        for (double x : values) {
            const char* t = xel::float_form_text(x, 0, true);
            checksum += std::strlen(t) + static_cast<unsigned char>(t[1]);
        }
    });
    double std_mold = best_ns([&] {
        char buf[64];
        for (double x : values) {
            char* end = std::to_chars(buf, buf + sizeof buf, x).ptr;
            checksum += static_cast<uint64_t>(end - buf) + static_cast<unsigned char>(buf[1]);
        }
    });

    double ours_form = best_ns([&] {
        for (double x : values)
            checksum += std::strlen(xel::float_form_value(x, 1));
    });
    double printf_form = best_ns([&] {
        char buf[64];
        for (double x : values)
            checksum += std::snprintf(buf, sizeof buf, "%.16g", x);
    });

    // Texts to read, one arena of NUL-terminated shortest texts.
    std::vector<char> arena;
    std::vector<uint32_t> starts;
    arena.reserve(static_cast<size_t>(kCount) * 26);
    starts.reserve(kCount + 1);
    for (double x : values) {
        char buf[64];
        char* end = std::to_chars(buf, buf + sizeof buf, x).ptr;
        starts.push_back(static_cast<uint32_t>(arena.size()));
        arena.insert(arena.end(), buf, end);
        arena.push_back('\0');
    }
    starts.push_back(static_cast<uint32_t>(arena.size()));

    uint64_t mismatches = 0;
    double ours_read = best_ns([&] {
        for (int i = 0; i < kCount; ++i) {
            const char* s = arena.data() + starts[i];
            const char* e = arena.data() + starts[i + 1] - 1;
            double v = xel::float_from_text(s, e, 0, nullptr);
            checksum ^= std::bit_cast<uint64_t>(v);
            mismatches += std::bit_cast<uint64_t>(v) != std::bit_cast<uint64_t>(values[i]);
        }
    });
    double std_read = best_ns([&] {
        for (int i = 0; i < kCount; ++i) {
            double v = std::strtod(arena.data() + starts[i], nullptr);
            checksum ^= std::bit_cast<uint64_t>(v);
            mismatches += std::bit_cast<uint64_t>(v) != std::bit_cast<uint64_t>(values[i]);
        }
    });

    std::printf("%d doubles, best of %d rounds\n", kCount, kRounds);
    report("double -> shortest", ours_mold, "to_chars", std_mold);
    report("double -> %.16g form", ours_form, "snprintf", printf_form);
    report("text -> double", ours_read, "strtod", std_read);
    std::printf("read mismatches %llu, checksum %016llx\n",
                static_cast<unsigned long long>(mismatches),
                static_cast<unsigned long long>(checksum));
    return mismatches == 0 ? 0 : 1;
}
