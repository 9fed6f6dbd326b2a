// libFuzzer targets of the image decoders, one per container (the macro
// XEL_FUZZ_DECODER names the decoder): any bytes must decode or fail, never
// crash, hang or read outside the data.
//
// Built by hand (not part of the CMake build), from the repository root:
//   for f in png jpeg gif tiff bmp; do
//     clang++ -std=c++20 -g -O1 -fsanitize=address,undefined,fuzzer -I. \
//       -DXEL_FUZZ_DECODER=${f}_decode tests/fuzz/image_fuzz.cpp platform/image/*.cpp \
//       $(pkg-config --cflags --libs libpng libjpeg libgif libtiff-4) -o build-fuzz/image-$f
//   done
//   clang++ -std=c++20 -I. tests/fuzz/image_seeds.cpp platform/image/*.cpp \
//     $(pkg-config --cflags --libs libpng libjpeg libgif libtiff-4) -o build-fuzz/image-seeds
//   build-fuzz/image-seeds build-fuzz/image-corpus
// Run (one container):
//   build-fuzz/image-png -max_len=4096 -timeout=5 -rss_limit_mb=2048 \
//     -max_total_time=600 build-fuzz/image-corpus/png
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/image-codecs.h"

namespace {

// Room for images up to 4 million pixels; larger claims are refused as the
// run-time refuses what its memory can't hold.
class Room final : public xel::PixelTarget {
  public:
    uint32_t* pixels(uint32_t width, uint32_t height) noexcept override {
        if (uint64_t{width} * height > (1u << 22)) return nullptr;
        data.assign(size_t{width} * height, 0);
        return data.data();
    }
    std::vector<uint32_t> data;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Room room;
    xel::XEL_FUZZ_DECODER(data, size, room);
    return 0;
}
