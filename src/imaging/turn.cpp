// Mirroring and turning 24-bit bitmaps: each row of the result is read from
// the source by a pointer that steps along a row or a column of it.
#include "imaging/turn.h"

#include "imaging/dib.h"

namespace {

// Where the pixel shown at (x, y) lies in the stored w x h picture:
// sx = x0 + ax * x + bx * y, sy = y0 + ay * x + by * y, with x0 = w - 1
// when sx runs backwards (else 0) and y0 likewise.
struct TURN {
    signed char ax, bx, ay, by;
};

const TURN kTurns[9] = {
    {1, 0, 0, 1},    // 0: no orientation
    {1, 0, 0, 1},    // 1: as stored
    {-1, 0, 0, 1},   // 2: mirrored left to right
    {-1, 0, 0, -1},  // 3: turned half way
    {1, 0, 0, -1},   // 4: mirrored top to bottom
    {0, 1, 1, 0},    // 5: mirrored along the diagonal from the top left
    {0, 1, -1, 0},   // 6: turned a quarter clockwise
    {0, -1, -1, 0},  // 7: mirrored along the other diagonal
    {0, -1, 1, 0},   // 8: turned a quarter anticlockwise
};

void TurnPixels(const void *source, const DIBLAYOUT &in, const TURN &turn, void *target, const DIBLAYOUT &out) {
    const int x0 = turn.ax < 0 || turn.bx < 0 ? in.width - 1 : 0;
    const int y0 = turn.ay < 0 || turn.by < 0 ? in.height - 1 : 0;
    // DibRow counts rows from the top, the bytes lie bottom row first.
    const ptrdiff_t step = 3 * ptrdiff_t(turn.ax) - ptrdiff_t(turn.ay) * ptrdiff_t(in.rowbytes);
    for (int y = 0; y < out.height; ++y) {
        const int sx = x0 + turn.bx * y, sy = y0 + turn.by * y;
        const BYTE *from = DibRow(source, in, sy) + 3 * sx;
        BYTE *to = DibRow(target, out, y);
        for (int x = 0; x < out.width; ++x, from += step, to += 3) to[0] = from[0], to[1] = from[1], to[2] = from[2];
    }
}

HGLOBAL TurnLocked(const void *source, SIZE_T available, unsigned orientation) {
    DIBLAYOUT in;
    if (!GetDibLayout(source, available, &in) || in.bits != 24) return 0;
    const TURN &turn = kTurns[orientation];
    const bool swap = turn.ax == 0;
    HGLOBAL result = CreateDib(swap ? in.height : in.width, swap ? in.width : in.height, nullptr, 24);
    void *target = result ? GlobalLock(result) : nullptr;
    DIBLAYOUT out;
    const bool made = target && GetDibLayout(target, GlobalSize(result), &out);
    if (made) TurnPixels(source, in, turn, target, out);
    if (target) GlobalUnlock(result);
    if (!made && result) {
        GlobalFree(result);
        result = 0;
    }
    return result;
}

}  // namespace

HGLOBAL TurnDib(HGLOBAL dib, unsigned orientation) {
    if (orientation < 2 || orientation > 8) return 0;
    const void *source = dib ? GlobalLock(dib) : nullptr;
    if (!source) return 0;
    HGLOBAL result = TurnLocked(source, GlobalSize(dib), orientation);
    GlobalUnlock(dib);
    return result;
}
