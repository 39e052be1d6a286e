// What the transition effects share.
#include "presentation/effect_common.h"

#include <cstdlib>
#include <ctime>

#include "content/format.h"
#include "imaging/dib.h"

namespace {

// The locked picture's header when its memory holds all it claims.
const BITMAPINFOHEADER *CheckedHeader(HGLOBAL picture, const void *locked) {
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)locked;
    if (!header || GlobalSize(picture) < sizeof *header || header->biSize != sizeof *header) return nullptr;
    const unsigned long size = DibSize(header->biWidth, header->biHeight, header->biBitCount);
    return size != 0 && size <= GlobalSize(picture) ? header : nullptr;
}

}  // namespace

WORD SetupBitmap(STATUS *status, PictureSize *size, bool freeLists) {
    if (status->bitmap) DeleteObject(status->bitmap);
    status->bitmap = nullptr;
    if (freeLists) {
        std::free(status->worklist);
        status->worklist = nullptr;
    }
    const void *locked = status->picture ? GlobalLock(status->picture) : nullptr;
    const BITMAPINFOHEADER *header = CheckedHeader(status->picture, locked);
    if (header) {
        size->w = header->biWidth;
        size->h = header->biHeight;
        const BYTE *bits = (const BYTE *)header + header->biSize + 4 * DibColourCount(header->biBitCount);
        status->bitmap = CreateDIBitmap(status->dc, header, CBM_INIT, bits, (const BITMAPINFO *)header,
                                        DIB_RGB_COLORS);
    }
    if (locked) GlobalUnlock(status->picture);
    return status->bitmap ? EFFECT_NEXTPHASE : EFFECT_END;
}

bool ReadPictureSize(const STATUS *status, PictureSize *size) {
    const void *locked = status->picture ? GlobalLock(status->picture) : nullptr;
    const BITMAPINFOHEADER *header = CheckedHeader(status->picture, locked);
    if (header) {
        size->w = header->biWidth;
        size->h = header->biHeight;
    }
    if (locked) GlobalUnlock(status->picture);
    return header != nullptr;
}

BitmapSource::BitmapSource(const STATUS *status) : status_(status) {
    memory_ = CreateCompatibleDC(status->dc);
    if (memory_ && status->bitmap) old_ = SelectObject(memory_, status->bitmap);
}

BitmapSource::~BitmapSource() {
    if (old_) SelectObject(memory_, old_);
    if (memory_) DeleteDC(memory_);
}

void BitmapSource::Draw(int x, int y, int w, int h, int sx, int sy) const {
    BitBlt(status_->dc, status_->x + x, status_->y + y, w, h, memory_, sx, sy, SRCCOPY);
}

void MoveArea(const STATUS *status, int x, int y, int w, int h, int dx, int dy) {
    if (w <= 0 || h <= 0) return;
    BitBlt(status->dc, status->x + x + dx, status->y + y + dy, w, h, status->dc, status->x + x, status->y + y,
           SRCCOPY);
}

void FillArea(const STATUS *status, int left, int top, int right, int bottom) {
    if (right < left || bottom < top) return;
    RECT area = {status->x + left, status->y + top, status->x + right + 1, status->y + bottom + 1};
    FillRect(status->dc, &area, status->backgroundbrush);
}

WORD DrawWholePicture(STATUS *status, const PictureSize &size) {
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    source.DrawAll(size.w, size.h);
    return EFFECT_NEXTPHASE;
}

WORD ClearWholePicture(STATUS *status) {
    PictureSize now;
    if (ReadPictureSize(status, &now)) FillArea(status, 0, 0, now.w - 1, now.h - 1);
    return EFFECT_NEXTPHASE;
}

WORD ReleaseEffect(STATUS *status) {
    if (status->bitmap) DeleteObject(status->bitmap);
    std::free(status->worklist);
    std::free(status->order);
    status->bitmap = nullptr;
    status->worklist = nullptr;
    status->order = nullptr;
    return EFFECT_NEXTPHASE;
}

void SeedRandom() { std::srand(unsigned(std::time(nullptr))); }
