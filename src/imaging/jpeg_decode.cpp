// JPEG pictures decoded into packed bitmaps.
#include "imaging/jpeg_decode.h"

#include <stb/stb_image.h>

#include "content/jpeg.h"
#include "imaging/dib.h"

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

HGLOBAL Decode(const BYTE *bytes, SIZE_T size) {
    ml::JPEGINFO info;
    if (size > 0x7FFFFFFF || ml::CheckJpeg(bytes, size, &info) != ml::JPEG_OK || !ml::JpegTablesFit(bytes, size))
        return 0;
    int width = 0, height = 0, channels = 0;
    unsigned char *rgb = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 3);
    if (!rgb) return 0;
    HGLOBAL dib = CreateDib(width, height, nullptr, 24);
    void *pixels = dib ? GlobalLock(dib) : nullptr;
    if (pixels) {
        CopyRows(rgb, width, height, pixels);
        GlobalUnlock(dib);
    } else if (dib) {
        GlobalFree(dib);
        dib = 0;
    }
    stbi_image_free(rgb);
    return dib;
}

}  // namespace

HGLOBAL DecodeJpegToDib(HGLOBAL jpeg) {
    const BYTE *bytes = jpeg ? (const BYTE *)GlobalLock(jpeg) : nullptr;
    if (!bytes) return 0;
    HGLOBAL dib = Decode(bytes, GlobalSize(jpeg));
    GlobalUnlock(jpeg);
    return dib;
}
