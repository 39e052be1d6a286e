// Plain and transparent blits of packed bitmaps, cropping, screen capture and
// copying of bitmaps.
#include "imaging/drawing.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "imaging/dib.h"
#include "imaging/palette.h"

namespace {

// A clean header and colour table for GDI, made from a checked bitmap, so
// that GDI never reads fields this program does not keep (a colour count
// beyond the table, extended headers).
struct DIBINFO {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

void MakeDibInfo(const void *dib, const DIBLAYOUT &layout, DIBINFO *info) {
    std::memset(info, 0, sizeof *info);
    info->header.biSize = sizeof(BITMAPINFOHEADER);
    info->header.biWidth = layout.width;
    info->header.biHeight = layout.height;
    info->header.biPlanes = 1;
    info->header.biBitCount = WORD(layout.bits);
    info->header.biCompression = BI_RGB;
    info->header.biSizeImage = DWORD(layout.rowbytes * SIZE_T(layout.height));
    info->header.biClrUsed = layout.colours <= 256 ? layout.colours : 256;
    std::memcpy(info->colours, (const BYTE *)dib + layout.table, info->header.biClrUsed * sizeof(RGBQUAD));
}

// A device-dependent bitmap for `dc` holding the pixels of a checked bitmap.
HBITMAP MakeDeviceBitmap(HDC dc, const void *dib, const DIBLAYOUT &layout) {
    DIBINFO info;
    MakeDibInfo(dib, layout, &info);
    return CreateDIBitmap(dc, &info.header, CBM_INIT, (const BYTE *)dib + layout.pixels, (BITMAPINFO *)&info,
                          DIB_RGB_COLORS);
}

// The logical palette of a bitmap's colour table, selected and realised in
// `dc`; the palette to delete afterwards, or null.
HPALETTE SelectDibPalette(HDC dc, const void *dib, const DIBLAYOUT &layout, HPALETTE *old) {
    *old = nullptr;
    LOGPALETTE *record = (LOGPALETTE *)std::calloc(1, sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 255);
    if (!record) return nullptr;
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)dib + layout.table);
    record->palVersion = 0x300;
    record->palNumEntries = WORD(layout.colours);
    for (unsigned i = 0; i < layout.colours; ++i) {
        record->palPalEntry[i].peRed = table[i].rgbRed;
        record->palPalEntry[i].peGreen = table[i].rgbGreen;
        record->palPalEntry[i].peBlue = table[i].rgbBlue;
    }
    HPALETTE palette = CreatePalette(record);
    std::free(record);
    if (palette) {
        *old = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    return palette;
}

// The pixel value that is left out: the first palette index of `colour`
// (-1, none, when the table lacks it), or the colour itself above 8 bits.
long TransparentKey(const void *dib, unsigned bits, COLORREF colour) {
    if (bits > 8) return long(colour);
    BYTE palette[768];
    const int count = GetDibPalette(dib, palette);
    for (int i = 0; i < count; ++i)
        if (palette[3 * i] == GetRValue(colour) && palette[3 * i + 1] == GetGValue(colour) &&
            palette[3 * i + 2] == GetBValue(colour))
            return i;
    return -1;
}

// The contexts and bitmaps of one transparent blit; Release puts back what
// was selected and deletes everything that was made.
struct TRANSPARENCY {
    HDC imagedc, maskdc, inversedc;
    HBITMAP image, mask, inverse;
    HGDIOBJ oldimage, oldmask, oldinverse;
};

void ReleaseTransparency(TRANSPARENCY *t) {
    if (t->oldimage) SelectObject(t->imagedc, t->oldimage);
    if (t->oldmask) SelectObject(t->maskdc, t->oldmask);
    if (t->oldinverse) SelectObject(t->inversedc, t->oldinverse);
    for (HDC dc : {t->imagedc, t->maskdc, t->inversedc})
        if (dc) DeleteDC(dc);
    for (HBITMAP bitmap : {t->image, t->mask, t->inverse})
        if (bitmap) DeleteObject(bitmap);
}

// Makes the three contexts and bitmaps; false when any is not available.
bool PrepareTransparency(HDC dc, const void *dib, const DIBLAYOUT &layout, HGLOBAL mask, TRANSPARENCY *t) {
    const int width = layout.width, height = layout.height;
    t->imagedc = CreateCompatibleDC(dc);
    t->maskdc = CreateCompatibleDC(dc);
    t->inversedc = CreateCompatibleDC(dc);
    if (!t->imagedc || !t->maskdc || !t->inversedc) return false;
    t->image = MakeDeviceBitmap(dc, dib, layout);
    // Made on the fresh image context, whose bitmap is monochrome.
    const void *maskbits = GlobalLock(mask);
    if (maskbits) {
        DIBLAYOUT masklayout;
        if (GetDibLayout(maskbits, GlobalSize(mask), &masklayout))
            t->mask = MakeDeviceBitmap(t->imagedc, maskbits, masklayout);
        GlobalUnlock(mask);
    }
    t->inverse = CreateBitmap(width, height, 1, 1, nullptr);
    if (!t->image || !t->mask || !t->inverse) return false;
    t->oldmask = SelectObject(t->maskdc, t->mask);
    t->oldinverse = SelectObject(t->inversedc, t->inverse);
    t->oldimage = SelectObject(t->imagedc, t->image);
    return t->oldmask && t->oldinverse && t->oldimage;
}

// `value` limited to 0 .. `limit`.
int ClampToRange(long long value, long long limit) { return int(value < 0 ? 0 : value > limit ? limit : value); }

}  // namespace

BOOL BlitBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, DWORD rop) {
    HDC memory = bitmap ? CreateCompatibleDC(dc) : nullptr;
    if (!memory) return FALSE;
    BOOL done = FALSE;
    if (HGDIOBJ old = SelectObject(memory, bitmap)) {
        done = BitBlt(dc, x, y, width, height, memory, 0, 0, rop);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    return done;
}

void DrawBitmap(HDC dc, int x, int y, HGLOBAL dib, DWORD rop) {
    const void *start = dib ? GlobalLock(dib) : nullptr;
    if (!start) return;
    DIBLAYOUT layout;
    if (GetDibLayout(start, GlobalSize(dib), &layout)) {
        HPALETTE old = nullptr;
        HPALETTE palette = layout.bits <= 8 ? SelectDibPalette(dc, start, layout, &old) : nullptr;
        HBITMAP bitmap = MakeDeviceBitmap(dc, start, layout);
        if (bitmap) {
            BlitBitmap(dc, x, y, layout.width, layout.height, bitmap, rop);
            DeleteObject(bitmap);
        }
        if (old) SelectPalette(dc, old, FALSE);
        if (palette) DeleteObject(palette);
    }
    GlobalUnlock(dib);
}

int ShowTransparentDib(HDC dc, void *, const void *dib, int x, int y, COLORREF colour) {
    DIBLAYOUT layout;
    if (!dib || !GetDibLayout(dib, LockedDibBytes(dib), &layout)) return 0;
    HGLOBAL mask = MakeMask(dib, layout, TransparentKey(dib, layout.bits, colour));
    if (!mask) return 0;
    TRANSPARENCY t = {};
    const bool ready = PrepareTransparency(dc, dib, layout, mask, &t);
    if (ready) {
        const int width = layout.width, height = layout.height;
        BitBlt(t.inversedc, 0, 0, width, height, t.maskdc, 0, 0, NOTSRCCOPY);
        BitBlt(t.imagedc, 0, 0, width, height, t.maskdc, 0, 0, SRCAND);
        // Monochrome sources take the destination's text colour for 0 and
        // background colour for 1: black and white for the mask to work,
        // whatever the caller has set on its context.
        const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF background = SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, x, y, width, height, t.inversedc, 0, 0, SRCAND);
        BitBlt(dc, x, y, width, height, t.imagedc, 0, 0, SRCINVERT);
        SetTextColor(dc, text);
        SetBkColor(dc, background);
    }
    ReleaseTransparency(&t);
    GlobalFree(mask);
    return ready ? 1 : 0;
}

HGLOBAL CropImage(HGLOBAL dib, const RECT *rect) {
    const void *source = dib && rect ? GlobalLock(dib) : nullptr;
    if (!source) return 0;
    HGLOBAL result = 0;
    DIBLAYOUT layout;
    const long long width = (long long)rect->right - rect->left, height = (long long)rect->bottom - rect->top;
    if (GetDibLayout(source, GlobalSize(dib), &layout) && width > 0 && height > 0 && width <= INT_MAX &&
        height <= INT_MAX) {
        BYTE palette[768];
        GetDibPalette(source, palette);
        result = CreateDib(int(width), int(height), palette, layout.bits);
        void *target = result ? GlobalLock(result) : nullptr;
        if (target) {
            // Only the columns and rows that lie inside the source are read;
            // the others would read -1 and stay 0.
            const long long left = rect->left, top = rect->top;
            const int firstx = ClampToRange(-left, width), lastx = ClampToRange(layout.width - left, width);
            const int firsty = ClampToRange(-top, height), lasty = ClampToRange(layout.height - top, height);
            for (int i = firsty; i < lasty; ++i)
                for (int j = firstx; j < lastx; ++j) {
                    const long value = GetDibPixel(source, int(left + j), int(top + i));
                    if (value != -1) PutDibPixel(target, j, i, value);
                }
            GlobalUnlock(result);
        } else if (result) {
            GlobalFree(result);
            result = 0;
        }
    }
    GlobalUnlock(dib);
    return result;
}

RECT DeviceArea(HDC dc, const RECT &rect) {
    RECT area = {rect.left > 0 ? rect.left : 0, rect.top > 0 ? rect.top : 0, GetDeviceCaps(dc, HORZRES),
                 GetDeviceCaps(dc, VERTRES)};
    if (rect.right < area.right) area.right = rect.right;
    if (rect.bottom < area.bottom) area.bottom = rect.bottom;
    if (area.right <= area.left || area.bottom <= area.top) SetRectEmpty(&area);
    return area;
}

HBITMAP CopyScreenToBitmap(HDC dc, const RECT *rect) {
    if (!rect || IsRectEmpty(rect)) return nullptr;
    const RECT area = DeviceArea(dc, *rect);
    // Nothing of the rectangle on the device: no bitmap.
    if (IsRectEmpty(&area)) return nullptr;
    const int left = area.left, top = area.top, right = area.right, bottom = area.bottom;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, right - left, bottom - top);
    HGDIOBJ old = bitmap ? SelectObject(memory, bitmap) : nullptr;
    if (old) {
        BitBlt(memory, 0, 0, right - left, bottom - top, dc, left, top, SRCCOPY);
        SelectObject(memory, old);
    } else if (bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    DeleteDC(memory);
    return bitmap;
}

HGLOBAL CopyBitmapToHandle(const void *dib) {
    DIBLAYOUT layout;
    if (!dib || !GetDibLayout(dib, LockedDibBytes(dib), &layout)) return 0;
    if (layout.bits != 1 && layout.bits != 4 && layout.bits != 8 && layout.bits != 24) return 0;
    BYTE palette[768];
    GetDibPalette(dib, palette);
    HGLOBAL copy = CreateDib(layout.width, layout.height, palette, layout.bits);
    BYTE *target = copy ? (BYTE *)GlobalLock(copy) : nullptr;
    if (!target) {
        if (copy) GlobalFree(copy);
        return 0;
    }
    // Same width and depth: the rows have the same size in both.
    std::memcpy(target + sizeof(BITMAPINFOHEADER) + 4 * SIZE_T(layout.colours), (const BYTE *)dib + layout.pixels,
                layout.rowbytes * SIZE_T(layout.height));
    GlobalUnlock(copy);
    return copy;
}

HGLOBAL MakeMask(const void *dib, const DIBLAYOUT &layout, long key) {
    BYTE mono[768];
    GetDefaultPalette(mono, nullptr, PALETTE_MONO);
    HGLOBAL mask = CreateDib(layout.width, layout.height, mono, 1);
    void *bits = mask ? GlobalLock(mask) : nullptr;
    if (!bits) {
        if (mask) GlobalFree(mask);
        return 0;
    }
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x) {
            const long pixel = GetDibPixel(dib, x, y);
            PutDibPixel(bits, x, y, pixel != -1 && pixel == key ? 0 : 1);
        }
    GlobalUnlock(mask);
    return mask;
}
