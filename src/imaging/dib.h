// Packed device-independent bitmaps: one movable global memory block holding
// a BITMAPINFOHEADER, exactly 2^depth colour entries for depths up to 8, and
// bottom-up rows padded to 4 bytes. Palettes are tables of RGB triples.
//
// Working memory of imaging and presentation (pixel buffers, the records
// that hold them, scratch rows) comes from std::calloc and goes back with
// std::free: zeroed, null rather than an exception when memory runs out,
// and without the run-time's operator new and exception classes in the
// player. Only packed bitmaps are global memory blocks: handles that
// pass between the rooms and to GDI.
#pragma once

#include <windows.h>

#include "content/format.h"

// Colour bits of the display; 24 until start-up reads it.
extern int devicebits;
// Bit of pixel x within its byte in a 1-bit row: masktable[x % 8].
extern const BYTE masktable[8];

// The largest packed bitmap made: anything claiming more is refused.
constexpr unsigned long long MAXDIBBYTES = MAXPICTUREBYTES;

unsigned AdjustDIBits(unsigned bits);
// A new zeroed bitmap of AdjustDIBits(bits) with the first 2^depth entries
// of `palette` (RGB triples) as its colour table; 0 on failure or bad size.
HGLOBAL CreateDib(int width, int height, const BYTE *palette, unsigned bits);
// Total bytes of a packed bitmap of these dimensions, or 0 when they are
// not positive, the depth is not one of 1, 4, 8, 24, or it would be too big.
unsigned long DibSize(long width, long height, unsigned bits);
int GetDisplayBits();

// Single pixels of a locked bitmap, (0, 0) the top-left corner: the palette
// index for 1, 4 and 8 bits, the COLORREF for 16, 24 and 32 bits. Reads give
// -1 outside the picture or for other depths. Writes take the same values
// for 1, 4, 8 and 24 bits; writes of -1, outside or to other depths do
// nothing.
// These check the header only: bulk callers check the block once with
// GetDibLayout before their loops.
long GetDibPixel(const void *dib, int x, int y);
void PutDibPixel(void *dib, int x, int y, long value);

// Width, height and depth of a bitmap handle into the non-null outs, and its
// colour table into `palette` (768 bytes) when given; 0 when the block cannot
// be locked or does not hold the bitmap its header describes.
int GetBitmapDimensions(HGLOBAL dib, int *width, int *height, int *bits, BYTE *palette);
// Zeroes the 768-byte table, then copies the colour table of a locked bitmap
// into it; the number of entries copied, 0 above 8 bits.
int GetDibPalette(const void *dib, BYTE *palette);

// Where the parts of a packed bitmap lie, from a header found sound.
struct DIBLAYOUT {
    int width;
    int height;
    unsigned bits;
    unsigned colours;     // colour-table entries: 2^bits up to 8 bits, else 0
    DWORD rowbytes;       // one stored row, padded to 4 bytes
    SIZE_T table;         // offset of the colour table (biSize)
    SIZE_T pixels;        // offset of the bottom row
    SIZE_T bytes;         // header, table and rows together
};

// 1 when the header at `dib` (BITMAPINFOHEADER or a longer one) describes
// uncompressed bottom-up rows of a depth GDI draws (1, 4, 8, 16, 24 or 32
// bits per pixel), positive sizes, no more than MAXDIBBYTES, and all of it lies
// within the first `available` bytes; then `layout` says where things are.
int GetDibLayout(const void *dib, SIZE_T available, DIBLAYOUT *layout);
// Bytes of the global memory block that starts at a locked pointer, or
// MAXDIBBYTES when `dib` is not the start of one (a bitmap inside a larger
// block, whose owner has checked it): the bound for GetDibLayout.
SIZE_T LockedDibBytes(const void *dib);
// Row y (0 = top) of a bitmap whose layout is known.
inline BYTE *DibRow(void *dib, const DIBLAYOUT &layout, int y) {
    return (BYTE *)dib + layout.pixels + SIZE_T(layout.height - 1 - y) * layout.rowbytes;
}
inline const BYTE *DibRow(const void *dib, const DIBLAYOUT &layout, int y) {
    return (const BYTE *)dib + layout.pixels + SIZE_T(layout.height - 1 - y) * layout.rowbytes;
}
