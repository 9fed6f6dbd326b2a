// Writes the seed files of the image fuzz targets: small images made here,
// each container in a folder of its own under the given directory.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/image/image-codecs.h"

using namespace xel;

namespace {

void write(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string root = argv[1];
    mkdir(root.c_str(), 0755);
    const char* names[] = {"png", "jpeg", "bmp", "gif", "tiff"};
    for (const char* n : names)
        mkdir((root + "/" + n).c_str(), 0755);
    int seed = 0;
    for (uint32_t w : {1u, 3u, 16u})
        for (uint32_t h : {1u, 5u})
            for (bool alpha : {false, true}) {
                std::vector<uint32_t> px(size_t{w} * h);
                for (uint32_t i = 0; i < px.size(); i++)
                    px[i] = (alpha ? (i * 29) & 255 : 255) << 24 | (i * 0x3F1D07u & 0xFFFFFF);
                std::vector<uint8_t> out;
                std::string id = "/seed" + std::to_string(seed++);
                if (png_encode(px.data(), w, h, out)) write(root + "/png" + id, out);
                if (jpeg_encode(px.data(), w, h, kJpegDefaultQuality, out))
                    write(root + "/jpeg" + id, out);
                if (bmp_encode(px.data(), w, h, out)) write(root + "/bmp" + id, out);
                if (gif_encode(px.data(), w, h, out)) write(root + "/gif" + id, out);
                if (tiff_encode(px.data(), w, h, out)) write(root + "/tiff" + id, out);
            }
    return 0;
}
