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

// Decodes a PNG, JPEG, BMP or GIF (its first frame) held in `file`.
// The size is checked before decoding; InputError says what is wrong.
Image DecodeImage(const Bytes &file);

// True when `file` starts like a GIF.
bool IsGif(const Bytes &file);

// Blends every pixel onto `background` (0x00BBGGRR) and makes it opaque.
void FlattenOnto(Image &image, uint32_t background);

// A copy scaled down (never up) to fit inside maxWidth x maxHeight with the
// same aspect ratio, with a high-quality filter; the image itself when it
// fits already.
Image ScaleToFit(const Image &image, uint32_t maxWidth, uint32_t maxHeight);

}  // namespace mlshow
