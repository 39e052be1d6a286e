// Two portrait photos composed side by side, on the background or each on
// its own backdrop.
#include "imaging/pair.h"

#include <cstring>

#include "imaging/backdrop.h"
#include "imaging/dib.h"

namespace {

// Columns [from, to) of every row of the target filled with one colour.
void FillColumns(BYTE *top, ptrdiff_t stride, int rows, int from, int to, COLORREF colour) {
    const BYTE bgr[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    for (int y = 0; y < rows; ++y)
        for (int x = from; x < to; ++x) std::memcpy(top + ptrdiff_t(y) * stride + 3 * x, bgr, 3);
}

}  // namespace

int PairGap(int screenwide) { return screenwide > 0 ? (screenwide + 25) / 50 : 0; }

int GetPairHalf(int screenwide, int screendeep, SIZE *half) {
    if (screenwide <= 0 || screendeep <= 0) return 0;
    // The halves leave at least the whole gap between them, also when it is odd.
    const int wide = (screenwide - PairGap(screenwide)) / 2;
    if (wide < 1) return 0;
    *half = SIZE{wide, screendeep};
    return 1;
}

HGLOBAL MakePair(HGLOBAL left, HGLOBAL right, int screenwide, int screendeep, bool backdrop, COLORREF background) {
    SIZE half;
    if (!GetPairHalf(screenwide, screendeep, &half)) return 0;
    PICTUREROWS photos[2] = {};
    HGLOBAL result = 0;
    if (LockPictureRows(left, &photos[0]) && LockPictureRows(right, &photos[1]))
        result = CreateDib(screenwide, screendeep, nullptr, 24);
    void *target = result ? GlobalLock(result) : nullptr;
    DIBLAYOUT out;
    bool made = target && GetDibLayout(target, GlobalSize(result), &out);
    const int wide = int(half.cx), starts[2] = {0, screenwide - wide};
    for (int i = 0; made && i < 2; ++i) {
        const PICTUREROWS &p = photos[i];
        BYTE *corner = DibRow(target, out, 0) + 3 * starts[i];
        const ptrdiff_t stride = -ptrdiff_t(out.rowbytes);
        // Centred as the show centres a picture on a screen of the half's size.
        const int x = wide / 2 - p.width / 2, y = screendeep / 2 - p.height / 2;
        made = backdrop ? DrawBackdrop(p.top, p.stride, p.width, p.height, corner, stride, wide, screendeep, x, y)
                        : DrawOnColour(p.top, p.stride, p.width, p.height, corner, stride, wide, screendeep, x, y, background);
    }
    if (made) FillColumns(DibRow(target, out, 0), -ptrdiff_t(out.rowbytes), screendeep, wide, starts[1], background);
    if (target) GlobalUnlock(result);
    UnlockPictureRows(&photos[0]);
    UnlockPictureRows(&photos[1]);
    if (!made && result) {
        GlobalFree(result);
        result = 0;
    }
    return result;
}
