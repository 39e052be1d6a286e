// JPEG pictures decoded into packed bitmaps.
#include "imaging/jpeg_decode.h"

#include <stb/stb_image.h>

#include "content/jpeg.h"
#include "imaging/dib.h"
#include "imaging/scale.h"

namespace {

// Copies stb's top-down RGB rows into the bitmap's bottom-up BGR rows.
void CopyRows(const unsigned char *rgb, int width, int height, void *dib) {
    DIBLAYOUT layout;
    if (!GetDibLayout(dib, LockedDibBytes(dib), &layout)) return;
    for (int y = 0; y < height; ++y) {
        const unsigned char *in = rgb + size_t(y) * size_t(width) * 3;
        BYTE *out = DibRow(dib, layout, y);
        for (int x = 0; x < width; ++x, in += 3, out += 3) out[0] = in[2], out[1] = in[1], out[2] = in[0];
    }
}

// Scales stb's top-down RGB rows of the part `part` straight into the
// bitmap's bottom-up BGR rows; false when memory runs out.
bool ScaleRows(const unsigned char *rgb, int width, const RECT &part, void *dib) {
    DIBLAYOUT layout;
    if (!GetDibLayout(dib, LockedDibBytes(dib), &layout)) return false;
    const unsigned char *first = rgb + (size_t(part.top) * size_t(width) + size_t(part.left)) * 3;
    if (!ScalePixels(first, ptrdiff_t(width) * 3, part.right - part.left, part.bottom - part.top,
                     DibRow(dib, layout, 0), -ptrdiff_t(layout.rowbytes), layout.width, layout.height))
        return false;
    for (int y = 0; y < layout.height; ++y) {
        BYTE *row = DibRow(dib, layout, y);
        for (int x = 0; x < layout.width; ++x, row += 3) {
            const BYTE red = row[0];
            row[0] = row[2], row[2] = red;
        }
    }
    return true;
}

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
    RECT part = {0, 0, width, height};
    SIZE fitted = {width, height};
    HGLOBAL dib = !fit || FitPicture(width, height, screenwide, screendeep, fit, &part, &fitted)
                      ? CreateDib(int(fitted.cx), int(fitted.cy), nullptr, 24)
                      : 0;
    void *pixels = dib ? GlobalLock(dib) : nullptr;
    bool made = pixels != nullptr;
    if (pixels && fit) made = ScaleRows(rgb, width, part, pixels);
    else if (pixels) CopyRows(rgb, width, height, pixels);
    if (pixels) GlobalUnlock(dib);
    if (!made && dib) {
        GlobalFree(dib);
        dib = 0;
    }
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
