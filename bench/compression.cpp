// DEFLATE beside zlib on 10 MB of mixed text (prose, tables of numbers, code),
// in one run: our zlib writer against zlib's levels 1, 6 and 9 (time and
// size), and our reader against zlib's on zlib's level-6 stream and on ours.
// Each figure is the best of several runs of the whole 10 MB, so start-up
// plays no part.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "services/compression/compression.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kSize = 10 << 20;
constexpr int kRuns = 5;

using Bytes = std::vector<uint8_t>;

// Words drawn with a Zipf-like skew from made-up syllables; every few
// paragraphs a table of numbers or a block of code.
Bytes mixed_text() {
    std::mt19937 twister(2024);
    auto random = [&] { return static_cast<uint32_t>(twister()); };
    const char* syllables[] = {"ka", "to",  "ri",  "men",  "sa",  "lo", "ve", "dun", "ar", "is",
                               "el", "pro", "con", "tion", "ing", "ed", "er", "al",  "st", "qu"};
    std::vector<std::string> words;
    for (int i = 0; i < 3000; i++) {
        std::string w;
        int n = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < n; k++)
            w += syllables[random() % 20];
        words.push_back(w);
    }
    auto word = [&] {
        // The product of two uniform draws favours small indexes.
        uint64_t a = random() % 3000;
        uint64_t b = random() % 3000;
        return words[a * b / 3000];
    };
    std::string text;
    while (text.size() < kSize) {
        uint32_t kind = random() % 10;
        if (kind < 7) {
            for (int s = 0; s < 5; s++) {
                std::string sentence = word();
                sentence[0] = static_cast<char>(sentence[0] - 32);
                int n = 5 + static_cast<int>(random() % 15);
                for (int k = 0; k < n; k++)
                    sentence += (random() % 9 == 0 ? ", " : " ") + word();
                text += sentence + ". ";
            }
            text += "\n\n";
        } else if (kind < 9) {
            for (int row = 0; row < 20; row++) {
                char line[128];
                std::snprintf(line, sizeof line, "%04u-%02u-%02u;%s;%u.%02u;%d\n",
                              2000 + random() % 25, 1 + random() % 12, 1 + random() % 28,
                              word().c_str(), random() % 100000, random() % 100,
                              static_cast<int>(random() % 2000) - 1000);
                text += line;
            }
        } else {
            for (int line = 0; line < 12; line++) {
                text += std::string(4 * (random() % 4), ' ');
                text += random() % 2
                            ? "if (" + word() + " > " + std::to_string(random() % 100) + ") {\n"
                            : word() + "_" + word() + " = " + word() + "(" + word() + ");\n";
            }
        }
    }
    text.resize(kSize);
    return Bytes(text.begin(), text.end());
}

template <class F> double best_ms(F&& work) {
    double best = 1e300;
    for (int i = 0; i < kRuns; i++) {
        auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

Bytes zlib_at(const Bytes& in, int level, double* ms) {
    Bytes out(compressBound(static_cast<uLong>(in.size())));
    uLongf size = 0;
    *ms = best_ms([&] {
        size = static_cast<uLongf>(out.size());
        compress2(out.data(), &size, in.data(), static_cast<uLong>(in.size()), level);
    });
    out.resize(size);
    return out;
}

Bytes ours_deflate(const Bytes& in, double* ms) {
    Bytes out(in.size() + in.size() / 8 + 64);
    int32_t size = 0;
    *ms = best_ms([&] {
        size = static_cast<int32_t>(out.size());
        if (compress_zlib_deflate(out.data(), &size, in.data(), static_cast<int32_t>(in.size())))
            std::abort();
    });
    out.resize(static_cast<size_t>(size));
    return out;
}

double ours_inflate(const Bytes& stream, const Bytes& expected) {
    Bytes out(expected.size());
    double ms = best_ms([&] {
        auto size = static_cast<int32_t>(out.size());
        if (compress_zlib_inflate(out.data(), &size, stream.data(),
                                  static_cast<int32_t>(stream.size())))
            std::abort();
    });
    if (out != expected) std::abort();
    return ms;
}

double zlib_inflate(const Bytes& stream, const Bytes& expected) {
    Bytes out(expected.size());
    double ms = best_ms([&] {
        auto size = static_cast<uLongf>(out.size());
        if (uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size())) != Z_OK)
            std::abort();
    });
    if (out != expected) std::abort();
    return ms;
}

} // namespace

int main() {
    Bytes text = mixed_text();
    double mb = static_cast<double>(text.size()) / (1 << 20);
    std::printf("input: %.0f MB of mixed text; best of %d runs each\n\n", mb, kRuns);

    double ours_ms = 0;
    Bytes ours = ours_deflate(text, &ours_ms);
    std::printf("%-14s %9s %8s %12s   %s\n", "deflate", "ms", "MB/s", "bytes",
                "ours vs zlib: time, size");
    std::printf("%-14s %9.1f %8.1f %12zu\n", "ours (zlib)", ours_ms, mb / ours_ms * 1000,
                ours.size());
    Bytes level6;
    for (int level : {1, 6, 9}) {
        double ms = 0;
        Bytes z = zlib_at(text, level, &ms);
        if (level == 6) level6 = z;
        char name[32];
        std::snprintf(name, sizeof name, "zlib level %d", level);
        std::printf("%-14s %9.1f %8.1f %12zu   %.2fx, %.3fx\n", name, ms, mb / ms * 1000, z.size(),
                    ours_ms / ms, static_cast<double>(ours.size()) / static_cast<double>(z.size()));
    }

    std::printf("\n%-22s %9s %9s %8s\n", "inflate", "ours ms", "zlib ms", "ratio");
    double a = ours_inflate(level6, text);
    double b = zlib_inflate(level6, text);
    std::printf("%-22s %9.1f %9.1f %7.2fx\n", "zlib level-6 stream", a, b, a / b);
    a = ours_inflate(ours, text);
    b = zlib_inflate(ours, text);
    std::printf("%-22s %9.1f %9.1f %7.2fx\n", "our stream", a, b, a / b);
    return 0;
}
