// Scaling of 24-bit pictures, one axis after the other in fixed point.
//
// Each target row is a weighted sum of whole source rows (a plain loop over
// bytes the compiler vectorises), kept at 16 bits, and then each target
// pixel a weighted sum of neighbouring pixels of that row. Weights are
// 12-bit fractions summing exactly to 4096 for every target pixel, so a
// flat picture stays exactly flat and a 1:1 scale copies.
#include "imaging/scale.h"

#include <cstdint>
#include <cstdlib>

#include "imaging/buffer.h"
#include "imaging/dib.h"

namespace {

constexpr int kWeightBits = 12;
constexpr int kOne = 1 << kWeightBits;
constexpr int kRowShift = 4;  // a row sum is kept at 8 + 12 - 4 = 16 bits

// Along one axis: for target pixel i the source pixels first[i] ..
// first[i] + count[i] - 1 with weights weight[i * span ..].
struct Taps {
    Taps(int sl, int dl);
    bool made() const { return first.get() && count.get() && weight.get(); }
    int span;
    Buffer<int> first, count;
    Buffer<uint16_t> weight;
};

// Shrinking: target pixel i covers source [i * sl / dl, (i + 1) * sl / dl),
// and each source pixel counts by how much of it lies inside. Measured in
// units of 1 / dl of a source pixel, so the overlaps are exact integers.
void AreaTaps(int sl, int dl, Taps *taps) {
    for (int i = 0; i < dl; ++i) {
        const long long lo = (long long)i * sl, hi = lo + sl;
        const int first = int(lo / dl), last = int((hi - 1) / dl);
        uint16_t *w = &taps->weight[size_t(i) * size_t(taps->span)];
        // Each weight is the rounded share up to its pixel's end less the
        // rounded share up to its start: they add up to exactly kOne.
        auto share = [&](long long upto) { return ((upto - lo) * kOne + sl / 2) / sl; };
        for (int j = first; j <= last; ++j) {
            const long long from = lo > (long long)j * dl ? lo : (long long)j * dl;
            const long long to = hi < (long long)(j + 1) * dl ? hi : (long long)(j + 1) * dl;
            w[j - first] = uint16_t(share(to) - share(from));
        }
        taps->first[size_t(i)] = first;
        taps->count[size_t(i)] = last - first + 1;
    }
}

// Growing (or keeping the size): the centre of target pixel i falls at
// source position (i + 0.5) * sl / dl - 0.5, between two source pixels;
// outside the outermost centres the edge pixel is repeated.
void LinearTaps(int sl, int dl, Taps *taps) {
    for (int i = 0; i < dl; ++i) {
        // The position times 2 * dl, so the fraction is exact.
        const long long at = (2LL * i + 1) * sl - dl, whole = 2LL * dl;
        uint16_t *w = &taps->weight[size_t(i) * 2];
        int first = 0, count = 1;
        w[0] = kOne;
        if (at > 0) {
            first = int(at / whole);
            const long long fraction = at % whole;
            if (first < sl - 1 && fraction != 0) {
                w[1] = uint16_t((fraction * kOne + dl) / whole);
                w[0] = uint16_t(kOne - w[1]);
                count = 2;
            }
            if (first > sl - 1) first = sl - 1;
        }
        taps->first[size_t(i)] = first;
        taps->count[size_t(i)] = count;
    }
}

Taps::Taps(int sl, int dl)
    : span(sl > dl ? (sl + dl - 1) / dl + 1 : 2), first(size_t(dl)), count(size_t(dl)),
      weight(size_t(dl) * size_t(span)) {
    if (!made()) return;
    if (sl > dl) AreaTaps(sl, dl, this);
    else LinearTaps(sl, dl, this);
}

// sum[k] (+)= row[k] * w over one row of bytes: the vectorised inner loop.
void AddRow(uint32_t *sum, const BYTE *row, size_t n, uint32_t w, bool first) {
    if (first) {
        for (size_t k = 0; k < n; ++k) sum[k] = row[k] * w;
    } else {
        for (size_t k = 0; k < n; ++k) sum[k] += row[k] * w;
    }
}

void NarrowRow(uint16_t *mid, const uint32_t *sum, size_t n) {
    for (size_t k = 0; k < n; ++k) mid[k] = uint16_t((sum[k] + (1u << (kRowShift - 1))) >> kRowShift);
}

void ScaleRow(const uint16_t *mid, const Taps &taps, BYTE *out, int dw) {
    constexpr int shift = kWeightBits + kWeightBits - kRowShift;
    for (int i = 0; i < dw; ++i) {
        const uint16_t *in = mid + size_t(taps.first[size_t(i)]) * 3;
        const uint16_t *w = &taps.weight[size_t(i) * size_t(taps.span)];
        uint32_t b = 0, g = 0, r = 0;
        for (int t = 0, n = taps.count[size_t(i)]; t < n; ++t, in += 3) {
            b += in[0] * uint32_t(w[t]);
            g += in[1] * uint32_t(w[t]);
            r += in[2] * uint32_t(w[t]);
        }
        out[3 * i] = BYTE((b + (1u << (shift - 1))) >> shift);
        out[3 * i + 1] = BYTE((g + (1u << (shift - 1))) >> shift);
        out[3 * i + 2] = BYTE((r + (1u << (shift - 1))) >> shift);
    }
}

// The part of a bitmap of another depth as 24-bit rows, top row first.
bool WidenPart(const void *dib, const DIBLAYOUT &layout, const RECT &part, BYTE *out) {
    BYTE palette[768];
    GetDibPalette(dib, palette);
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x, out += 3) {
            long value = GetDibPixel(dib, x, y);
            if (value < 0) return false;
            if (layout.bits <= 8) value = RGB(palette[3 * value], palette[3 * value + 1], palette[3 * value + 2]);
            out[0] = GetBValue(value), out[1] = GetGValue(value), out[2] = GetRValue(value);
        }
    return true;
}

HGLOBAL ScaleLocked(const void *dib, SIZE_T available, const RECT *whole, int width, int height) {
    DIBLAYOUT layout;
    if (!GetDibLayout(dib, available, &layout)) return 0;
    const RECT part = whole ? *whole : RECT{0, 0, layout.width, layout.height};
    if (part.left < 0 || part.top < 0 || part.right > layout.width || part.bottom > layout.height ||
        part.right <= part.left || part.bottom <= part.top)
        return 0;
    const bool wide = layout.bits == 24;
    const size_t partwide = size_t(part.right - part.left);
    Buffer<BYTE> widened(wide ? 0 : partwide * size_t(part.bottom - part.top) * 3);
    const BYTE *top = wide ? DibRow(dib, layout, part.top) + size_t(part.left) * 3 : widened.get();
    const ptrdiff_t stride = wide ? -ptrdiff_t(layout.rowbytes) : ptrdiff_t(partwide * 3);
    if (!widened.get() || (!wide && !WidenPart(dib, layout, part, widened.get()))) return 0;
    HGLOBAL result = CreateDib(width, height, nullptr, 24);
    void *target = result ? GlobalLock(result) : nullptr;
    DIBLAYOUT out;
    const bool made = target && GetDibLayout(target, GlobalSize(result), &out) &&
                      ScalePixels(top, stride, part.right - part.left, part.bottom - part.top, DibRow(target, out, 0),
                                  -ptrdiff_t(out.rowbytes), width, height);
    if (target) GlobalUnlock(result);
    if (!made && result) {
        GlobalFree(result);
        result = 0;
    }
    return result;
}

// Copies top-down RGB rows into the bitmap's bottom-up BGR rows.
void CopyRgbRows(const BYTE *rgb, int width, const DIBLAYOUT &layout, void *dib) {
    for (int y = 0; y < layout.height; ++y) {
        const BYTE *in = rgb + size_t(y) * size_t(width) * 3;
        BYTE *out = DibRow(dib, layout, y);
        for (int x = 0; x < layout.width; ++x, in += 3, out += 3) out[0] = in[2], out[1] = in[1], out[2] = in[0];
    }
}

// Scales the part `part` of top-down RGB rows straight into the bitmap's
// bottom-up rows, then turns each RGB triple there into BGR; false when
// memory runs out.
bool ScaleRgbRows(const BYTE *rgb, int width, const RECT &part, const DIBLAYOUT &layout, void *dib) {
    const BYTE *first = rgb + (size_t(part.top) * size_t(width) + size_t(part.left)) * 3;
    if (!ScalePixels(first, ptrdiff_t(width) * 3, part.right - part.left, part.bottom - part.top,
                     DibRow(dib, layout, 0), -ptrdiff_t(layout.rowbytes), layout.width, layout.height))
        return false;
    for (int y = 0; y < layout.height; ++y) {
        BYTE *row = DibRow(dib, layout, y);
        for (int x = 0; x < layout.width; ++x, row += 3) {
            const BYTE red = row[0];
            row[0] = row[2], row[2] = red;
        }
    }
    return true;
}

long long RoundedRatio(long long a, long long b, long long c) { return (a * b + c / 2) / c; }

}  // namespace

int ScalePixels(const BYTE *source, ptrdiff_t sourcestride, int sw, int sh, BYTE *target, ptrdiff_t targetstride,
                int dw, int dh) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || !source || !target) return 0;
    const Taps across(sw, dw), down(sh, dh);
    const size_t n = size_t(sw) * 3;
    Buffer<uint32_t> sum(n);
    Buffer<uint16_t> mid(n);
    if (!across.made() || !down.made() || !sum.get() || !mid.get()) return 0;
    for (int y = 0; y < dh; ++y) {
        const uint16_t *w = &down.weight[size_t(y) * size_t(down.span)];
        const int first = down.first[size_t(y)];
        for (int t = 0; t < down.count[size_t(y)]; ++t)
            AddRow(sum.get(), source + ptrdiff_t(first + t) * sourcestride, n, w[t], t == 0);
        NarrowRow(mid.get(), sum.get(), n);
        ScaleRow(mid.get(), across, target + ptrdiff_t(y) * targetstride, dw);
    }
    return 1;
}

HGLOBAL DibFromRgbRows(const BYTE *rgb, int width, int height, DWORD fit, int screenwide, int screendeep) {
    RECT part = {0, 0, width, height};
    SIZE size = {width, height};
    if (!rgb || width <= 0 || height <= 0 ||
        (fit && !FitPicture(width, height, screenwide, screendeep, fit, &part, &size)))
        return 0;
    HGLOBAL dib = CreateDib(int(size.cx), int(size.cy), nullptr, 24);
    void *pixels = dib ? GlobalLock(dib) : nullptr;
    DIBLAYOUT layout;
    bool made = pixels && GetDibLayout(pixels, GlobalSize(dib), &layout);
    if (made && fit) made = ScaleRgbRows(rgb, width, part, layout, pixels);
    else if (made) CopyRgbRows(rgb, width, layout, pixels);
    if (pixels) GlobalUnlock(dib);
    if (!made && dib) {
        GlobalFree(dib);
        dib = 0;
    }
    return dib;
}

HGLOBAL ScaleDib(HGLOBAL dib, const RECT *part, int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    const void *source = dib ? GlobalLock(dib) : nullptr;
    if (!source) return 0;
    HGLOBAL result = ScaleLocked(source, GlobalSize(dib), part, width, height);
    GlobalUnlock(dib);
    return result;
}

int FitPicture(int w, int h, int screenwide, int screendeep, DWORD fit, RECT *part, SIZE *size) {
    if (w <= 0 || h <= 0 || screenwide <= 0 || screendeep <= 0 || (fit != SCRF_FIT && fit != SCRF_FILL)) return 0;
    *part = RECT{0, 0, w, h};
    // Whether the picture is wider than the screen for its height.
    const bool wider = (long long)w * screendeep > (long long)h * screenwide;
    if (fit == SCRF_FIT) {
        size->cx = wider ? screenwide : LONG(RoundedRatio(w, screendeep, h));
        size->cy = wider ? LONG(RoundedRatio(h, screenwide, w)) : screendeep;
        if (size->cx < 1) size->cx = 1;
        if (size->cy < 1) size->cy = 1;
        return 1;
    }
    *size = SIZE{screenwide, screendeep};
    if (wider) {
        long long shown = RoundedRatio(h, screenwide, screendeep);
        if (shown < 1) shown = 1;
        part->left = LONG((w - shown) / 2), part->right = LONG(part->left + shown);
    } else {
        long long shown = RoundedRatio(w, screendeep, screenwide);
        if (shown < 1) shown = 1;
        part->top = LONG((h - shown) / 2), part->bottom = LONG(part->top + shown);
    }
    return 1;
}
