// Pictures in memory while they are imported: 8-bit RGBA pixels, top row
// first. Packing them into the player's bitmap form happens in dib.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/writer.h"

namespace mlshow {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4 bytes

    uint8_t *Pixel(uint32_t x, uint32_t y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const uint8_t *Pixel(uint32_t x, uint32_t y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Decodes a PNG, JPEG, BMP or GIF (its first frame) held in `file`. A JPEG
// comes out turned upright as its EXIF orientation says. The size is
// checked before decoding; InputError says what is wrong.
Image DecodeImage(const Bytes &file);

// True when `file` starts like a GIF; like a JPEG (fill bytes before its
// start-of-image marker too).
bool IsGif(const Bytes &file);
bool IsJpeg(const Bytes &file);

// The size a picture decodes to, as the decoder reads it from the file's
// header; false when it does not know the file.
bool DecodedSize(const Bytes &file, uint32_t *width, uint32_t *height);

// Why a JPEG coded in a way no decoder here takes (arithmetic, lossless or
// hierarchical) is refused, with what to do about it; empty for any other.
std::string JpegCodingProblem(const Bytes &jpeg);

// Whether every Huffman table of a JPEG holds at most 256 codes: stb's
// decoder writes past its table for larger ones, so such files are refused
// before a decoder sees them. True for anything but a JPEG.
bool JpegTablesFit(const Bytes &file);

// Whether a JPEG's scans are followed by its end-of-image marker: a file
// cut short has none. False for anything but a JPEG.
bool JpegHasEnd(const Bytes &file);

// Why a JPEG file does not decode (stb's reason), or empty when it does.
std::string JpegDecodeFailure(const Bytes &jpeg);

// A baseline JPEG file of `image` (alpha ignored) at quality 1..100.
Bytes EncodeJpeg(const Image &image, int quality);

// Blends every pixel onto `background` (0x00BBGGRR) and makes it opaque.
void FlattenOnto(Image &image, uint32_t background);

// A copy scaled down (never up) to fit inside maxWidth x maxHeight with the
// same aspect ratio, with a high-quality filter; the image itself when it
// fits already.
Image ScaleToFit(const Image &image, uint32_t maxWidth, uint32_t maxHeight);

}  // namespace mlshow
