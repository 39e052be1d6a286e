// Turning a picture upright as its JPEG's EXIF orientation says, and EXIF
// data written into JPEGs. The reading of EXIF is content/exif.h, shared
// with the player.
#pragma once

#include <cstdint>
#include <string>

#include "content/exif.h"
#include "image.h"

namespace mlshow {

// `jpeg` with an EXIF segment right after its start-of-image marker whose
// EXIF directory gives `dateTime` ("2024:06:01 10:20:30") as
// DateTimeOriginal, in Motorola (big-endian) or Intel byte order.
Bytes WithExifTaken(const Bytes &jpeg, const std::string &dateTime, bool bigEndian = true);

// The picture as it is meant to be seen: `image` as stored, mirrored and
// turned as `orientation` says; a copy for 1 and for unknown values.
Image Orient(const Image &image, uint32_t orientation);

}  // namespace mlshow
