// One frame of an animation: finding it in the data and drawing it, composed
// off-screen from what the window shows now, so a frame never flickers.
#include <cstring>
#include <initializer_list>

#include "animation/animation.h"
#include "applet/objects.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/palette.h"

namespace {

// A bitmap selected into a memory DC of its own for the length of a frame.
class SelectedBitmap {
public:
    SelectedBitmap(HDC like, HBITMAP bitmap) : dc_(bitmap ? CreateCompatibleDC(like) : nullptr) {
        if (dc_) old_ = SelectObject(dc_, bitmap);
    }
    ~SelectedBitmap() {
        if (!dc_) return;
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    SelectedBitmap(const SelectedBitmap &) = delete;
    SelectedBitmap &operator=(const SelectedBitmap &) = delete;
    operator HDC() const { return dc_; }
    bool ok() const { return dc_ && old_ && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

HBITMAP DeviceBitmap(HDC dc, const void *dib, const DIBLAYOUT &layout) {
    return CreateDIBitmap(dc, (const BITMAPINFOHEADER *)dib, CBM_INIT, (const BYTE *)dib + layout.pixels,
                          (const BITMAPINFO *)dib, DIB_RGB_COLORS);
}

// The bitmaps one frame is composed from; all released together.
struct CellBitmaps {
    HBITMAP frame = nullptr, mask = nullptr, work = nullptr, mono = nullptr;
    ~CellBitmaps() {
        for (HBITMAP b : {frame, mask, work, mono})
            if (b) DeleteObject(b);
    }
    bool ok() const { return frame && mask && work && mono; }
};

// Composes the frame on `work` (the window's area as shown now) and copies
// it to the window in one transfer.
int Compose(HDC dc, const CellBitmaps &b, const DIBLAYOUT &layout, int x, int y, const RECT *client,
            const RECT *lastrect, unsigned long flags, HBITMAP background, HBITMAP underlay) {
    const int w = layout.width, h = layout.height;
    SelectedBitmap frame(dc, b.frame), mask(dc, b.mask), work(dc, b.work), mono(dc, b.mono);
    SelectedBitmap back(dc, background), under(dc, underlay);
    if (!frame.ok() || !mask.ok() || !work.ok() || !mono.ok()) return 0;
    if (under.ok()) BitBlt(work, 0, 0, RectWidth(client), RectDepth(client), under, 0, 0, SRCCOPY);
    if ((flags & ANIMFRAME_RESTORE) && !IsRectEmpty(lastrect) && back.ok())
        BitBlt(work, lastrect->left, lastrect->top, RectWidth(lastrect), RectDepth(lastrect), back, lastrect->left,
               lastrect->top, SRCCOPY);
    if (flags & ANIMFRAME_TRANSPARENT) {
        // Colour-to-mono and mono-to-colour copies map white to the
        // background colour and black to the text colour.
        for (HDC d : {(HDC)frame, (HDC)mask, (HDC)work, (HDC)mono}) {
            SetBkColor(d, RGB(255, 255, 255));
            SetTextColor(d, RGB(0, 0, 0));
        }
        BitBlt(mono, 0, 0, w, h, mask, 0, 0, NOTSRCCOPY);   // white where transparent
        BitBlt(frame, 0, 0, w, h, mask, 0, 0, SRCAND);      // transparent pixels black
        BitBlt(work, x, y, w, h, mono, 0, 0, SRCAND);       // opaque pixels black
        BitBlt(work, x, y, w, h, frame, 0, 0, SRCINVERT);
    } else {
        BitBlt(work, client->left + x, client->top + y, w, h, frame, 0, 0, SRCCOPY);
    }
    BitBlt(dc, client->left, client->top, RectWidth(client), RectDepth(client), work, 0, 0, SRCCOPY);
    return 1;
}

bool IsDrawableDepth(unsigned bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

}  // namespace

BITMAPINFOHEADER *FindAnimationImage(ANIMSTATE *state, unsigned long index, OBJECTANIMFRAME *out) {
    std::memset(out, 0, sizeof *out);
    const unsigned long long table = ANIMHEADER_SIZE + (unsigned long long)index * OBJECTANIMFRAME_SIZE;
    if (table + OBJECTANIMFRAME_SIZE > state->datasize) return nullptr;
    char *data = AnimData(state);
    std::memcpy(out, data + table, OBJECTANIMFRAME_SIZE);
    if (out->offset >= state->datasize) return nullptr;
    char *dib = data + out->offset;
    DIBLAYOUT layout;
    if (!GetDibLayout(dib, state->datasize - out->offset, &layout) || !IsDrawableDepth(layout.bits)) return nullptr;
    return (BITMAPINFOHEADER *)dib;
}

int DrawAnimationCell(HWND, HDC dc, BITMAPINFOHEADER *dib, int x, int y, RECT *client, RECT *lastrect,
                      unsigned long flags, unsigned long transparent, HBITMAP background, HBITMAP underlay) {
    DIBLAYOUT layout;
    if (!dib || !GetDibLayout(dib, LockedDibBytes(dib), &layout)) return 0;
    BYTE palette[768];
    const int colours = GetDibPalette(dib, palette);
    PALSTATE realised = {};
    if (!RealizeWindowPalette(dc, &realised, palette, colours)) return 0;
    int drawn = 0;
    if (HGLOBAL maskHandle = MakeMask(dib, layout, long(transparent))) {
        if (void *mask = GlobalLock(maskHandle)) {
            DIBLAYOUT maskLayout;
            GetDibLayout(mask, GlobalSize(maskHandle), &maskLayout);
            CellBitmaps b;
            b.frame = DeviceBitmap(dc, dib, layout);
            b.mask = DeviceBitmap(dc, mask, maskLayout);
            b.work = CreateCompatibleBitmap(dc, RectWidth(client), RectDepth(client));
            b.mono = CreateBitmap(layout.width, layout.height, 1, 1, nullptr);
            if (b.ok()) drawn = Compose(dc, b, layout, x, y, client, lastrect, flags, background, underlay);
            GlobalUnlock(maskHandle);
        }
        GlobalFree(maskHandle);
    }
    UnrealizeWindowPalette(dc, &realised);
    return drawn;
}
