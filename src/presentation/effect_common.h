// What the transition effects share: making the picture's bitmap, drawing
// from it, moving and filling parts of the screen. Coordinates are relative
// to the picture's top-left corner on the screen; pixel ranges are inclusive.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "presentation/effect.h"

// Cycles are numbered as the cells set them up, across every status, so a
// number names one cycle of one status. BeginCycle gives the status's new
// cycle the next number.
void BeginCycle(STATUS *status);

// A work list as STATUS.worklist holds it: a label saying which effect built
// it, for which phase and picture size, then its entries. Every effect shares
// the one slot, and a cycle cut short leaves a list behind, so an effect
// takes a list only when the label is its own.
enum class ListOwner : uint32_t { Plummet = 1, Sandstorm, Tile };
enum class ListPhase : uint32_t { Appear, Disappear };

struct WORKLIST {
    ListOwner owner;
    ListPhase phase;
    PictureSize size;
    uint32_t count;     // entries still to do
    uint32_t capacity;  // entries the block has room for
    // `capacity` entries follow
};

// The status's list when `owner` built it for `phase` and `size`, else null.
WORKLIST *OwnWorkList(const STATUS *status, ListOwner owner, ListPhase phase, const PictureSize &size);
// Replaces the status's list with an empty one labelled for owner, phase and
// size, room for `capacity` entries of `entrysize` bytes. A block the same
// owner made that is large enough is kept: first touching fresh pages of a
// large list costs more than a step may take under Wine. Null when memory
// runs out or the size is absurd.
WORKLIST *NewWorkList(STATUS *status, ListOwner owner, ListPhase phase, const PictureSize &size,
                      uint64_t capacity, size_t entrysize);
template <class T>
T *ListEntries(WORKLIST *list) {
    return reinterpret_cast<T *>(list + 1);
}
// The list a Disappear works from: its own from an earlier step, else a new
// one that `build` makes for the picture's size, read again into `size` (the
// picture may have come on through another effect). Null on failure.
typedef WORKLIST *(*LISTBUILDER)(STATUS *status, ListPhase phase);
WORKLIST *DisappearList(STATUS *status, ListOwner owner, PictureSize *size, LISTBUILDER build);
// Frees the status's list, whoever made it.
void FreeWorkList(STATUS *status);

// Deletes any bitmap left over (and with `freeLists` the work list), then
// makes the picture's device-dependent bitmap: EFFECT_NEXTPHASE, or
// EFFECT_END when the picture cannot be read or the bitmap made.
WORD SetupBitmap(STATUS *status, PictureSize *size, bool freeLists = false);
// The picture's size read again from its header; false when unreadable.
bool ReadPictureSize(const STATUS *status, PictureSize *size);

// The status's bitmap selected into a memory context, for drawing from.
class BitmapSource {
public:
    explicit BitmapSource(const STATUS *status);
    ~BitmapSource();
    BitmapSource(const BitmapSource &) = delete;
    BitmapSource &operator=(const BitmapSource &) = delete;
    bool ok() const { return old_ != nullptr; }
    // Copies the picture's w x h area at (sx, sy) to (x, y).
    void Draw(int x, int y, int w, int h, int sx, int sy) const;
    void DrawAll(int w, int h) const { Draw(0, 0, w, h, 0, 0); }

private:
    const STATUS *status_;
    HDC memory_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// A 32-bit top-down DIB section of w x h pixels, for composing steps in
// memory; MakeSurface is false when it cannot be made (the caller deletes
// what was made either way).
struct Surface {
    HBITMAP bitmap = nullptr;
    uint32_t *bits = nullptr;
};
bool MakeSurface(HDC dc, int w, int h, Surface *surface);

// Moves the screen's w x h area at (x, y) by (dx, dy).
void MoveArea(const STATUS *status, int x, int y, int w, int h, int dx, int dy);
// Paints the inclusive range left..right x top..bottom with the background.
void FillArea(const STATUS *status, int left, int top, int right, int bottom);

// Appear in one call: the whole picture at once.
WORD DrawWholePicture(STATUS *status, const PictureSize &size);
// Disappear in one call: the picture's whole area, its size read again
// (the picture may have come on through another effect).
WORD ClearWholePicture(STATUS *status);

// Wait: the hold is over once holdcount reaches 0.
inline WORD HoldIsOver(const STATUS *status) { return status->holdcount == 0 ? EFFECT_NEXTPHASE : 0; }
// Close: releases the bitmap and the lists.
WORD ReleaseEffect(STATUS *status);

// The weight (0..256) of the last step a Crossfade drew; -1 before any.
int CrossfadeLastWeight();

// rand() reseeded with the time in seconds, as the randomised effects do.
void SeedRandom();
