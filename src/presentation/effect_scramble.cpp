// "Chaos and Order": the picture is shown as a grid of blocks in random
// places, redrawn after every pass of a bubble sort until each block is home.
//
// A step moves every block of the picture, thousands on a large one: one GDI
// call each would cost more than a step may take. So the blocks are copied
// in memory, from a 32-bit copy of the picture into a 32-bit canvas that
// mirrors the screen under the picture, and the canvas goes to the screen in
// one call. The canvas is the status's bitmap; the picture's copy follows
// the order list in its heap block.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/dib.h"
#include "presentation/effect_common.h"

namespace {
// The sort pass's direction, alternating for ever: it carries on from item
// to item, and is shared by every picture on screen (each pass still sorts).
bool upwards = false;

// A top-down 32-bit bitmap of the picture's size.
BITMAPINFO CanvasInfo(const PictureSize &size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.w;
    info.bmiHeader.biHeight = -size.h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

uint32_t *CanvasPixels(const STATUS *status) {
    DIBSECTION section = {};
    if (!status->bitmap || GetObjectA(status->bitmap, sizeof section, &section) != sizeof section) return nullptr;
    return (uint32_t *)section.dsBm.bmBits;
}

// The picture's pixels, 32 bits each, after the order list.
uint32_t *PicturePixels(const STATUS *status) {
    return (uint32_t *)((int *)status->order + status->effects.scramble.count);
}

// The canvas gets the picture, converted by GDI from whatever depth it has;
// the copy is kept; then the canvas takes what the screen shows under it.
bool PrepareCanvas(STATUS *status) {
    const PictureSize &size = status->effects.scramble.size;
    const BITMAPINFO info = CanvasInfo(size);
    void *bits = nullptr;
    status->bitmap = CreateDIBSection(status->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const void *picture = status->bitmap ? GlobalLock(status->picture) : nullptr;
    DIBLAYOUT layout;
    bool ok = picture && GetDibLayout(picture, GlobalSize(status->picture), &layout) &&
              SetDIBits(status->dc, status->bitmap, 0, UINT(size.h), (const BYTE *)picture + layout.pixels,
                        (const BITMAPINFO *)picture, DIB_RGB_COLORS) == size.h;
    if (picture) GlobalUnlock(status->picture);
    HDC memory = ok ? CreateCompatibleDC(status->dc) : nullptr;
    HGDIOBJ old = memory ? SelectObject(memory, status->bitmap) : nullptr;
    if (old) {
        GdiFlush();
        std::memcpy(PicturePixels(status), bits, size_t(size.w) * size_t(size.h) * 4);
        BitBlt(memory, 0, 0, size.w, size.h, status->dc, status->x, status->y, SRCCOPY);
        SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    return old != nullptr;
}

// order := a random permutation of 0..N-1, drawn without replacement, in a
// block with room for the picture's pixels after it.
bool Shuffle(STATUS *status) {
    const int count = status->effects.scramble.count;
    const PictureSize &size = status->effects.scramble.size;
    const uint64_t bytes = sizeof(int) * uint64_t(count) + 4 * uint64_t(size.w) * uint64_t(size.h);
    int *order = bytes <= MAXDIBBYTES ? (int *)std::malloc(size_t(bytes)) : nullptr;
    int *pool = (int *)std::malloc(sizeof(int) * count);
    if (!order || !pool) {
        std::free(order);
        std::free(pool);
        return false;
    }
    for (int i = 0; i < count; ++i) pool[i] = i;
    SeedRandom();
    for (int j = 0, left = count; j < count; ++j, --left) {
        const int k = std::rand() % left;
        order[j] = pool[k];
        pool[k] = pool[left - 1];
    }
    std::free(pool);
    status->order = order;
    return true;
}

// Copies the w x h area of the picture at (sx, sy) to (x, y) of the canvas,
// both cut at the picture's edges as a blit would cut them.
void CopyArea(const PictureSize &size, uint32_t *canvas, const uint32_t *picture, int x, int y, int w, int h, int sx,
              int sy) {
    w = std::min({w, size.w - x, size.w - sx});
    h = std::min({h, size.h - y, size.h - sy});
    if (w <= 0 || h <= 0 || x < 0 || y < 0) return;
    for (int row = 0; row < h; ++row)
        std::memcpy(canvas + size_t(y + row) * size.w + x, picture + size_t(sy + row) * size.w + sx,
                    size_t(w) * 4);
}

// Draws block i of the picture into the cell named by v = order[i].
void DrawBlock(const SCRAMBLESTATE &s, uint32_t *canvas, const uint32_t *picture, int i, int v) {
    const int sx = (v % s.columns) * s.block, sy = (v / s.columns) * s.block;
    const int ex = (s.gridwide - sx) - std::min(s.block, s.size.w - sx);
    const int ey = (s.griddeep - sy) - std::min(s.block, s.size.h - sy);
    CopyArea(s.size, canvas, picture, s.gridwide - s.block - sx, s.griddeep - s.block - sy,
             std::min(s.block, s.size.w - ex), std::min(s.block, s.size.h - ey), (i % s.columns) * s.block,
             (i / s.columns) * s.block);
}

// One pass of a bubble sort towards descending order; true if it swapped.
bool SortPass(int *order, int count) {
    bool swapped = false;
    auto order2 = [&](int a, int b) {
        if (order[a] < order[b]) {
            std::swap(order[a], order[b]);
            swapped = true;
        }
    };
    if (!upwards)
        for (int i = count - 1; i >= 1; --i) order2(i - 1, i);
    else
        for (int i = 0; i <= count - 2; ++i) order2(i, i + 1);
    upwards = !upwards;
    return swapped;
}
}  // namespace

WORD SetupScramble(STATUS *status) {
    if (status->bitmap) DeleteObject(status->bitmap);
    status->bitmap = nullptr;
    FreeWorkList(status);
    std::free(status->order);
    status->order = nullptr;
    SCRAMBLESTATE &s = status->effects.scramble;
    if (!ReadPictureSize(status, &s.size)) return EFFECT_END;
    s.block = (long long)s.size.w * s.size.h < 65535 ? 8 : 16;
    if (s.block >= s.size.w || s.block >= s.size.h) return EFFECT_END;
    s.gridwide = (s.size.w + s.block - 1) / s.block * s.block;
    s.griddeep = (s.size.h + s.block - 1) / s.block * s.block;
    s.columns = s.gridwide / s.block;
    s.count = s.columns * (s.griddeep / s.block);
    return Shuffle(status) && PrepareCanvas(status) ? EFFECT_NEXTPHASE : EFFECT_END;
}

WORD AppearScramble(STATUS *status) {
    const SCRAMBLESTATE &s = status->effects.scramble;
    int *order = (int *)status->order;
    uint32_t *canvas = CanvasPixels(status);
    if (!order || !canvas) return EFFECT_END;
    GdiFlush();  // GDI is done with the canvas before it is written
    const uint32_t *picture = PicturePixels(status);
    for (int i = 0; i < s.count; ++i) DrawBlock(s, canvas, picture, i, order[i]);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    source.DrawAll(s.size.w, s.size.h);
    if (SortPass(order, s.count)) return 0;
    std::free(status->order);
    status->order = nullptr;
    return EFFECT_NEXTPHASE;
}

WORD WaitScramble(STATUS *status) { return HoldIsOver(status); }

WORD DisappearScramble(STATUS *status) { return ClearWholePicture(status); }

WORD CloseScramble(STATUS *status) { return ReleaseEffect(status); }
