// Creating packed bitmaps and reading the display depth.
#include "imaging/dib.h"

#include "content/format.h"

int devicebits = 24;

unsigned AdjustDIBits(unsigned bits) {
    if (bits == 1) return 1;
    if (bits >= 2 && bits <= 4) return 4;
    if (bits >= 5 && bits <= 8) return 8;
    return 24;
}

unsigned long DibSize(long width, long height, unsigned bits) {
    if (width <= 0 || height <= 0) return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return 0;
    unsigned long long size = DIBHEADER_SIZE + 4ull * DibColourCount(bits) +
                              (unsigned long long)DibRowBytes(uint32_t(width), bits) * (unsigned long long)height;
    return size <= MAXDIBBYTES ? (unsigned long)size : 0;
}

HGLOBAL CreateDib(int width, int height, const BYTE *palette, unsigned bits) {
    const unsigned depth = AdjustDIBits(bits);
    const unsigned long size = DibSize(width, height, depth);
    if (size == 0) return 0;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!dib) return 0;
    BITMAPINFOHEADER *header = (BITMAPINFOHEADER *)GlobalLock(dib);
    if (!header) {
        GlobalFree(dib);
        return 0;
    }
    const unsigned colours = DibColourCount(depth);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = WORD(depth);
    header->biCompression = BI_RGB;
    header->biSizeImage = DibRowBytes(width, depth) * height;
    header->biClrUsed = header->biClrImportant = colours;
    RGBQUAD *table = (RGBQUAD *)(header + 1);
    for (unsigned i = 0; palette && i < colours; ++i) {
        table[i].rgbRed = palette[3 * i];
        table[i].rgbGreen = palette[3 * i + 1];
        table[i].rgbBlue = palette[3 * i + 2];
    }
    GlobalUnlock(dib);
    return dib;
}

int GetDisplayBits() {
    HDC screen = GetDC(nullptr);
    int bits = WORD(GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    return bits > 8 ? 24 : bits;
}
