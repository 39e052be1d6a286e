// Decoding, flattening and scaling of pictures through stb.
#include "image.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "errors.h"
#include "image_limits.h"

namespace mlshow {

namespace {

int ClampLength(size_t size) { return size > size_t(INT32_MAX) ? INT32_MAX : int(size); }

// Refuses sizes the importer will not handle, before anything is decoded.
void CheckDimensions(uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) throw InputError("the picture is empty");
    if (width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE || width * height > MAX_PICTURE_PIXELS)
        throw InputError("the picture is " + std::to_string(width) + "x" + std::to_string(height) +
                         " pixels, more than the largest accepted (" + std::to_string(MAX_PICTURE_SIDE) +
                         " a side, " + std::to_string(MAX_PICTURE_PIXELS >> 20) + " million pixels)");
}

uint32_t Be16(const Bytes &f, size_t at) { return uint32_t(f[at]) << 8 | f[at + 1]; }

// Whether every Huffman table of a JPEG holds at most 256 codes. The stb
// decoder this is built with writes past its table for larger ones, so such
// files are refused before it sees them. Walks the marker segments (and
// steps over entropy-coded data byte by byte); decodes nothing.
bool JpegTablesFit(const Bytes &f) {
    if (f.size() < 4 || f[0] != 0xFF || f[1] != 0xD8) return true;  // not a JPEG
    for (size_t i = 2; i + 4 <= f.size();) {
        const uint8_t marker = f[i + 1];
        if (f[i] != 0xFF || marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;
            continue;
        }
        if (marker == 0xD9) break;
        const size_t length = Be16(f, i + 2);
        if (length < 2) return true;  // the decoder reports this itself
        // The decoder reads tables as long as the segment's length says,
        // past the segment's end if a table claims more.
        int64_t left = int64_t(length) - 2;
        // Past the end of the file it reads zeros, so a table cut short by
        // the end counts what is there.
        for (size_t p = i + 4; marker == 0xC4 && left > 0 && p < f.size();) {
            size_t codes = 0;
            for (size_t k = 0; k < 16 && p + 1 + k < f.size(); ++k) codes += f[p + 1 + k];
            if (codes > 256) return false;
            p += 17 + codes;
            left -= int64_t(17 + codes);
        }
        i += 2 + length;
    }
    return true;
}

}  // namespace

bool IsGif(const Bytes &file) { return file.size() >= 6 && std::memcmp(file.data(), "GIF8", 4) == 0; }

Image DecodeImage(const Bytes &file) {
    int width = 0, height = 0, channels = 0;
    const int length = ClampLength(file.size());
    if (!JpegTablesFit(file)) throw InputError("damaged JPEG: a Huffman table holds more than 256 codes");
    if (!stbi_info_from_memory(file.data(), length, &width, &height, &channels))
        throw InputError(std::string("not a picture mlshow can read (PNG, JPEG, BMP or GIF): ") +
                         stbi_failure_reason());
    CheckDimensions(uint64_t(width), uint64_t(height));
    std::unique_ptr<stbi_uc, void (*)(void *)> pixels(
        stbi_load_from_memory(file.data(), length, &width, &height, &channels, 4), stbi_image_free);
    if (!pixels) throw InputError(std::string("the picture cannot be decoded: ") + stbi_failure_reason());
    Image image;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.rgba.assign(pixels.get(), pixels.get() + size_t(width) * size_t(height) * 4);
    return image;
}

void FlattenOnto(Image &image, uint32_t background) {
    const unsigned back[3] = {background & 0xFF, (background >> 8) & 0xFF, (background >> 16) & 0xFF};
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const unsigned alpha = image.rgba[i + 3];
        if (alpha == 255) continue;
        for (int c = 0; c < 3; ++c)
            image.rgba[i + c] = uint8_t((image.rgba[i + c] * alpha + back[c] * (255 - alpha) + 127) / 255);
        image.rgba[i + 3] = 255;
    }
}

Image ScaleToFit(const Image &image, uint32_t maxWidth, uint32_t maxHeight) {
    if (image.width <= maxWidth && image.height <= maxHeight) return image;
    // The larger shrink of the two sides decides, so the result fits both.
    const double scale = std::min(double(maxWidth) / image.width, double(maxHeight) / image.height);
    Image scaled;
    scaled.width = std::max<uint32_t>(1, uint32_t(image.width * scale + 0.5));
    scaled.height = std::max<uint32_t>(1, uint32_t(image.height * scale + 0.5));
    scaled.width = std::min(scaled.width, maxWidth);
    scaled.height = std::min(scaled.height, maxHeight);
    scaled.rgba.resize(size_t(scaled.width) * scaled.height * 4);
    // Mitchell filtering in linear light, with alpha weighting the colours.
    if (!stbir_resize_uint8_generic(image.rgba.data(), int(image.width), int(image.height), 0, scaled.rgba.data(),
                                    int(scaled.width), int(scaled.height), 0, 4, 3, 0, STBIR_EDGE_CLAMP,
                                    STBIR_FILTER_MITCHELL, STBIR_COLORSPACE_SRGB, nullptr))
        throw InputError("the picture cannot be scaled (out of memory)");
    return scaled;
}

}  // namespace mlshow
