// Packed bitmaps: creating them, checking their layout, single pixels, their
// size and colour table, and the display depth.
#include "imaging/dib.h"

#include <cstring>

#include "content/format.h"

int devicebits = 24;
const BYTE masktable[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

unsigned AdjustDIBits(unsigned bits) {
    if (bits == 1) return 1;
    if (bits >= 2 && bits <= 4) return 4;
    if (bits >= 5 && bits <= 8) return 8;
    return 24;
}

namespace {

// The depths GDI draws from an uncompressed bitmap.
bool IsGdiDepth(unsigned bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes of one padded row, in 64 bits: a 32-bit count wraps for wide rows.
unsigned long long RowBytes(unsigned long long width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

}  // namespace

unsigned long DibSize(long width, long height, unsigned bits) {
    if (width <= 0 || height <= 0) return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return 0;
    const unsigned long long rowbytes = RowBytes((unsigned long)width, bits);
    if (rowbytes > MAXDIBBYTES) return 0;
    const unsigned long long size = DIBHEADER_SIZE + 4ull * DibColourCount(bits) + rowbytes * (unsigned long)height;
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

int GetDibLayout(const void *dib, SIZE_T available, DIBLAYOUT *layout) {
    if (!dib || available < sizeof(BITMAPINFOHEADER)) return 0;
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)dib;
    const unsigned bits = header->biBitCount;
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > MAXDIBBYTES) return 0;
    if (header->biWidth <= 0 || header->biHeight <= 0 || !IsGdiDepth(bits)) return 0;
    if (header->biCompression != BI_RGB) return 0;
    const unsigned colours = DibColourCount(bits);
    const unsigned long long rowbytes = RowBytes((unsigned long)header->biWidth, bits);
    if (rowbytes > MAXDIBBYTES) return 0;
    const unsigned long long pixels = header->biSize + 4ull * colours;
    const unsigned long long bytes = pixels + rowbytes * (unsigned long)header->biHeight;
    if (bytes > MAXDIBBYTES || bytes > available) return 0;
    layout->width = header->biWidth;
    layout->height = header->biHeight;
    layout->bits = bits;
    layout->colours = colours;
    layout->rowbytes = DWORD(rowbytes);
    layout->table = header->biSize;
    layout->pixels = SIZE_T(pixels);
    layout->bytes = SIZE_T(bytes);
    return 1;
}

SIZE_T LockedDibBytes(const void *dib) {
    HGLOBAL block = dib ? GlobalHandle(dib) : nullptr;
    if (block) {
        // Locking again gives the same pointer only when `dib` is the start
        // of this block's memory; the extra lock is taken straight back.
        void *start = GlobalLock(block);
        if (start) GlobalUnlock(block);
        if (start == dib) return GlobalSize(block);
    }
    return SIZE_T(MAXDIBBYTES);
}

long GetDibPixel(const void *dib, int x, int y) {
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)dib;
    const LONG width = header->biWidth, height = header->biHeight;
    if (x < 0 || y < 0 || x >= width || y >= height) return -1;
    const unsigned bits = header->biBitCount;
    const BYTE *row = (const BYTE *)dib + header->biSize + 4 * DibColourCount(bits) +
                      SIZE_T(height - 1 - y) * DibRowBytes(uint32_t(width), bits);
    switch (bits) {
    case 1: return (row[x >> 3] & masktable[x & 7]) ? 1 : 0;
    case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8: return row[x];
    case 16: {  // 5-5-5, each channel widened to 8 bits
        const unsigned v = row[2 * SIZE_T(x)] | unsigned(row[2 * SIZE_T(x) + 1]) << 8;
        auto widen = [](unsigned c) { return long(c << 3 | c >> 2); };
        return widen(v >> 10 & 31) | widen(v >> 5 & 31) << 8 | widen(v & 31) << 16;
    }
    case 24:
    case 32: {
        const BYTE *p = row + SIZE_T(bits / 8) * SIZE_T(x);
        return long(p[2]) | long(p[1]) << 8 | long(p[0]) << 16;
    }
    default: return -1;
    }
}

void PutDibPixel(void *dib, int x, int y, long value) {
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)dib;
    const LONG width = header->biWidth, height = header->biHeight;
    if (value == -1 || x < 0 || y < 0 || x >= width || y >= height) return;
    const unsigned bits = header->biBitCount;
    BYTE *row = (BYTE *)dib + header->biSize + 4 * DibColourCount(bits) +
                SIZE_T(height - 1 - y) * DibRowBytes(uint32_t(width), bits);
    switch (bits) {
    case 1:
        if (value)
            row[x >> 3] |= masktable[x & 7];
        else
            row[x >> 3] &= BYTE(~masktable[x & 7]);
        break;
    case 4:
        if (x & 1)
            row[x >> 1] = BYTE((row[x >> 1] & 0xF0) | (value & 0x0F));
        else
            row[x >> 1] = BYTE((row[x >> 1] & 0x0F) | (value & 0x0F) << 4);
        break;
    case 8: row[x] = BYTE(value); break;
    case 24: {
        BYTE *p = row + 3 * SIZE_T(x);
        p[0] = BYTE(value >> 16);
        p[1] = BYTE(value >> 8);
        p[2] = BYTE(value);
        break;
    }
    default: break;
    }
}

int GetDibPalette(const void *dib, BYTE *palette) {
    std::memset(palette, 0, 768);
    DIBLAYOUT layout;
    if (!GetDibLayout(dib, LockedDibBytes(dib), &layout) || layout.bits > 8) return 0;
    const unsigned count = layout.colours < 256 ? layout.colours : 256;
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)dib + layout.table);
    for (unsigned i = 0; i < count; ++i) {
        palette[3 * i] = table[i].rgbRed;
        palette[3 * i + 1] = table[i].rgbGreen;
        palette[3 * i + 2] = table[i].rgbBlue;
    }
    return int(count);
}

int GetBitmapDimensions(HGLOBAL dib, int *width, int *height, int *bits, BYTE *palette) {
    const void *start = dib ? GlobalLock(dib) : nullptr;
    if (!start) return 0;
    DIBLAYOUT layout;
    const int ok = GetDibLayout(start, GlobalSize(dib), &layout);
    if (ok) {
        if (width) *width = layout.width;
        if (height) *height = layout.height;
        if (bits) *bits = int(layout.bits);
        if (palette) GetDibPalette(start, palette);
    }
    GlobalUnlock(dib);
    return ok;
}

int GetDisplayBits() {
    HDC screen = GetDC(nullptr);
    int bits = WORD(GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    return bits > 8 ? 24 : bits;
}
