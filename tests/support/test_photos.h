// Photo files for the tests, as cameras and programs write them: JPEG, PNG
// and BMP through stb's writer, GIF through a small encoder of its own, a
// PNG that inflates to a huge picture, and EXIF data in a JPEG.
#pragma once

#include <windows.h>

#include <vector>

#include "content/writer.h"

namespace testing_support {

// Pixels of a picture, top row first: `channels` bytes each (RGB or RGBA).
struct TestPixels {
    int width = 0, height = 0, channels = 3;
    std::vector<uint8_t> bytes;
};

// Four flat quadrants: red top left, green top right, blue bottom left,
// yellow bottom right; with `alpha`, the yellow one is fully transparent.
TestPixels Quadrants(int width, int height, bool alpha = false);
// The quadrant colour within `tolerance` of `colour`: 'r', 'g', 'b', 'y',
// 'k' for black, or '?'.
char QuadrantOf(COLORREF colour, int tolerance);

enum class PhotoFormat { JPEG, PNG, BMP, GIF };
// The picture as a file of that format (a GIF of at most 128 colours).
Bytes PhotoFile(PhotoFormat format, const TestPixels &pixels);
// A grey PNG of width x height black pixels: a few kilobytes that inflate
// to the whole picture, as a decompression bomb is made.
Bytes BlackPng(int width, int height);

// `jpeg` with an EXIF segment (Intel byte order) right after its
// start-of-image marker: `orientation` in its first directory and `taken`
// ("2024:06:01 10:20:30", or blank) as DateTimeOriginal in its EXIF directory.
Bytes WithExif(const Bytes &jpeg, uint16_t orientation, const char *taken = "");

}  // namespace testing_support
