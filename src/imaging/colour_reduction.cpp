// Error diffusion and nearest-colour conversion onto the 3-3-2 palette.
#include "imaging/colour_reduction.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "imaging/dib.h"

namespace {

// The 3-3-2 palette index of a colour: the top bits of each channel.
inline int Index332(int red, int green, int blue) {
    return (red & 0xE0) | ((green >> 3) & 0x1C) | ((blue >> 6) & 3);
}

inline int Clamp255(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// Stored row `row` of a 4- or 8-bit source as blue, green, red bytes through
// its colour table, in the layout of a 24-bit row.
void PaletteRowToTriples(BYTE *triples, const BYTE *row, const RGBQUAD *table, const DIBLAYOUT &layout) {
    for (int x = 0; x < layout.width; ++x, triples += 3) {
        const int index = layout.bits == 8 ? row[x] : (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        triples[0] = table[index].rgbBlue, triples[1] = table[index].rgbGreen, triples[2] = table[index].rgbRed;
    }
}

// Stored row `row` of a 16- or 32-bit source as blue, green, red bytes.
void TrueColourRowToTriples(BYTE *triples, const BYTE *row, const DIBLAYOUT &layout) {
    for (int x = 0; x < layout.width; ++x, triples += 3) {
        if (layout.bits == 32) {
            triples[0] = row[4 * x], triples[1] = row[4 * x + 1], triples[2] = row[4 * x + 2];
        } else {  // 5-5-5, each channel widened to 8 bits
            const unsigned v = row[2 * x] | unsigned(row[2 * x + 1]) << 8;
            auto widen = [](unsigned c) { return BYTE(c << 3 | c >> 2); };
            triples[0] = widen(v & 31), triples[1] = widen(v >> 5 & 31), triples[2] = widen(v >> 10 & 31);
        }
    }
}

// Stored row `row` of any source but a 1-bit one as blue, green, red bytes:
// the row itself at 24 bits, else converted into `triples`.
const BYTE *RowTriples(BYTE *triples, const BYTE *row, const RGBQUAD *table, const DIBLAYOUT &layout) {
    if (layout.bits == 24) return row;
    if (layout.bits == 4 || layout.bits == 8)
        PaletteRowToTriples(triples, row, table, layout);
    else
        TrueColourRowToTriples(triples, row, layout);
    return triples;
}

// A cell holds a source byte, up to 144 from the row below and up to 112
// from the pixel to its left either way: always within -512 .. 1023.
constexpr int CELLOFFSET = 512, CELLRANGE = 1536;

// For palettes whose red entries depend only on the red bits of the index,
// and so on (the 3-3-2 display palette): per channel and for every value a
// cell can hold, the index bits and the error of its clamped value. The
// diffusion then needs no clamping, no palette look-up by the whole index,
// and each channel's chain from pixel to pixel is short.
struct CHANNELTABLES {
    BYTE bits[3][CELLRANGE];
    int16_t error[3][CELLRANGE];
};

// The index bits of channel c of a clamped value.
inline int ChannelBits(int c, int value) {
    return c == 0 ? value & 0xE0 : c == 1 ? (value >> 3) & 0x1C : (value >> 6) & 3;
}

bool BuildChannelTables(const BYTE *palette, CHANNELTABLES *tables) {
    for (int index = 0; index < 256; ++index)
        for (int c = 0; c < 3; ++c) {
            // The entry with only this channel's bits of the index.
            const int alone = index & (c == 0 ? 0xE0 : c == 1 ? 0x1C : 3);
            if (palette[3 * index + c] != palette[3 * alone + c]) return false;
        }
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < CELLRANGE; ++v) {
            const int value = Clamp255(v - CELLOFFSET);
            tables->bits[c][v] = BYTE(ChannelBits(c, value));
            tables->error[c][v] = int16_t(value - palette[3 * ChannelBits(c, value) + c]);
        }
    return true;
}

// Dithers one row: each pixel is its source colour plus the error cells the
// row below it passed up (`above`, red, green, blue per pixel), plus 7/16 of
// the error of the pixel to its left; the pixel passes 3/16, 5/16 and 1/16 of
// its own error to the cells of the next row (`below`). The shares bound for
// the next row are summed in registers and each cell of `below` is written
// once; the sums are those of adding the shares one by one. With `tables`
// the index and errors come from them, else from clamping and the palette.
void DitherRow(const BYTE *bgr, const int16_t *above, int16_t *below, BYTE *out, int width, const BYTE *palette,
               const CHANNELTABLES *tables) {
    int right[3] = {0, 0, 0};    // 7/16 share for pixel x
    int pending[3] = {0, 0, 0};  // shares gathered so far for below[x - 1]
    int ahead[3] = {0, 0, 0};    // 1/16 share for below[x]
    for (int x = 0; x < width; ++x, bgr += 3, above += 3) {
        const int cell[3] = {above[0] + bgr[2] + right[0], above[1] + bgr[1] + right[1], above[2] + bgr[0] + right[2]};
        int error[3];
        if (tables) {
            out[x] = BYTE(tables->bits[0][cell[0] + CELLOFFSET] | tables->bits[1][cell[1] + CELLOFFSET] |
                          tables->bits[2][cell[2] + CELLOFFSET]);
            for (int c = 0; c < 3; ++c) error[c] = tables->error[c][cell[c] + CELLOFFSET];
        } else {
            const int red = Clamp255(cell[0]), green = Clamp255(cell[1]), blue = Clamp255(cell[2]);
            const int index = Index332(red, green, blue);
            out[x] = BYTE(index);
            const BYTE *entry = palette + 3 * index;
            error[0] = red - entry[0], error[1] = green - entry[1], error[2] = blue - entry[2];
        }
        for (int c = 0; c < 3; ++c) {
            const int e = error[c];
            // >> of a negative int is an arithmetic shift: shares round down.
            right[c] = (7 * e) >> 4;
            if (x > 0) below[3 * (x - 1) + c] = int16_t(pending[c] + ((3 * e) >> 4));
            pending[c] = ahead[c] + ((5 * e) >> 4);
            ahead[c] = e >> 4;
        }
    }
    // The rightmost pixel's 7/16 and 1/16 shares fall off the row.
    if (width > 0)
        for (int c = 0; c < 3; ++c) below[3 * (width - 1) + c] = int16_t(pending[c]);
}

// Runs the diffusion over a locked, checked source into a new bitmap, rows
// in storage order: the row below in the diffusion is the next stored row,
// the one above on the screen.
HGLOBAL DitherLocked(const void *source, const DIBLAYOUT &layout, const BYTE *palette) {
    const SIZE_T cells = 3 * SIZE_T(layout.width);
    // Two error rows, and a row of triples for sources that are not 24-bit.
    int16_t *rows = (int16_t *)std::calloc(2 * cells, sizeof(int16_t));
    BYTE *triples = layout.bits == 24 ? nullptr : (BYTE *)std::calloc(cells, 1);
    HGLOBAL result = rows && (triples || layout.bits == 24) ? CreateDib(layout.width, layout.height, palette, 8) : 0;
    BYTE *target = result ? (BYTE *)GlobalLock(result) : nullptr;
    if (target) {
        DIBLAYOUT out;
        GetDibLayout(target, GlobalSize(result), &out);
        const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)source + layout.table);
        CHANNELTABLES *tables = (CHANNELTABLES *)std::malloc(sizeof(CHANNELTABLES));
        if (tables && !BuildChannelTables(palette, tables)) {
            std::free(tables);  // a palette of another shape: looked up per pixel
            tables = nullptr;
        }
        int16_t *current = rows, *next = rows + cells;
        for (int stored = 0; stored < layout.height; ++stored) {
            const BYTE *row = (const BYTE *)source + layout.pixels + SIZE_T(stored) * layout.rowbytes;
            DitherRow(RowTriples(triples, row, table, layout), current, next,
                      target + out.pixels + SIZE_T(stored) * out.rowbytes, layout.width, palette, tables);
            std::swap(current, next);
        }
        std::free(tables);
        GlobalUnlock(result);
    } else if (result) {
        GlobalFree(result);
        result = 0;
    }
    std::free(triples);
    std::free(rows);
    return result;
}

// Converts a locked, checked source by nearest colour into a new bitmap.
HGLOBAL RemapLocked(const void *source, const DIBLAYOUT &layout, const BYTE *palette) {
    BYTE map[256] = {};
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)source + layout.table);
    for (unsigned i = 0; i < layout.colours; ++i)
        map[i] = BYTE(FindPaletteColour(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, palette, 256));
    // A row of triples for 16- and 32-bit sources.
    BYTE *triples = layout.bits == 16 || layout.bits == 32 ? (BYTE *)std::calloc(3 * SIZE_T(layout.width), 1) : nullptr;
    HGLOBAL result = triples || (layout.bits != 16 && layout.bits != 32) ? CreateDib(layout.width, layout.height, palette, 8) : 0;
    BYTE *target = result ? (BYTE *)GlobalLock(result) : nullptr;
    if (!target) {
        if (result) GlobalFree(result);
        std::free(triples);
        return 0;
    }
    DIBLAYOUT out;
    GetDibLayout(target, GlobalSize(result), &out);
    const int width = layout.width;
    for (int stored = 0; stored < layout.height; ++stored) {
        const BYTE *row = (const BYTE *)source + layout.pixels + SIZE_T(stored) * layout.rowbytes;
        BYTE *dest = target + out.pixels + SIZE_T(stored) * out.rowbytes;
        switch (layout.bits) {
        // The two colours of a 1-bit source are not consulted: black and white.
        case 1:
            for (int x = 0; x < width; ++x) dest[x] = (row[x >> 3] & masktable[x & 7]) ? 255 : 0;
            break;
        case 4:
            for (int x = 0; x < width; ++x) dest[x] = map[(x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4];
            break;
        case 8:
            for (int x = 0; x < width; ++x) dest[x] = map[row[x]];
            break;
        default: {  // 16, 24 and 32 bits
            const BYTE *bgr = RowTriples(triples, row, table, layout);
            for (int x = 0; x < width; ++x, bgr += 3) dest[x] = BYTE(Index332(bgr[2], bgr[1], bgr[0]));
            break;
        }
        }
    }
    std::free(triples);
    GlobalUnlock(result);
    return result;
}

// Locks and checks a source picture, then dithers or remaps it.
HGLOBAL ConvertDib(HGLOBAL dib, const BYTE *palette, bool dither) {
    const void *source = dib ? GlobalLock(dib) : nullptr;
    if (!source) return 0;
    HGLOBAL result = 0;
    DIBLAYOUT layout;
    if (GetDibLayout(source, GlobalSize(dib), &layout)) {
        if (dither && layout.bits != 1)
            result = DitherLocked(source, layout, palette);
        else if (!dither)
            result = RemapLocked(source, layout, palette);
    }
    GlobalUnlock(dib);
    return result;
}

}  // namespace

int FindPaletteColour(int red, int green, int blue, const BYTE *palette, int count) {
    for (int i = 0; i < count; ++i)
        if (palette[3 * i] == red && palette[3 * i + 1] == green && palette[3 * i + 2] == blue) return i;
    long best = 1000000;
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const long dr = red - palette[3 * i], dg = green - palette[3 * i + 1], db = blue - palette[3 * i + 2];
        const long distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < best) result = i, best = distance;
    }
    return result;
}

HGLOBAL DitherDib(HGLOBAL dib, const BYTE *palette, int, int) { return ConvertDib(dib, palette, true); }

HGLOBAL RemapDib(HGLOBAL dib, const BYTE *palette, int, int) { return ConvertDib(dib, palette, false); }
