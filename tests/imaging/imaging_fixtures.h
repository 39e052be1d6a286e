// Helpers of the imaging tests: owned bitmaps, hand-made headers, the display
// palette, and canvases whose pixels the tests read back.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "imaging/dib.h"
#include "imaging/palette.h"

namespace imaging_fixtures {

// A packed bitmap handle freed when the object goes.
class Dib {
public:
    explicit Dib(HGLOBAL handle = 0) : handle_(handle) {}
    ~Dib() {
        if (handle_) GlobalFree(handle_);
    }
    Dib(const Dib &) = delete;
    Dib &operator=(const Dib &) = delete;
    Dib(Dib &&other) : handle_(other.handle_) { other.handle_ = 0; }
    HGLOBAL get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    HGLOBAL handle_;
};

// A lock held for the object's life.
class Locked {
public:
    explicit Locked(HGLOBAL handle) : handle_(handle), data_(handle ? (BYTE *)GlobalLock(handle) : nullptr) {}
    ~Locked() {
        if (data_) GlobalUnlock(handle_);
    }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;
    BYTE *get() const { return data_; }
    BITMAPINFOHEADER *header() const { return (BITMAPINFOHEADER *)data_; }
    RGBQUAD *table() const { return (RGBQUAD *)(data_ + header()->biSize); }

private:
    HGLOBAL handle_;
    BYTE *data_;
};

inline std::vector<BYTE> Palette(int kind) {
    std::vector<BYTE> palette(768);
    GetDefaultPalette(palette.data(), nullptr, kind);
    return palette;
}

// A movable block holding exactly these bytes.
inline HGLOBAL BlockOf(const void *bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (void *p = GlobalLock(block)) {
        std::memcpy(p, bytes, size);
        GlobalUnlock(block);
    }
    return block;
}

// The bytes of a block.
inline std::vector<BYTE> BytesOf(HGLOBAL block) {
    std::vector<BYTE> bytes(GlobalSize(block));
    Locked locked(block);
    if (locked.get()) std::memcpy(bytes.data(), locked.get(), bytes.size());
    return bytes;
}

// A raw header with the given fields, followed by `extra` zero bytes.
inline std::vector<BYTE> RawDib(LONG width, LONG height, WORD bits, size_t extra, DWORD compression = BI_RGB,
                                DWORD size = sizeof(BITMAPINFOHEADER)) {
    std::vector<BYTE> bytes(sizeof(BITMAPINFOHEADER) + extra);
    BITMAPINFOHEADER header = {};
    header.biSize = size;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = compression;
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

// A bitmap of any depth 1 to 32 made by hand (CreateDib makes only 1, 4, 8
// and 24), zeroed, with the colour table it needs.
inline HGLOBAL HandMadeDib(int width, int height, WORD bits) {
    const size_t colours = bits <= 8 ? size_t(1) << bits : 0;
    const size_t row = (size_t(width) * bits + 31) / 32 * 4;
    std::vector<BYTE> bytes = RawDib(width, height, bits, 4 * colours + row * height);
    return BlockOf(bytes.data(), bytes.size());
}

// Every stored byte of a block from `from` on set to `value`.
inline void FillBytes(HGLOBAL block, SIZE_T from, BYTE value) {
    Locked locked(block);
    const SIZE_T size = GlobalSize(block);
    if (locked.get() && size > from) std::memset(locked.get() + from, value, size - from);
}

// Every pixel of a locked bitmap set to `value`.
inline void FillDib(HGLOBAL dib, long value) {
    Locked locked(dib);
    for (int y = 0; y < locked.header()->biHeight; ++y)
        for (int x = 0; x < locked.header()->biWidth; ++x) PutDibPixel(locked.get(), x, y, value);
}

// A memory context with a top-down 32-bit DIB section, filled with `fill`.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(10, 20, 30)) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, (void **)&bits_, nullptr, 0);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    HDC dc() const { return dc_; }
    void Fill(COLORREF colour) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
    }
    // The pixel as a COLORREF.
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        const DWORD p = bits_[y * width_ + x];
        return RGB(GetBValue(p), GetGValue(p), GetRValue(p));
    }
    void SetPixelAt(int x, int y, COLORREF colour) {
        GdiFlush();
        bits_[y * width_ + x] = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD *bits_ = nullptr;
};

// The colour of pixel (x, y) of a device-dependent bitmap.
inline COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colour;
}

inline SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace imaging_fixtures
