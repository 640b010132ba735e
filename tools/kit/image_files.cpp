#include "kit/image_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zlib.h>

namespace {

// zlib at its best level, for smaller PNG files than stb's own deflate.
unsigned char* Deflate(unsigned char* data, int size, int* out_size, int) {
    uLongf room = compressBound(static_cast<uLong>(size));
    unsigned char* out = static_cast<unsigned char*>(std::malloc(room));
    if (out && compress2(out, &room, data, static_cast<uLong>(size), Z_BEST_COMPRESSION) == Z_OK) {
        *out_size = static_cast<int>(room);
        return out;
    }
    std::free(out);
    return nullptr;
}

}  // namespace

#define STBIW_ZLIB_COMPRESS Deflate
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

using Bytes = std::vector<uint8_t>;

// The picture's pixels top row first, `channels` bytes each: RGB, or RGBA.
Bytes Pixels(const Picture& p, int channels) {
    Bytes out;
    out.reserve(static_cast<size_t>(p.Width()) * p.Height() * channels);
    for (int y = 0; y < p.Height(); ++y) {
        for (int x = 0; x < p.Width(); ++x) {
            Color c = p.Get(x, y);
            out.push_back(ToByte(c.r));
            out.push_back(ToByte(c.g));
            out.push_back(ToByte(c.b));
            if (channels == 4) out.push_back(ToByte(p.Opacity(x, y)));
        }
    }
    return out;
}

void Append(void* context, void* data, int size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + size);
}

Bytes Png(const Picture& p) {
    Bytes pixels = Pixels(p, 4), file;
    stbi_write_png_to_func(Append, &file, p.Width(), p.Height(), 4, pixels.data(), p.Width() * 4);
    return file;
}

void PutLe(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool WriteFile(const Bytes& bytes, const std::string& path) {
    if (bytes.empty()) {
        errno = EINVAL;
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

}  // namespace

bool WriteBmp(const Picture& p, const std::string& path) {
    Bytes pixels = Pixels(p, 3), file;
    stbi_write_bmp_to_func(Append, &file, p.Width(), p.Height(), 3, pixels.data());
    return WriteFile(file, path);
}

bool WritePng(const Picture& p, const std::string& path) { return WriteFile(Png(p), path); }

bool WriteRgbaList(const Picture& p, const std::string& path) {
    const Bytes pixels = Pixels(p, 4);
    Bytes text;
    char number[8];
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int n = std::snprintf(number, sizeof number, "%d,%s", pixels[i], i % 16 == 15 ? "\n" : "");
        text.insert(text.end(), number, number + n);
    }
    return WriteFile(text, path);
}

// The icon directory, one 16-byte entry a picture, then the PNG images.
bool WriteIco(const std::vector<Picture>& sizes, const std::string& path) {
    Bytes file;
    PutLe(file, 0, 2);  // reserved
    PutLe(file, 1, 2);  // an icon, not a cursor
    PutLe(file, static_cast<uint32_t>(sizes.size()), 2);
    std::vector<Bytes> images;
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
    for (const Picture& p : sizes) {
        if (p.Width() > 256 || p.Height() > 256) {
            errno = EINVAL;
            return false;
        }
        images.push_back(Png(p));
        file.push_back(static_cast<uint8_t>(p.Width()));  // 256 is written as 0
        file.push_back(static_cast<uint8_t>(p.Height()));
        PutLe(file, 0, 2);   // no palette
        PutLe(file, 1, 2);   // planes
        PutLe(file, 32, 2);  // bits per pixel
        PutLe(file, static_cast<uint32_t>(images.back().size()), 4);
        PutLe(file, offset, 4);
        offset += static_cast<uint32_t>(images.back().size());
    }
    for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
    return WriteFile(file, path);
}
