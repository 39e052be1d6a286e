// JPEG files for the tests: made with stb's writer, read back with the same
// decoder the player uses, and damaged in the ways that matter.
#pragma once

#include <windows.h>

#include <vector>

#include "content/writer.h"

namespace testing_support {

// A baseline colour JPEG of a smooth, photo-like pattern.
Bytes TestJpeg(int width, int height, int quality = 90);
// Its pixels as the decoder gives them, row by row from the top.
std::vector<COLORREF> JpegColours(const Bytes &jpeg);
// The offset of the first byte after the marker `code` (its length field).
size_t JpegSegment(const Bytes &jpeg, uint8_t code);
// `jpeg` with a segment `marker` of `payload` bytes (at most 65533) right
// after its start-of-image marker, as a camera's EXIF segment with its
// thumbnail comes before the frame header.
Bytes WithSegment(const Bytes &jpeg, uint8_t marker, size_t payload);

}  // namespace testing_support
