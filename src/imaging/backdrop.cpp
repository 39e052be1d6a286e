// The backdrop is made small and brought up to size: the part of the photo
// that fills the target is area-averaged onto a grid about 64 cells high,
// blurred there by three box passes each way (near-Gaussian, edges
// clamped), and interpolated bilinearly up to the target in fixed point,
// darkened on the way, so it shows neither blocks nor rings. Only the
// pixels the photo leaves are worked out; the photo's own are copied.
#include "imaging/backdrop.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/buffer.h"
#include "imaging/dib.h"
#include "imaging/placement.h"
#include "imaging/scale.h"

namespace {

constexpr int kGridRows = 64;   // cells down the target; cells are square
constexpr int kBlurRadius = 4;  // cells on each side of a box pass
constexpr int kBlurPasses = 3;  // three boxes each way: a Gaussian of about 4.5 cells
constexpr int kBoxWidth = 2 * kBlurRadius + 1;
constexpr int kFraction = 8;  // fraction bits of the grid's values

// Where a target pixel samples the grid along one axis: the first of two
// cells and the weight of the second in 256ths. The pixel's centre falls at
// cell position (i + 0.5) * cells / length - 0.5; outside the outermost
// cells' centres the edge cell alone counts.
struct TAP {
    int index;
    int weight;
};

void MakeTaps(int cells, int length, TAP *taps) {
    const long long whole = 2LL * length;  // positions are counted in 1 / (2 * length) of a cell
    for (int i = 0; i < length; ++i) {
        const long long at = (2LL * i + 1) * cells - length;
        TAP tap = {0, 0};
        if (at > 0) {
            tap.index = int(at / whole);
            tap.weight = int(at % whole * 256 / whole);
            if (tap.index >= cells - 1) tap = {cells - 1, 0};
        }
        taps[i] = tap;
    }
}

// One box pass over the n values v[0], v[step], ...; values past the ends
// count as the end values. `copy` holds n values.
void BoxLine(uint16_t *v, int n, ptrdiff_t step, uint16_t *copy) {
    for (int i = 0; i < n; ++i) copy[i] = v[i * step];
    auto at = [&](int i) {
        const int inside = i >= n ? n - 1 : i;
        return uint32_t(copy[inside < 0 ? 0 : inside]);
    };
    uint32_t sum = 0;
    for (int k = -kBlurRadius; k <= kBlurRadius; ++k) sum += at(k);
    for (int i = 0; i < n; ++i) {
        v[i * step] = uint16_t((sum + kBoxWidth / 2) / kBoxWidth);
        sum = sum - at(i - kBlurRadius) + at(i + kBlurRadius + 1);
    }
}

// The grid of gw x gh BGR cells blurred in place.
void BlurGrid(uint16_t *grid, int gw, int gh, uint16_t *copy) {
    const ptrdiff_t row = ptrdiff_t(gw) * 3;
    for (int pass = 0; pass < kBlurPasses; ++pass) {
        for (int y = 0; y < gh; ++y)
            for (int c = 0; c < 3; ++c) BoxLine(grid + y * row + c, gw, 3, copy);
        for (int x = 0; x < gw; ++x)
            for (int c = 0; c < 3; ++c) BoxLine(grid + x * 3 + c, gh, row, copy);
    }
}

// The side of a grid cell in target pixels: the target's height in about
// kGridRows cells, at least one pixel each.
int CellSize(int th) {
    const int cell = (th + kGridRows / 2) / kGridRows;
    return cell > 1 ? cell : 1;
}

// The blurred grid of the backdrop and the taps that bring it to the
// target's size.
class Backdrop {
public:
    Backdrop(int tw, int th)
        : cell_(CellSize(th)), gw_((tw + cell_ - 1) / cell_),
          gh_((th + cell_ - 1) / cell_), grid_(size_t(gw_) * size_t(gh_) * 3), line_((size_t(gw_) + 1) * 3),
          columns_(size_t(tw)), rows_(size_t(th)) {}

    // From the part of the photo that fills the target; false when memory runs out.
    bool Make(const BYTE *photo, ptrdiff_t photostride, int pw, int ph, int tw, int th) {
        RECT part;
        SIZE size;
        const size_t cells = size_t(gw_) * size_t(gh_) * 3;
        Buffer<BYTE> small(cells);
        Buffer<uint16_t> copy(size_t(gw_ > gh_ ? gw_ : gh_));
        if (!grid_.get() || !line_.get() || !columns_.get() || !rows_.get() || !small.get() || !copy.get() ||
            !FitPicture(pw, ph, tw, th, SCRF_FILL, &part, &size))
            return false;
        const BYTE *corner = photo + ptrdiff_t(part.top) * photostride + ptrdiff_t(part.left) * 3;
        if (!ScalePixels(corner, photostride, int(part.right - part.left), int(part.bottom - part.top), small.get(),
                         ptrdiff_t(gw_) * 3, gw_, gh_))
            return false;
        for (size_t k = 0; k < cells; ++k) grid_.get()[k] = uint16_t(small.get()[k] << kFraction);
        BlurGrid(grid_.get(), gw_, gh_, copy.get());
        MakeTaps(gw_, tw, columns_.get());
        MakeTaps(gh_, th, rows_.get());
        return true;
    }

    // Target row y's backdrop between the columns [from, to) of `out`. The
    // two grid rows it lies between are blended and darkened into the line
    // once a row (`y` != the row of the line), then each pixel from two
    // cells of the line, rounded once at the end.
    void Paint(int y, BYTE *out, int from, int to) {
        if (from >= to) return;
        if (y != lineRow_) {
            FillLine(rows_.get()[y]);
            lineRow_ = y;
        }
        const uint32_t *line = line_.get();
        const TAP *columns = columns_.get();
        for (int x = from; x < to; ++x) {
            const uint32_t *p = line + columns[x].index * 3;
            const uint32_t w = uint32_t(columns[x].weight), v = 256 - w;
            out[3 * x] = BYTE((p[0] * v + p[3] * w + 32768) >> 16);
            out[3 * x + 1] = BYTE((p[1] * v + p[4] * w + 32768) >> 16);
            out[3 * x + 2] = BYTE((p[2] * v + p[5] * w + 32768) >> 16);
        }
    }

private:
    // The line holds gw + 1 cells, the last repeated, at 8 fraction bits.
    void FillLine(const TAP &row) {
        const size_t n = size_t(gw_) * 3;
        const uint16_t *a = grid_.get() + size_t(row.index) * n, *b = row.index + 1 < gh_ ? a + n : a;
        const uint32_t wb = uint32_t(row.weight), wa = 256 - wb;
        uint32_t *line = line_.get();
        for (size_t k = 0; k < n; ++k) line[k] = ((a[k] * wa + b[k] * wb) >> 8) * BACKDROP_BRIGHTNESS >> 8;
        std::memcpy(line + n, line + n - 3, 3 * sizeof(uint32_t));
    }

    int cell_, gw_, gh_;
    Buffer<uint16_t> grid_;
    Buffer<uint32_t> line_;
    Buffer<TAP> columns_, rows_;
    int lineRow_ = -1;
};

// The photo at (x, y) clipped to the target, row by row: its own pixels
// copied, and `paint(y, row, from, to)` called for the columns it leaves.
template <typename Paint>
void DrawRows(const BYTE *photo, ptrdiff_t photostride, int pw, int ph, BYTE *target, ptrdiff_t targetstride, int tw,
              int th, int x, int y, Paint paint) {
    // Worked out in 64 bits: the position may be anything.
    const long long left = x < 0 ? 0 : x, right = (long long)x + pw < tw ? (long long)x + pw : tw;
    const long long top = y < 0 ? 0 : y, bottom = (long long)y + ph < th ? (long long)y + ph : th;
    const bool shown = left < right && top < bottom;
    for (int row = 0; row < th; ++row) {
        BYTE *out = target + ptrdiff_t(row) * targetstride;
        if (!shown || row < top || row >= bottom) {
            paint(row, out, 0, tw);
            continue;
        }
        const BYTE *in = photo + (ptrdiff_t(row) - y) * photostride + ptrdiff_t(left - x) * 3;
        std::memcpy(out + left * 3, in, size_t(right - left) * 3);
        paint(row, out, 0, int(left));
        paint(row, out, int(right), tw);
    }
}

bool Sizes(const BYTE *photo, int pw, int ph, const BYTE *target, int tw, int th) {
    return photo && target && pw > 0 && ph > 0 && tw > 0 && th > 0;
}

}  // namespace

int DrawBackdrop(const BYTE *photo, ptrdiff_t photostride, int pw, int ph, BYTE *target, ptrdiff_t targetstride,
                 int tw, int th, int x, int y) {
    if (!Sizes(photo, pw, ph, target, tw, th)) return 0;
    Backdrop backdrop(tw, th);
    if (!backdrop.Make(photo, photostride, pw, ph, tw, th)) return 0;
    DrawRows(photo, photostride, pw, ph, target, targetstride, tw, th, x, y,
             [&](int row, BYTE *out, int from, int to) { backdrop.Paint(row, out, from, to); });
    return 1;
}

int DrawOnColour(const BYTE *photo, ptrdiff_t photostride, int pw, int ph, BYTE *target, ptrdiff_t targetstride,
                 int tw, int th, int x, int y, COLORREF background) {
    if (!Sizes(photo, pw, ph, target, tw, th)) return 0;
    const BYTE bgr[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    DrawRows(photo, photostride, pw, ph, target, targetstride, tw, th, x, y, [&](int, BYTE *out, int from, int to) {
        for (int i = from; i < to; ++i) std::memcpy(out + 3 * i, bgr, 3);
    });
    return 1;
}

int LockPictureRows(HGLOBAL dib, PICTUREROWS *rows) {
    *rows = PICTUREROWS{};
    int w = 0, h = 0, bits = 0;
    if (!GetBitmapDimensions(dib, &w, &h, &bits, nullptr)) return 0;
    // A scale to its own size copies, at 24 bits.
    if (bits != 24 && !(rows->copy = ScaleDib(dib, nullptr, w, h))) return 0;
    rows->handle = rows->copy ? rows->copy : dib;
    const void *locked = GlobalLock(rows->handle);
    DIBLAYOUT layout;
    if (!locked || !GetDibLayout(locked, GlobalSize(rows->handle), &layout) || layout.bits != 24) {
        if (locked) GlobalUnlock(rows->handle);
        if (rows->copy) GlobalFree(rows->copy);
        *rows = PICTUREROWS{};
        return 0;
    }
    rows->top = DibRow(locked, layout, 0);
    rows->stride = -ptrdiff_t(layout.rowbytes);
    rows->width = layout.width;
    rows->height = layout.height;
    return 1;
}

void UnlockPictureRows(PICTUREROWS *rows) {
    if (rows->top) GlobalUnlock(rows->handle);
    if (rows->copy) GlobalFree(rows->copy);
    *rows = PICTUREROWS{};
}

HGLOBAL MakeBackdrop(HGLOBAL fitted, int screenwide, int screendeep, int x, int y) {
    PICTUREROWS photo;
    if (screenwide <= 0 || screendeep <= 0 || !LockPictureRows(fitted, &photo)) return 0;
    HGLOBAL result = CreateDib(screenwide, screendeep, nullptr, 24);
    void *target = result ? GlobalLock(result) : nullptr;
    DIBLAYOUT out;
    const bool made = target && GetDibLayout(target, GlobalSize(result), &out) &&
                      DrawBackdrop(photo.top, photo.stride, photo.width, photo.height, DibRow(target, out, 0),
                                   -ptrdiff_t(out.rowbytes), screenwide, screendeep, x, y);
    if (target) GlobalUnlock(result);
    UnlockPictureRows(&photo);
    if (!made && result) {
        GlobalFree(result);
        result = 0;
    }
    return result;
}

HGLOBAL MakeBlockBackdrop(HGLOBAL fitted, const BLOCK *block, SIZE screen) {
    int w = 0, h = 0, x = 0, y = 0;
    if (!block || !GetBitmapDimensions(fitted, &w, &h, nullptr, nullptr) ||
        !GetImageOriginForSize(&x, &y, block, w, h, &screen))
        return 0;
    return MakeBackdrop(fitted, int(screen.cx), int(screen.cy), x, y);
}
