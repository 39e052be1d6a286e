// JPEG pictures decoded into packed bitmaps.
#include "imaging/jpeg_decode.h"

#include <stb/stb_image.h>

#include "content/jpeg.h"
#include "imaging/scale.h"

namespace {

// The decoded picture, at its own size when `fit` is 0, else fitted to the
// screen with no full-size bitmap made on the way.
HGLOBAL Decode(const BYTE *bytes, SIZE_T size, DWORD fit, int screenwide, int screendeep, const volatile LONG *stop) {
    ml::JPEGINFO info;
    if (size > 0x7FFFFFFF || ml::CheckJpeg(bytes, size, &info) != ml::JPEG_OK || !ml::JpegTablesFit(bytes, size))
        return 0;
    int width = 0, height = 0, channels = 0;
    unsigned char *rgb = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 3);
    if (rgb && stop && *stop) {
        stbi_image_free(rgb);
        return 0;
    }
    if (!rgb) return 0;
    HGLOBAL dib = DibFromRgbRows(rgb, width, height, fit, screenwide, screendeep);
    stbi_image_free(rgb);
    return dib;
}

}  // namespace

HGLOBAL DecodeJpegToDib(HGLOBAL jpeg) { return DecodeJpegToFittedDib(jpeg, 0, 0, 0); }

HGLOBAL DecodeJpegToFittedDib(HGLOBAL jpeg, DWORD fit, int screenwide, int screendeep, const volatile LONG *stop) {
    const BYTE *bytes = jpeg ? (const BYTE *)GlobalLock(jpeg) : nullptr;
    if (!bytes) return 0;
    HGLOBAL dib = Decode(bytes, GlobalSize(jpeg), fit, screenwide, screendeep, stop);
    GlobalUnlock(jpeg);
    return dib;
}
