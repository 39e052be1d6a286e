// Error diffusion and nearest-colour conversion onto the 3-3-2 palette.
#include "imaging/colour_reduction.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/dib.h"

namespace {

// The 3-3-2 palette index of a colour: the top bits of each channel.
inline int Index332(int red, int green, int blue) {
    return (red & 0xE0) | ((green >> 3) & 0x1C) | ((blue >> 6) & 3);
}

inline int Clamp255(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// Adds stored row `row` of the source, as red, green, blue, into the error
// cells. Depths other than 4, 8 and 24 add nothing: they dither to black.
void AddSourceRow(int16_t *cells, const BYTE *row, const RGBQUAD *table, const DIBLAYOUT &layout) {
    const int width = layout.width;
    switch (layout.bits) {
    case 4:
        for (int x = 0; x < width; ++x, cells += 3) {
            const RGBQUAD &c = table[(x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4];
            cells[0] = int16_t(cells[0] + c.rgbRed), cells[1] = int16_t(cells[1] + c.rgbGreen);
            cells[2] = int16_t(cells[2] + c.rgbBlue);
        }
        break;
    case 8:
        for (int x = 0; x < width; ++x, cells += 3) {
            const RGBQUAD &c = table[row[x]];
            cells[0] = int16_t(cells[0] + c.rgbRed), cells[1] = int16_t(cells[1] + c.rgbGreen);
            cells[2] = int16_t(cells[2] + c.rgbBlue);
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x, cells += 3, row += 3) {
            cells[0] = int16_t(cells[0] + row[2]), cells[1] = int16_t(cells[1] + row[1]);
            cells[2] = int16_t(cells[2] + row[0]);
        }
        break;
    default: break;
    }
}

// Dithers one row of error cells into `out`, passing 7/16 of each pixel's
// error right, 3/16, 5/16 and 1/16 to the next row. Both rows carry one spare
// pixel at each end, so the shares that fall off an edge land there and are
// never read: no test per pixel.
void DitherRow(int16_t *current, int16_t *next, BYTE *out, int width, const BYTE *palette) {
    for (int x = 0; x < width; ++x) {
        int16_t *cell = current + 3 * x;
        int16_t *below = next + 3 * x;
        const int red = Clamp255(cell[0]), green = Clamp255(cell[1]), blue = Clamp255(cell[2]);
        const int index = Index332(red, green, blue);
        out[x] = BYTE(index);
        const BYTE *entry = palette + 3 * index;
        const int error[3] = {red - entry[0], green - entry[1], blue - entry[2]};
        for (int c = 0; c < 3; ++c) {
            const int e = error[c];
            // >> of a negative int is an arithmetic shift: shares round down.
            cell[3 + c] = int16_t(cell[3 + c] + ((7 * e) >> 4));
            below[c - 3] = int16_t(below[c - 3] + ((3 * e) >> 4));
            below[c] = int16_t(below[c] + ((5 * e) >> 4));
            below[c + 3] = int16_t(below[c + 3] + (e >> 4));
        }
    }
}

// Runs the diffusion over a locked, checked source into a new bitmap.
HGLOBAL DitherLocked(const void *source, const DIBLAYOUT &layout, const BYTE *palette) {
    const SIZE_T cells = 3 * (SIZE_T(layout.width) + 2);
    int16_t *rows = (int16_t *)std::calloc(2 * cells, sizeof(int16_t));
    HGLOBAL result = rows ? CreateDib(layout.width, layout.height, palette, 8) : 0;
    BYTE *target = result ? (BYTE *)GlobalLock(result) : nullptr;
    if (target) {
        DIBLAYOUT out;
        GetDibLayout(target, GlobalSize(result), &out);
        const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)source + layout.table);
        int16_t *current = rows + 3, *next = rows + cells + 3;  // past the spare pixel
        for (int stored = 0; stored < layout.height; ++stored) {
            AddSourceRow(current, (const BYTE *)source + layout.pixels + SIZE_T(stored) * layout.rowbytes, table,
                         layout);
            DitherRow(current, next, target + out.pixels + SIZE_T(stored) * out.rowbytes, layout.width, palette);
            std::memcpy(rows, rows + cells, cells * sizeof(int16_t));
            std::memset(rows + cells, 0, cells * sizeof(int16_t));
        }
        GlobalUnlock(result);
    } else if (result) {
        GlobalFree(result);
        result = 0;
    }
    std::free(rows);
    return result;
}

// Converts a locked, checked source by nearest colour into a new bitmap.
HGLOBAL RemapLocked(const void *source, const DIBLAYOUT &layout, const BYTE *palette) {
    BYTE map[256] = {};
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)source + layout.table);
    for (unsigned i = 0; i < layout.colours; ++i)
        map[i] = BYTE(FindPaletteColour(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, palette, 256));
    HGLOBAL result = CreateDib(layout.width, layout.height, palette, 8);
    BYTE *target = result ? (BYTE *)GlobalLock(result) : nullptr;
    if (!target) {
        if (result) GlobalFree(result);
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
        default: {
            // Read as blue, green, red triples; at depths below 24 a row holds
            // fewer triples than pixels, and the rest stay index 0.
            const int triples = int(layout.rowbytes / 3) < width ? int(layout.rowbytes / 3) : width;
            for (int x = 0; x < triples; ++x, row += 3) dest[x] = BYTE(Index332(row[2], row[1], row[0]));
            break;
        }
        }
    }
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
