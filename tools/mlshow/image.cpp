// Decoding, flattening and scaling of pictures through stb.
#include "image.h"

#include "content/jpeg.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "errors.h"
#include "exif.h"
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

// Where the marker after a JPEG's start-of-image marker begins (fill bytes
// may come before that marker too); 0 for anything but a JPEG.
size_t AfterStartOfImage(const Bytes &f) {
    size_t at = 0;
    while (at < f.size() && f[at] == 0xFF) ++at;
    return at == 0 || at >= f.size() || f[at] != 0xD8 ? 0 : at + 1;
}

}  // namespace

bool JpegTablesFit(const Bytes &f) { return ml::JpegTablesFit(f.data(), f.size()); }

// Inside scan data a 0xFF byte is always followed by 0x00 or a restart
// marker, so the first FF D9 after the first scan starts is the end.
bool JpegHasEnd(const Bytes &f) {
    size_t at = AfterStartOfImage(f);
    if (at == 0) return false;
    for (;;) {  // the marker segments before the first scan
        if (at + 2 > f.size() || f[at] != 0xFF) return false;
        while (at + 2 < f.size() && f[at + 1] == 0xFF) ++at;  // fill bytes
        const uint8_t marker = f[at + 1];
        if (marker == 0xD9) return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (at + 4 > f.size()) return false;
        at += 2 + Be16(f, at + 2);
        if (marker == 0xDA) break;
    }
    for (; at + 1 < f.size(); ++at)
        if (f[at] == 0xFF && f[at + 1] == 0xD9) return true;
    return false;
}

bool IsGif(const Bytes &file) { return file.size() >= 6 && std::memcmp(file.data(), "GIF8", 4) == 0; }
bool IsJpeg(const Bytes &file) {
    const size_t at = AfterStartOfImage(file);
    return at != 0 && at < file.size() && file[at] == 0xFF;
}

std::string JpegCodingProblem(const Bytes &jpeg) {
    ml::JPEGINFO info;
    if (ml::CheckJpeg(jpeg.data(), jpeg.size(), &info) != ml::JPEG_CODING) return "";
    // SOF9 to SOF15, less DAC (CC): the arithmetic-coded frames.
    if (info.frame >= 0xC9 && info.frame != 0xCC)
        return "an arithmetic-coded JPEG, which neither mlshow nor the player decodes: re-save it with ordinary "
               "Huffman coding (any photo editor's plain JPEG)";
    return "a lossless or hierarchical JPEG, which neither mlshow nor the player decodes: re-save it as an ordinary "
           "baseline or progressive JPEG";
}

bool DecodedSize(const Bytes &file, uint32_t *width, uint32_t *height) {
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(file.data(), ClampLength(file.size()), &w, &h, &channels)) return false;
    *width = uint32_t(w), *height = uint32_t(h);
    return true;
}

Image DecodeImage(const Bytes &file) {
    int width = 0, height = 0, channels = 0;
    const int length = ClampLength(file.size());
    if (!JpegTablesFit(file)) throw InputError("damaged JPEG: a Huffman table holds more than 256 codes");
    if (IsJpeg(file)) {
        const std::string problem = JpegCodingProblem(file);
        if (!problem.empty()) throw InputError(problem);
    }
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
    pixels.reset();
    if (!IsJpeg(file)) return image;
    const uint32_t orientation = ml::ExifOrientation(file.data(), file.size());
    return orientation == ml::ORIENTATION_UPRIGHT ? image : Orient(image, orientation);
}

std::string JpegDecodeFailure(const Bytes &jpeg) {
    if (!JpegTablesFit(jpeg)) return "a Huffman table holds more than 256 codes";
    int width = 0, height = 0, channels = 0;
    stbi_uc *pixels = stbi_load_from_memory(jpeg.data(), ClampLength(jpeg.size()), &width, &height, &channels, 0);
    if (!pixels) return stbi_failure_reason();
    stbi_image_free(pixels);
    return "";
}

Bytes EncodeJpeg(const Image &image, int quality) {
    Bytes out;
    const int written = stbi_write_jpg_to_func(
        [](void *context, void *data, int size) {
            auto *bytes = static_cast<Bytes *>(context);
            bytes->insert(bytes->end(), static_cast<uint8_t *>(data), static_cast<uint8_t *>(data) + size);
        },
        &out, int(image.width), int(image.height), 4, image.rgba.data(), quality);
    if (!written || out.empty()) throw InputError("the picture cannot be written as a JPEG");
    return out;
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
