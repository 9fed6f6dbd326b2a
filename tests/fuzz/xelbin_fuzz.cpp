// libFuzzer target of the XELBIN decoder and the LZ decompressor: any bytes
// must decode into values or raise a script or access error, and inflate or
// be refused; never crash, hang or leak.
//
// Built by hand beside the lexer's target (see tests/fuzz/lexer_fuzz.cpp for
// the build-fuzz configuration), from the repository root:
//   cmake --build build-fuzz --target xelruntime xelbootdata
//   clang++ -std=c++20 -g -O1 -fsanitize=address,undefined,fuzzer -I. \
//         tests/fuzz/xelbin_fuzz.cpp \
//         build-fuzz/CMakeFiles/xelbootdata.dir/generated/boot-data.cpp.o \
//         build-fuzz/libxelruntime.a -lpthread \
//         $(pkg-config --libs libcurl libcrypto libpng libjpeg libtiff-4 zlib gtk+-3.0 pangocairo) \
//         -lgif -o build-fuzz/xelbin-fuzz
// Run (the dictionary-free corpus grows from the seeds the target writes):
//   mkdir -p build-fuzz/xelbin-corpus
//   build-fuzz/xelbin-fuzz -fork=4 -max_len=4096 -timeout=5 -rss_limit_mb=4096 \
//         -max_total_time=1800 build-fuzz/xelbin-corpus
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "boot/boot-load.h"
#include "boot/lz/lz-decompress.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/error-fire.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

using namespace xel;

namespace {

// A fresh run-time now and then keeps the arena from filling up.
constexpr int kRunsPerRuntime = 2000;

void fresh() {
    runtime_init();
    g_boot_recording = false;
    boot_run_top_level();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int runs = 0;
    if (runs++ % kRunsPerRuntime == 0) fresh();

    uint32_t n = 0;
    if (uint8_t* out = lz_decompress(data, size, &n)) lz_free(out);

    // The bytes after a valid header, read by the codec in both encodings.
    for (uint8_t flags : {1, 5, 0, 4, 3}) {
        std::vector<uint8_t> bytes = {'X', 'E', 'L', 'B', 'I', 'N', 1, flags};
        bytes.insert(bytes.end(), data, data + size);
        Cell word = *word_load("try");
        stack_mark_try(&word);
        CallFrame* frame = stack_top_frame();
        uint32_t code = catch_at(kCatchErrors, [&] {
            Cell target;
            block_make_at(&target, 1);
            g_xelbin_codec = true;
            xelbin_decode(bytes.data(), bytes.size(), &target, kXelbinScript);
        });
        g_xelbin_codec = false;
        if (code) {
            int category = g_pending_error.category;
            if (code != kThrowError ||
                (category != kCatScript && category != kCatAccess && category != kCatInternal))
                std::abort();
        } else {
            stack_set_top_frame(frame);
            stack_unwind();
        }
        stack_reset();
    }
    return 0;
}
