// What the transition effects share.
#include "presentation/effect_common.h"

#include <cstdlib>
#include <ctime>

#include "content/format.h"
#include "imaging/dib.h"

namespace {

// The layout of the locked picture when its memory holds all it claims.
bool PictureLayout(HGLOBAL picture, const void *locked, DIBLAYOUT *layout) {
    return locked && GetDibLayout(locked, GlobalSize(picture), layout);
}

uint32_t cyclenumber = 0;  // the last number given; 0 names no cycle

}  // namespace

void BeginCycle(STATUS *status) {
    if (++cyclenumber == 0) ++cyclenumber;
    status->effects.cycle = cyclenumber;
}

int &StepCounter::InCycle(const STATUS *status) {
    if (cycle_ != status->effects.cycle) Restart(status);
    return count_;
}

void StepCounter::Restart(const STATUS *status) {
    count_ = 0;
    cycle_ = status->effects.cycle;
}

WORKLIST *OwnWorkList(const STATUS *status, ListOwner owner, ListPhase phase, const PictureSize &size) {
    WORKLIST *list = (WORKLIST *)status->worklist;
    const bool own = list && list->owner == owner && list->phase == phase && list->size.w == size.w &&
                     list->size.h == size.h;
    return own ? list : nullptr;
}

WORKLIST *NewWorkList(STATUS *status, ListOwner owner, ListPhase phase, const PictureSize &size,
                      uint64_t capacity, size_t entrysize) {
    WORKLIST *list = (WORKLIST *)status->worklist;
    const bool reusable = list && list->owner == owner && list->capacity >= capacity;
    if (!reusable) {
        FreeWorkList(status);
        if (capacity > 0x3FFFFFFF / entrysize) return nullptr;
        list = (WORKLIST *)std::malloc(sizeof(WORKLIST) + size_t(capacity ? capacity : 1) * entrysize);
        if (!list) return nullptr;
        list->capacity = uint32_t(capacity);
        status->worklist = list;
    }
    list->owner = owner;
    list->phase = phase;
    list->size = size;
    list->count = 0;
    return list;
}

WORKLIST *DisappearList(STATUS *status, ListOwner owner, PictureSize *size, LISTBUILDER build) {
    PictureSize now = {};
    if (!ReadPictureSize(status, &now)) return nullptr;
    if (WORKLIST *own = OwnWorkList(status, owner, ListPhase::Disappear, now)) return own;
    *size = now;
    return build(status, ListPhase::Disappear);
}

void FreeWorkList(STATUS *status) {
    std::free(status->worklist);
    status->worklist = nullptr;
}

WORD SetupBitmap(STATUS *status, PictureSize *size, bool freeLists) {
    if (status->bitmap) DeleteObject(status->bitmap);
    status->bitmap = nullptr;
    if (freeLists) FreeWorkList(status);
    const void *locked = status->picture ? GlobalLock(status->picture) : nullptr;
    DIBLAYOUT layout;
    if (PictureLayout(status->picture, locked, &layout)) {
        size->w = layout.width;
        size->h = layout.height;
        const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)locked;
        status->bitmap = CreateDIBitmap(status->dc, header, CBM_INIT, (const BYTE *)locked + layout.pixels,
                                        (const BITMAPINFO *)header, DIB_RGB_COLORS);
    }
    if (locked) GlobalUnlock(status->picture);
    return status->bitmap ? EFFECT_NEXTPHASE : EFFECT_END;
}

bool ReadPictureSize(const STATUS *status, PictureSize *size) {
    const void *locked = status->picture ? GlobalLock(status->picture) : nullptr;
    DIBLAYOUT layout;
    const bool ok = PictureLayout(status->picture, locked, &layout);
    if (ok) {
        size->w = layout.width;
        size->h = layout.height;
    }
    if (locked) GlobalUnlock(status->picture);
    return ok;
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

bool MakeSurface(HDC dc, int w, int h, Surface *surface) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    surface->bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    surface->bits = (uint32_t *)bits;
    return surface->bitmap && bits;
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
    PictureSize now = {};
    if (ReadPictureSize(status, &now)) FillArea(status, 0, 0, now.w - 1, now.h - 1);
    return EFFECT_NEXTPHASE;
}

WORD ReleaseEffect(STATUS *status) {
    ReleaseBlend(status);
    if (status->bitmap) DeleteObject(status->bitmap);
    FreeWorkList(status);
    std::free(status->order);
    status->bitmap = nullptr;
    status->order = nullptr;
    return EFFECT_NEXTPHASE;
}

void SeedRandom() { std::srand(unsigned(std::time(nullptr))); }
