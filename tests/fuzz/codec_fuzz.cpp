// libFuzzer target of the JSON and CSV decoders, through the booted
// environment: any text must decode into values or raise a script or user
// error; never crash, hang, raise an internal error or escape as a throw.
// The first byte picks the entry (load-json, to-json of what it read,
// load-csv with and without refinements); the rest is the text.
//
// Built by hand beside the lexer's target (see tests/fuzz/lexer_fuzz.cpp for
// the build-fuzz configuration), from the repository root:
//   cmake --build build-fuzz --target xelruntime xelbootdata
//   clang++ -std=c++20 -g -O1 -fsanitize=address,undefined,fuzzer-no-link -I. \
//         tests/fuzz/codec_fuzz.cpp tests/runner/eval-text.cpp \
//         build-fuzz/CMakeFiles/xelbootdata.dir/generated/boot-data.cpp.o \
//         build-fuzz/libxelruntime.a -fsanitize=fuzzer-no-link \
//         $(clang++ -print-file-name=libclang_rt.fuzzer_no_main-x86_64.a) \
//         -lpthread \
//         $(pkg-config --libs libcurl libcrypto libpng libjpeg libtiff-4 zlib gtk+-3.0 pangocairo) \
//         -lgif -o build-fuzz/codec-fuzz
// The run-time must start on its own stack before the fuzzer drives it, so
// the program keeps its own main and calls the driver from there. Run:
//   mkdir -p build-fuzz/codec-corpus
//   build-fuzz/codec-fuzz -max_len=2048 -timeout=10 -rss_limit_mb=4096 \
//         -max_total_time=1800 build-fuzz/codec-corpus
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "boot/entry.h"
#include "tests/runner/eval-text.h"
#include "tests/support/program-args.h"

extern "C" int LLVMFuzzerRunDriver(int* argc, char*** argv,
                                   int (*callback)(const uint8_t* data, size_t size));

namespace {

// Entries of the decoders, picked by the first byte; %s is the text.
const char* const kEntries[] = {
    "load-json %s",
    "to-json load-json %s",
    "to-json/pretty/ascii load-json %s \"  \"",
    "load-csv %s",
    "load-csv/header/as-records %s",
    "load-csv/as-columns/with %s #\";\"",
    "load-csv/flat/quote/trim %s #\"'\"",
    "to-csv load-csv %s",
};

std::string hex(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; i++) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

// The decoders take strings: bytes that are not UTF-8 become '?', so every
// input reaches a decoder.
std::string as_utf8(const uint8_t* p, const uint8_t* end) {
    std::string out;
    while (p < end) {
        int n = *p < 0x80 ? 1 : (*p >> 5) == 6 ? 2 : (*p >> 4) == 14 ? 3 : (*p >> 3) == 30 ? 4 : 0;
        bool ok = n > 0 && end - p >= n;
        for (int i = 1; ok && i < n; i++)
            ok = (p[i] & 0xC0) == 0x80;
        uint32_t cp = 0;
        if (ok && n > 1) {
            cp = p[0] & (0x7F >> n);
            for (int i = 1; i < n; i++)
                cp = cp << 6 | (p[i] & 0x3F);
            static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
            ok = cp >= least[n] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        }
        if (ok) {
            out.append(reinterpret_cast<const char*>(p), n);
            p += n;
        } else {
            out += '?';
            p++;
        }
    }
    return out;
}

bool allowed(const xel::EvalOutcome& out) {
    if (!out.error) return true;
    return out.text.rfind("*** Script Error", 0) == 0 || out.text.rfind("*** User Error", 0) == 0 ||
           out.text.find("stack overflow") != std::string::npos;
}

int one_input(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* entry = kEntries[data[0] % (sizeof kEntries / sizeof kEntries[0])];
    std::string utf8 = as_utf8(data + 1, data + size);
    std::string text =
        "to string! #{" + hex(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size()) + "}";
    std::string program;
    const char* at = std::strstr(entry, "%s");
    program.assign(entry, at);
    program += text;
    program += at + 2;
    xel::EvalOutcome out = xel::eval_text(program);
    if (!allowed(out)) {
        std::fprintf(stderr, "unexpected outcome of %s\n%s\n", entry, out.text.c_str());
        std::abort();
    }
    return 0;
}

void body() {
    xel_test::ProgramArgs args = xel_test::program_args();
    std::exit(LLVMFuzzerRunDriver(&args.argc, &args.argv, one_input));
}

} // namespace

int main(int argc, char** argv) {
    xel::run_program(argc, argv, body);
}
