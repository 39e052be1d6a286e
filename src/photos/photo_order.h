// The orders a library plays its photos in: random rounds that hold every
// photo once, and the sorted orders by name and by date.
//
// Random: every photo carries the round it last played in. A photo is
// taken at random from those not yet played in the current round; when the
// round is used up the next begins, not with the photo just shown. Photos
// found later join the round under way (they never played), photos gone
// leave it. A photo started while its round is not over, yet already
// played in it (when every other one was on a screen), counts for the next.
//
// Sorted: a list of ids in the order, walked from the photo after the one
// started last, found by its key, so the order goes on where it stood even
// when that photo has gone meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>

#include "photos/catalogue.h"

namespace photos {

// The orders, as PHOTOORDER_* numbers them.
enum : DWORD { ORDER_RANDOM, ORDER_NAME, ORDER_DATE, ORDER_NEWEST };

// What a sorted order compares: the path, and for the date orders the
// moment (a local FILETIME) the photo was taken.
struct PHOTOKEY {
    const wchar_t *path;
    uint32_t length;
    uint64_t moment;
};

// The day taken at the time of day (UTC) the file was last written, when
// its header gave the day; else its last write time.
uint64_t PhotoMoment(const PHOTORECORD &record);
// yyyymmdd as the local FILETIME of the start of that day.
uint64_t DayStart(uint32_t yyyymmdd);
PHOTOKEY RecordKey(const CATALOGUE &catalogue, uint32_t id);
// <0, 0, >0 as `a` comes before, with or after `b` in `order`: by path (no
// case, then case), by moment then path, or by moment latest first then path.
int CompareKeys(DWORD order, const PHOTOKEY &a, const PHOTOKEY &b);

// Sorts `count` ids of the catalogue in `order`.
void SortIds(const CATALOGUE &catalogue, DWORD order, uint32_t *ids, uint32_t count);
// The sorted lists `a` and `b` as one into `out` (room for both).
void MergeIds(const CATALOGUE &catalogue, DWORD order, const uint32_t *a, uint32_t acount, const uint32_t *b,
              uint32_t bcount, uint32_t *out);

// What may play: ids below `published`, neither gone nor dropped, and what
// the caller asks to pass over.
struct PLAYABLE {
    const CATALOGUE *catalogue;
    uint32_t published;
    const int *excluded;
    int excludedcount;
};
bool Playable(const PLAYABLE &playable, uint32_t id);

// The random order's next photo (see above) from the random number
// `draw`; -1 when none may play.
int PickRandom(const PLAYABLE &playable, const ORDERPLACE &place, uint64_t draw);
// Photo `id` has started: the round it played in, and the next round once
// every photo has played in this one.
void CommitRandom(const PLAYABLE &playable, ORDERPLACE *place, uint32_t id);

// The sorted order's next photo after the place's last one (from the
// start when there is none): the first that is not excluded, else the
// first that may play; -1 when none may.
int NextSorted(const PLAYABLE &playable, DWORD order, const uint32_t *sorted, uint32_t count,
               const ORDERPLACE &place);

// The next number of a xorshift generator; `state` never 0.
uint64_t NextDraw(uint64_t *state);

}  // namespace photos
