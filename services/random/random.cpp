#include "services/random/random.h"

#include <cerrno>
#include <sys/random.h>

#include "runtime/core/fatal.h"

namespace xel {

namespace {

constexpr int kStateWords = 624;
constexpr int kShift = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kStartSeed = 19650218u;

struct Generator {
    uint32_t state[kStateWords];
    int position;
};
Generator g_generator;

void regenerate() {
    uint32_t* mt = g_generator.state;
    for (int i = 0; i < kStateWords; i++) {
        uint32_t y = (mt[i] & 0x80000000u) | (mt[(i + 1) % kStateWords] & 0x7FFFFFFFu);
        mt[i] = mt[(i + kShift) % kStateWords] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
    }
    g_generator.position = 0;
}

uint32_t draw(bool secure) {
    return secure ? random_next_secure() : random_next();
}

// A uniform value in 1 to n (n above 0): draws at or above the largest
// multiple of n are redrawn so every remainder is equally likely.
int32_t draw_upto(uint32_t n, bool secure) {
    uint32_t bound = n * (0x7FFFFFFFu / n);
    uint32_t v;
    do {
        v = draw(secure);
    } while (v >= bound);
    return static_cast<int32_t>(v % n + 1);
}

} // namespace

void random_init() {
    random_seed(kStartSeed);
}

void random_seed(uint32_t seed) {
    uint32_t* mt = g_generator.state;
    mt[0] = seed;
    for (int i = 1; i < kStateWords; i++)
        mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + static_cast<uint32_t>(i);
    g_generator.position = kStateWords;
}

uint32_t random_next() {
    if (g_generator.position >= kStateWords) regenerate();
    uint32_t y = g_generator.state[g_generator.position++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y & 0x7FFFFFFFu;
}

uint32_t random_next_secure() {
    uint32_t v = 0;
    uint8_t* p = reinterpret_cast<uint8_t*>(&v);
    size_t got = 0;
    while (got < sizeof v) {
        ssize_t n = getrandom(p + got, sizeof v - got, 0);
        if (n > 0)
            got += static_cast<size_t>(n);
        else if (errno != EINTR)
            runtime_error(kErrUnknown, 0); // never hand out weak "secure" values
    }
    return v & 0x7FFFFFFFu;
}

int32_t random_int(int32_t n, bool secure) {
    if (n == 0) return 0;
    if (n > 0) return draw_upto(static_cast<uint32_t>(n), secure);
    // The smallest integer has no positive counterpart: -v - 1 covers n to -1.
    if (n == INT32_MIN) return -static_cast<int32_t>(draw(secure)) - 1;
    return -draw_upto(static_cast<uint32_t>(-n), secure);
}

} // namespace xel
