// The orientation and the day taken of a JPEG's EXIF data. Portable: the
// show builder and the player read photos with the same code.
// Cameras and phones store pictures as the sensor saw them and say in the
// orientation tag how to turn them for viewing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ml {

// The first bytes of a JPEG that hold its EXIF segment whole, even at the
// largest size a segment has (64 KB) behind a JFIF segment.
constexpr size_t EXIF_HEADBYTES = 68u << 10;

// EXIF orientation values: 1 as stored; 2..8 mirrored and/or turned.
constexpr uint32_t ORIENTATION_UPRIGHT = 1;

// What the reader looks for, for writers of EXIF data that mirror it: the
// JPEG marker of the segment and its first bytes, then a TIFF structure
// whose first directory holds the orientation and points to the EXIF
// directory, which holds the day taken.
constexpr uint8_t EXIF_MARKER = 0xE1;  // APP1
constexpr char EXIF_NAME[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t EXIFTAG_ORIENTATION = 0x0112;
constexpr uint16_t EXIFTAG_EXIFDIRECTORY = 0x8769;
constexpr uint16_t EXIFTAG_DATETIMEORIGINAL = 0x9003;
constexpr uint16_t EXIFTYPE_ASCII = 2, EXIFTYPE_SHORT = 3, EXIFTYPE_LONG = 4;

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

// Whether an orientation swaps width and height (5..8: turned a quarter).
inline bool OrientationSwapsSides(uint32_t orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace ml
