// libFuzzer target of the lexer: any text must load into values or raise a
// syntax error; never crash, hang, leak a scan state or raise another error.
//
// Built by hand (not part of the CMake build), from the repository root:
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
//         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DXEL_BENCH=OFF \
//         -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link"
//   cmake --build build-fuzz --target xelruntime xelbootdata
//   clang++ -std=c++20 -g -O1 -fsanitize=address,undefined,fuzzer -I. \
//         tests/fuzz/lexer_fuzz.cpp build-fuzz/CMakeFiles/xelbootdata.dir/generated/boot-data.cpp.o \
//         build-fuzz/libxelruntime.a -lpthread \
//         $(pkg-config --libs libcurl libcrypto libpng libjpeg libtiff-4 zlib gtk+-3.0 pangocairo) \
//         -lgif -o build-fuzz/lexer-fuzz
// Run:
//   mkdir -p build-fuzz/corpus
//   build-fuzz/lexer-fuzz -fork=4 -dict=tests/fuzz/lexer.dict -max_len=512 -timeout=5 \
//         -rss_limit_mb=4096 -max_total_time=1800 build-fuzz/corpus
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/unicode.h"

using namespace xel;

namespace {

// What the scans made is garbage once checked: a collection now and then
// keeps the arena from filling up, however long the run.
constexpr int kRunsPerCollection = 1000;

bool valid_utf8(const uint8_t* p, const uint8_t* end) {
    while (p < end) {
        auto avail = static_cast<uint32_t>(end - p);
        int32_t cp = utf8_decode_char_replacing(p, &avail);
        if (cp == kUtf8TooShort || cp == kUtf8Refused) return false;
        p += avail;
    }
    return true;
}

// Runs one scan under a try frame; only syntax errors may come out.
template <class Body> void checked(Body&& body) {
    Cell word = *word_load("try");
    stack_mark_try(&word);
    CallFrame* frame = stack_top_frame();
    uint32_t code = catch_at(kCatchErrors, body);
    if (code) {
        if (code != kThrowError || g_pending_error.category != kCatSyntax) std::abort();
    } else {
        stack_set_top_frame(frame);
        stack_unwind();
    }
    if (g_lexer_states) std::abort();
    stack_reset();
}

// Callbacks answering false to one event each (or true to all), chosen by
// the input's first byte.
const char* const kCallbackBodies[] = {
    "#(true)",          "[open] #(false)",    "[close] #(false)",
    "[load] #(false)",  "[prescan] #(false)", "[scan] #(false)",
    "[error] #(false)",
};
constexpr int kCallbacks = sizeof kCallbackBodies / sizeof *kCallbackBodies;
Cell g_callbacks[kCallbacks];

void mark_callbacks() {
    collector_mark_cells(g_callbacks, g_callbacks + kCallbacks);
}

Cell load_block(const char* text) {
    Cell outer{};
    lexer_scan(&outer, reinterpret_cast<const uint8_t*>(text), std::strlen(text),
               kScanLoad | kScanOutput, nullptr, nullptr, nullptr, nullptr);
    return *block_rs_head(&outer);
}

void make_callbacks() {
    Cell spec = load_block("[event input type line token]");
    for (int i = 0; i < kCallbacks; i++) {
        Cell code = load_block((std::string("[") + kCallbackBodies[i] + "]").c_str());
        g_callbacks[i] = *function_make_compiled(&spec, &code, 0, 0, 0, 0);
        stack_reset();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int runs = 0;
    if (runs++ == 0) {
        runtime_init();
        g_boot_recording = false;
        make_callbacks();
        collector_add_root_callback(mark_callbacks);
        g_collector_enabled = true;
    } else if (runs % kRunsPerCollection == 0) {
        collector_collect();
    }
    const Cell* callback = size && data[0] < kCallbacks ? &g_callbacks[data[0]] : nullptr;
    auto length = static_cast<uint32_t>(size);
    const uint32_t modes[] = {kScanLoad | kScanOutput, 0, kScanPrescan,
                              kScanLoad | kScanOutput | kScanOneValue};
    for (uint32_t flags : modes) {
        checked([&] {
            Cell result{T_NONE, 0, 0, 0};
            int32_t consumed = -1;
            lexer_scan(&result, data, length, flags, &consumed, callback, nullptr, nullptr);
            if (consumed < 0 || static_cast<uint32_t>(consumed) > length) std::abort();
        });
    }
    if (valid_utf8(data, data + size)) {
        checked([&] {
            Cell text;
            string_load_at(data, length, &text, 0);
            Cell result{T_NONE, 0, 0, 0};
            int32_t consumed = -1;
            lexer_load_string(&result, &text, -1, kScanLoad | kScanOutput | kScanOneValue,
                              &consumed, callback, nullptr);
            if (consumed < 0 || consumed > string_xs_length(&text)) std::abort();
        });
    }
    return 0;
}
