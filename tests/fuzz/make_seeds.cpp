// Writes the bitmap fuzzer's seed corpus: small BMP files of every layout the
// loader reads. Usage: make_bmp_seeds DIR
#include <cstdio>
#include <string>

#include "tests/fuzz/bmp_files.h"

namespace {

using bmp_files::Bytes;
using bmp_files::Layout;

// The same file with a larger (V4 or V5) info header; for bit fields the three
// masks become the header's own mask fields.
Bytes WithHeaderSize(Bytes file, uint32_t headerSize, bool bitFields) {
    const uint32_t kept = bitFields ? 52 : 40;
    file.insert(file.begin() + 14 + kept, headerSize - kept, 0);
    bmp_files::Poke32(file, 14, headerSize);
    const uint32_t offset = file[10] | (file[11] << 8) | (file[12] << 16) | (file[13] << 24);
    bmp_files::Poke32(file, 10, offset + headerSize - kept);
    bmp_files::Poke32(file, 2, static_cast<uint32_t>(file.size()));
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const struct {
        Layout layout;
        const char* name;
        int colors;
    } layouts[] = {
        {Layout::Rgb1, "rgb1", 2},          {Layout::Rgb4, "rgb4", 16},
        {Layout::Rgb8, "rgb8", 16},         {Layout::Rle8, "rle8", 5},
        {Layout::Fields16, "fields16", 0},  {Layout::Rgb24, "rgb24", 0},
        {Layout::Rgb32, "rgb32", 0},        {Layout::Core24, "core24", 0},
    };
    int written = 0, failed = 0;
    auto write = [&](const std::string& name, const Bytes& bytes) {
        if (bmp_files::WriteFile(dir + "/" + name + ".bmp", bytes)) ++written;
        else ++failed;
    };
    for (const auto& l : layouts) {
        for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {7, 5}}) {
            const bmp_files::Image image = bmp_files::Pattern(w, h, l.colors);
            const std::string base = std::string(l.name) + "_" + std::to_string(w) + "x" + std::to_string(h);
            const Bytes file = bmp_files::Encode(image, l.layout);
            write(base, file);
            if (l.layout != Layout::Rle8 && l.layout != Layout::Core24)
                write(base + "_topdown", bmp_files::Encode(image, l.layout, true));
            if (l.layout != Layout::Core24 && w == 3) {
                const bool fields = l.layout == Layout::Fields16;
                write(base + "_v4", WithHeaderSize(file, 108, fields));
                write(base + "_v5", WithHeaderSize(file, 124, fields));
            }
        }
    }
    std::printf("%d seed files in %s\n", written, dir.c_str());
    return failed ? 1 : 0;
}
