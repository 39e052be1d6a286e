// Fixed palettes and palette realisation in device contexts.
#include "imaging/palette.h"

#include <cstdlib>
#include <cstring>


namespace {

const BYTE ramp8[8] = {0, 36, 72, 108, 144, 180, 216, 255};
const BYTE ramp4[4] = {0, 85, 170, 255};
const BYTE ramp2[2] = {0, 255};

const BYTE vga[16][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0x80, 0x80, 0x80},
    {0xC0, 0xC0, 0xC0}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

void SetEntry(BYTE *palette, int index, BYTE red, BYTE green, BYTE blue) {
    palette[3 * index] = red;
    palette[3 * index + 1] = green;
    palette[3 * index + 2] = blue;
}

// Index r * green levels * blue levels + g * blue levels + b over three ramps.
void FillRamps(BYTE *palette, const BYTE *reds, int nred, const BYTE *greens, int ngreen, const BYTE *blues,
               int nblue) {
    for (int r = 0; r < nred; ++r)
        for (int g = 0; g < ngreen; ++g)
            for (int b = 0; b < nblue; ++b) SetEntry(palette, (r * ngreen + g) * nblue + b, reds[r], greens[g], blues[b]);
}

// 768 bytes at offset 85 of a data resource; the table stays black when the
// resource is missing or too short to hold them.
void ReadPaletteResource(BYTE *palette, const char *name) {
    constexpr DWORD offset = 85;
    HRSRC found = FindResourceA(nullptr, name, RT_RCDATA);  // the program's own module
    if (!found || SizeofResource(nullptr, found) < offset + 768) return;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const BYTE *bytes = loaded ? (const BYTE *)LockResource(loaded) : nullptr;
    if (bytes) std::memcpy(palette, bytes + offset, 768);
}

}  // namespace

int GetDefaultPalette(BYTE *palette, int *bits, int kind) {
    int depth = 8, count = 256;
    switch (kind) {
    case 0: depth = 1, count = 2; break;
    case 1: depth = 4, count = 16; break;
    case 2: depth = 5, count = 32; break;
    case 3: depth = 6, count = 64; break;
    case 4: depth = 7, count = 128; break;
    case 5: count = 216; break;
    default: break;
    }
    if (bits) *bits = depth;
    if (!palette) return count;
    std::memset(palette, 0, 768);
    switch (kind) {
    case 0: SetEntry(palette, 1, 255, 255, 255); break;
    case 1: std::memcpy(palette, vga, sizeof vga); break;
    case 2: FillRamps(palette, ramp4, 4, ramp4, 4, ramp2, 2); break;
    case 3: FillRamps(palette, ramp4, 4, ramp4, 4, ramp4, 4); break;
    case 4: FillRamps(palette, ramp4, 4, ramp8, 8, ramp4, 4); break;
    case 5: ReadPaletteResource(palette, "Palette216"); break;
    case 7: ReadPaletteResource(palette, "Palette256G"); break;
    case 8:
        for (int i = 0; i < 256; ++i) SetEntry(palette, i, BYTE(i), BYTE(i), BYTE(i));
        break;
    default: FillRamps(palette, ramp8, 8, ramp8, 8, ramp4, 4); break;
    }
    return count;
}

int RealizeWindowPalette(HDC dc, PALSTATE *state, const BYTE *palette, int count) {
    *state = PALSTATE{};
    // Deeper pictures pass their 2^bits colours unchanged: nothing to select.
    if (count > 256 || count < 0) return 1;
    if (count > 16)
        count = 256;
    else if (count >= 2)
        count = 16;
    LOGPALETTE *logpalette =
        (LOGPALETTE *)std::calloc(1, sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (count > 0 ? count - 1 : 0));
    if (!logpalette) return 0;
    logpalette->palVersion = 0x300;
    logpalette->palNumEntries = WORD(count);
    for (int i = 0; i < count; ++i) {
        logpalette->palPalEntry[i].peRed = palette[3 * i];
        logpalette->palPalEntry[i].peGreen = palette[3 * i + 1];
        logpalette->palPalEntry[i].peBlue = palette[3 * i + 2];
    }
    state->logpalette = logpalette;
    state->palette = CreatePalette(logpalette);
    // A palette GDI refuses (no entries) is simply not selected.
    if (state->palette) {
        state->oldpalette = SelectPalette(dc, state->palette, FALSE);
        RealizePalette(dc);
    }
    return 1;
}

void UnrealizeWindowPalette(HDC dc, PALSTATE *state) {
    if (dc && state->oldpalette) SelectPalette(dc, state->oldpalette, FALSE);
    if (state->palette) DeleteObject(state->palette);
    std::free(state->logpalette);
    *state = PALSTATE{};
}
