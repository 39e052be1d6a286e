// The day a photo was taken, as its file's header says.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "content/exif.h"

namespace photos {

// Bytes read of a photo's file to find its day taken: the EXIF segment sits
// in the first ones.
constexpr DWORD kDateHeaderBytes = DWORD(ml::EXIF_HEADBYTES);

// The day taken (yyyymmdd) that the EXIF DateTimeOriginal of the JPEG
// bytes `data` gives; 0 when there is none or it is no real day. Reads only
// inside `size`.
uint32_t JpegTakenDate(const uint8_t *data, size_t size);
// JpegTakenDate of the first kDateHeaderBytes of the file at `path` (any
// form the system opens), read into `header` of that size; 0 when it
// cannot be read.
uint32_t FileTakenDate(const wchar_t *path, uint8_t *header);

}  // namespace photos
