// libFuzzer target of the DEFLATE reader and its wrappers: any input must
// give a status, never a crash, an over-read or a hang; a raw stream that
// zlib reads to its end must give us the same bytes; and whatever the
// writers make of the input must read back as the input.
//
// Built by hand (not part of the CMake build), from the repository root:
//   mkdir -p build-fuzz
//   clang++ -std=c++20 -g -O1 -fsanitize=address,undefined,fuzzer -I. \
//         tests/fuzz/inflate_fuzz.cpp services/compression/inflate.cpp \
//         services/compression/deflate-writer.cpp services/compression/wrappers.cpp \
//         services/checksum/crc32.cpp services/checksum/adler32.cpp -lz \
//         -o build-fuzz/inflate-fuzz
// Run:
//   mkdir -p build-fuzz/inflate-corpus
//   build-fuzz/inflate-fuzz -fork=4 -max_len=4096 -timeout=5 -rss_limit_mb=4096 \
//         -max_total_time=600 build-fuzz/inflate-corpus
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "services/compression/compression.h"

using namespace xel;

namespace {

using Entry = int (*)(uint8_t*, int32_t*, const uint8_t*, int32_t);

constexpr int32_t kMaxOutput = 1 << 20;

// Each reader with no room, a little room and ample room: statuses are
// those of the service, and a size reported is never below what fitted.
void read_all_ways(Entry f, const uint8_t* data, int32_t n) {
    static std::vector<uint8_t> out(kMaxOutput);
    for (int32_t capacity : {0, 7, kMaxOutput}) {
        int32_t size = capacity;
        int status = f(capacity ? out.data() : nullptr, &size, data, n);
        if (status < kCompressOk || status > kCompressTooLarge) std::abort();
        if (status == kCompressOk && (size < 0 || size > capacity)) std::abort();
        if (status == kCompressNoRoom && size <= capacity) std::abort();
    }
}

// zlib's reading of a raw stream, when it reaches the end of the stream.
bool zlib_reads(const uint8_t* data, size_t n, std::vector<uint8_t>& out) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) std::abort();
    out.assign(kMaxOutput, 0);
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = static_cast<uInt>(n);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    bool ended = inflate(&z, Z_FINISH) == Z_STREAM_END;
    out.resize(z.total_out);
    inflateEnd(&z);
    return ended;
}

void round_trip(Entry writer, Entry reader, const uint8_t* data, int32_t n) {
    std::vector<uint8_t> packed(static_cast<size_t>(n) * 2 + 64);
    auto size = static_cast<int32_t>(packed.size());
    if (writer(packed.data(), &size, data, n) != kCompressOk) std::abort();
    std::vector<uint8_t> back(static_cast<size_t>(n) + 1);
    int32_t back_size = n + 1;
    if (reader(back.data(), &back_size, packed.data(), size) != kCompressOk) std::abort();
    if (back_size != n || (n && std::memcmp(back.data(), data, static_cast<size_t>(n))))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto n = static_cast<int32_t>(size);
    read_all_ways(compress_inflate, data, n);
    read_all_ways(compress_zlib_inflate, data, n);
    read_all_ways(compress_gunzip, data, n);

    std::vector<uint8_t> expected;
    if (zlib_reads(data, size, expected)) {
        std::vector<uint8_t> ours(kMaxOutput);
        int32_t ours_size = kMaxOutput;
        if (compress_inflate(ours.data(), &ours_size, data, n) != kCompressOk) std::abort();
        if (static_cast<size_t>(ours_size) != expected.size() ||
            std::memcmp(ours.data(), expected.data(), expected.size()))
            std::abort();
    }

    round_trip(compress_deflate, compress_inflate, data, n);
    round_trip(compress_zlib_deflate, compress_zlib_inflate, data, n);
    // The gzip writer passes on what is gzip already.
    if (size < 3 || data[0] != 0x1F || data[1] != 0x8B || data[2] != 0x08)
        round_trip(compress_gzip, compress_gunzip, data, n);
    return 0;
}
