// The orientation and the day taken of a JPEG's EXIF data, and turning a
// picture upright.
// Cameras and phones store pictures as the sensor saw them and say in the
// tag how to turn them for viewing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image.h"

namespace mlshow {

// EXIF orientation values: 1 as stored; 2..8 mirrored and/or turned.
constexpr uint32_t ORIENTATION_UPRIGHT = 1;

// The orientation (1..8) that the first EXIF segment (APP1 "Exif") of a
// JPEG gives in its first directory (tag 0x0112), in either byte order;
// 1 when there is none or it cannot be read. Reads only inside `size`.
uint32_t ExifOrientation(const uint8_t *data, size_t size);

// The day the photo was taken, yyyymmdd as a number (20240601), from the
// DateTimeOriginal tag (0x9003) of the EXIF directory of the first EXIF
// segment; 0 when there is none, it is blank ("0000:00:00") or no real
// date. Reads only inside `size`.
uint32_t ExifTakenDate(const uint8_t *data, size_t size);
// "YYYY:MM:DD..." (EXIF's date form) as yyyymmdd; 0 when it is no real date.
uint32_t ExifDateNumber(const char *text);
// Whether yyyymmdd names a real day of the years 1..9999.
bool ValidDateNumber(uint32_t yyyymmdd);

// `jpeg` with an EXIF segment right after its start-of-image marker whose
// EXIF directory gives `dateTime` ("2024:06:01 10:20:30") as
// DateTimeOriginal, in Motorola (big-endian) or Intel byte order.
Bytes WithExifTaken(const Bytes &jpeg, const std::string &dateTime, bool bigEndian = true);

// Whether an orientation swaps width and height (5..8: turned a quarter).
bool OrientationSwapsSides(uint32_t orientation);

// The picture as it is meant to be seen: `image` as stored, mirrored and
// turned as `orientation` says; a copy for 1 and for unknown values.
Image Orient(const Image &image, uint32_t orientation);

}  // namespace mlshow
