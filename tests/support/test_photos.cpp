// Photo files for the tests.
#include "support/test_photos.h"

#include <cstdlib>
#include <cstring>

#include <stb/stb_image_write.h>

#include "content/exif.h"

namespace testing_support {

namespace {

const COLORREF kColours[5] = {RGB(220, 30, 30), RGB(30, 200, 40), RGB(40, 60, 220), RGB(230, 220, 40), RGB(0, 0, 0)};

void Append(void *context, void *data, int size) {
    static_cast<Bytes *>(context)->insert(static_cast<Bytes *>(context)->end(), static_cast<uint8_t *>(data),
                                          static_cast<uint8_t *>(data) + size);
}

void Put(Bytes &out, uint32_t v, int bytes, bool big = false) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> 8 * (big ? bytes - 1 - i : i)));
}

// An uncompressed GIF: with 7-bit LZW codes every code is one byte until the
// table would widen them, which a clear code (128) every 100 codes prevents.
Bytes Gif(const TestPixels &pixels) {
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'}, table, codes;
    Put(gif, uint32_t(pixels.width), 2), Put(gif, uint32_t(pixels.height), 2);
    gif.insert(gif.end(), {0xF6, 0, 0});  // a global table of 128 colours
    for (size_t i = 0; i < pixels.bytes.size(); i += size_t(pixels.channels)) {
        if (codes.size() % 100 == 0) codes.push_back(128);
        size_t index = 0;
        while (index < table.size() && std::memcmp(&table[index], &pixels.bytes[i], 3)) index += 3;
        if (index == table.size()) table.insert(table.end(), &pixels.bytes[i], &pixels.bytes[i] + 3);
        codes.push_back(uint8_t(index / 3));
    }
    codes.push_back(129);  // the end
    table.resize(128 * 3);
    gif.insert(gif.end(), table.begin(), table.end());
    gif.push_back(0x2C);  // the image, at (0, 0), the whole picture
    Put(gif, 0, 4), Put(gif, uint32_t(pixels.width), 2), Put(gif, uint32_t(pixels.height), 2);
    gif.insert(gif.end(), {0, 7});
    for (size_t at = 0; at < codes.size(); at += 255) {
        gif.push_back(uint8_t(codes.size() - at < 255 ? codes.size() - at : 255));
        gif.insert(gif.end(), codes.begin() + long(at), codes.begin() + long(at + gif.back()));
    }
    gif.insert(gif.end(), {0, 0x3B});
    return gif;
}

void PngChunk(Bytes &png, const char *type, const Bytes &data) {
    Put(png, uint32_t(data.size()), 4, true);
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    Put(png, 0, 4);  // the CRC, which the decoder does not check
}

}  // namespace

TestPixels Quadrants(int width, int height, bool alpha) {
    TestPixels pixels{width, height, alpha ? 4 : 3, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int quadrant = (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1);
            const COLORREF c = kColours[quadrant];
            pixels.bytes.insert(pixels.bytes.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
            if (alpha) pixels.bytes.push_back(quadrant == 3 ? 0 : 255);
        }
    return pixels;
}

char QuadrantOf(COLORREF colour, int tolerance) {
    for (int i = 0; i < 5; ++i)
        if (std::abs(GetRValue(colour) - GetRValue(kColours[i])) <= tolerance &&
            std::abs(GetGValue(colour) - GetGValue(kColours[i])) <= tolerance &&
            std::abs(GetBValue(colour) - GetBValue(kColours[i])) <= tolerance)
            return "rgbyk"[i];
    return '?';
}

Bytes PhotoFile(PhotoFormat format, const TestPixels &pixels) {
    Bytes out;
    const int w = pixels.width, h = pixels.height, n = pixels.channels;
    const uint8_t *data = pixels.bytes.data();
    if (format == PhotoFormat::JPEG) stbi_write_jpg_to_func(Append, &out, w, h, n, data, 95);
    if (format == PhotoFormat::PNG) stbi_write_png_to_func(Append, &out, w, h, n, data, w * n);
    if (format == PhotoFormat::BMP) stbi_write_bmp_to_func(Append, &out, w, h, n, data);
    return format == PhotoFormat::GIF ? Gif(pixels) : out;
}

Bytes BlackPng(int width, int height) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    Put(header, uint32_t(width), 4, true), Put(header, uint32_t(height), 4, true);
    header.insert(header.end(), {8, 0, 0, 0, 0});  // 8-bit grey, no interlace
    PngChunk(png, "IHDR", header);
    // Each row: its filter (0, none), then a zero byte a pixel.
    PngChunk(png, "IDAT", CompressStream(Bytes((size_t(width) + 1) * size_t(height)), 9));
    PngChunk(png, "IEND", Bytes());
    return png;
}

Bytes WithExif(const Bytes &jpeg, uint16_t orientation, const char *taken) {
    // The TIFF header; IFD0 (at 8) holds the orientation and points to the
    // EXIF directory (at 38), whose one entry points to the date (at 56).
    Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto entry = [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t value) {
        Put(tiff, tag, 2), Put(tiff, type, 2), Put(tiff, count, 4), Put(tiff, value, 4);
    };
    Put(tiff, 2, 2);
    entry(ml::EXIFTAG_ORIENTATION, ml::EXIFTYPE_SHORT, 1, orientation);
    entry(ml::EXIFTAG_EXIFDIRECTORY, ml::EXIFTYPE_LONG, 1, 38);
    Put(tiff, 0, 4);  // no next directory
    Put(tiff, 1, 2);
    entry(ml::EXIFTAG_DATETIMEORIGINAL, ml::EXIFTYPE_ASCII, 20, 56);
    Put(tiff, 0, 4);
    char text[20] = {};
    std::strncpy(text, taken, sizeof text - 1);
    tiff.insert(tiff.end(), text, text + sizeof text);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), {0xFF, ml::EXIF_MARKER});
    Put(out, uint32_t(2 + sizeof ml::EXIF_NAME + tiff.size()), 2, true);
    out.insert(out.end(), ml::EXIF_NAME, ml::EXIF_NAME + sizeof ml::EXIF_NAME);
    out.insert(out.end(), tiff.begin(), tiff.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

}  // namespace testing_support
