// The random rounds and the sorted orders of a library's photos.
#include "photos/photo_order.h"

#include <algorithm>

namespace photos {
namespace {

constexpr uint64_t kDay = 864000000000ULL;  // FILETIME units in a day
constexpr int64_t kDaysTo1601 = -134774;     // 1601-01-01 counted from 1970-01-01

// Days from 1970-01-01 to the day y-m-d of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

int ComparePaths(const PHOTOKEY &a, const PHOTOKEY &b) {
    int order = CompareStringOrdinal(a.path, int(a.length), b.path, int(b.length), TRUE);
    if (order == CSTR_EQUAL) order = CompareStringOrdinal(a.path, int(a.length), b.path, int(b.length), FALSE);
    return order - CSTR_EQUAL;
}

bool Live(const PLAYABLE &playable, uint32_t id) {
    const PHOTORECORD &record = playable.catalogue->records[id];
    return id < playable.published && !(record.found & FOUND_GONE) && !(record.shown & SHOWN_DROPPED);
}

bool Excluded(const PLAYABLE &playable, uint32_t id) {
    for (int i = 0; i < playable.excludedcount; ++i)
        if (playable.excluded[i] == int(id)) return true;
    return false;
}

// Which photos a random draw takes from: those whose round is below
// `below`, excluded ones too or not, the photo started last too or not.
struct Tier {
    uint32_t below;
    bool excluded;
    bool last;
};

bool InTier(const PLAYABLE &playable, const ORDERPLACE &place, const Tier &tier, uint32_t id) {
    return Live(playable, id) && playable.catalogue->records[id].round < tier.below &&
           (tier.excluded || !Excluded(playable, id)) && (tier.last || id != place.last);
}

}  // namespace

uint64_t DayStart(uint32_t yyyymmdd) {
    const int64_t days = DaysFromCivil(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100) - kDaysTo1601;
    return days > 0 ? uint64_t(days) * kDay : 0;
}

uint64_t PhotoMoment(const PHOTORECORD &record) {
    if ((record.found & FOUND_DATED) && record.taken) return DayStart(record.taken) + record.written % kDay;
    return record.written;
}

PHOTOKEY RecordKey(const CATALOGUE &catalogue, uint32_t id) {
    const PHOTORECORD &record = catalogue.records[id];
    return PHOTOKEY{catalogue.pool + record.path, record.length, PhotoMoment(record)};
}

int CompareKeys(DWORD order, const PHOTOKEY &a, const PHOTOKEY &b) {
    if ((order == ORDER_DATE || order == ORDER_NEWEST) && a.moment != b.moment)
        return (a.moment < b.moment) == (order == ORDER_DATE) ? -1 : 1;
    return ComparePaths(a, b);
}

void SortIds(const CATALOGUE &catalogue, DWORD order, uint32_t *ids, uint32_t count) {
    std::sort(ids, ids + count, [&](uint32_t a, uint32_t b) {
        return CompareKeys(order, RecordKey(catalogue, a), RecordKey(catalogue, b)) < 0;
    });
}

void MergeIds(const CATALOGUE &catalogue, DWORD order, const uint32_t *a, uint32_t acount, const uint32_t *b,
              uint32_t bcount, uint32_t *out) {
    std::merge(a, a + acount, b, b + bcount, out, [&](uint32_t x, uint32_t y) {
        return CompareKeys(order, RecordKey(catalogue, x), RecordKey(catalogue, y)) < 0;
    });
}

bool Playable(const PLAYABLE &playable, uint32_t id) { return Live(playable, id) && !Excluded(playable, id); }

int PickRandom(const PLAYABLE &playable, const ORDERPLACE &place, uint64_t draw) {
    const uint32_t round = place.round;
    // From the best choice to the last resort: an unplayed photo; one of the
    // next round while the unplayed ones are all on screens; then any.
    const Tier tiers[] = {{round, false, false},    {round + 1, false, false}, {round, true, true},
                          {kNone, true, false},     {kNone, true, true}};
    const uint32_t count = playable.published;
    for (const Tier &tier : tiers) {
        uint32_t candidates = 0;
        for (uint32_t id = 0; id < count; ++id) candidates += InTier(playable, place, tier, id);
        if (candidates == 0) continue;
        uint32_t pick = uint32_t(draw % candidates);
        for (uint32_t id = 0; id < count; ++id)
            if (InTier(playable, place, tier, id) && pick-- == 0) return int(id);
    }
    return -1;
}

void CommitRandom(const PLAYABLE &playable, ORDERPLACE *place, uint32_t id) {
    PHOTORECORD &record = playable.catalogue->records[id];
    record.round = record.round < place->round ? place->round : place->round + 1;
    for (uint32_t other = 0; other < playable.published; ++other)
        if (Live(playable, other) && playable.catalogue->records[other].round < place->round) return;
    ++place->round;
}

int NextSorted(const PLAYABLE &playable, DWORD order, const uint32_t *sorted, uint32_t count,
               const ORDERPLACE &place) {
    if (count == 0) return -1;
    uint32_t start = 0;
    if (place.lastpath) {
        // The first photo that comes after the last one started.
        const PHOTOKEY last = {place.lastpath, place.lastlength, place.lastmoment};
        uint32_t below = count;
        while (start < below) {
            const uint32_t middle = start + (below - start) / 2;
            if (CompareKeys(order, RecordKey(*playable.catalogue, sorted[middle]), last) <= 0) start = middle + 1;
            else below = middle;
        }
    }
    for (int pass = 0; pass < 2; ++pass)
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t id = sorted[(start + i) % count];
            if (Live(playable, id) && (pass == 1 || !Excluded(playable, id))) return int(id);
        }
    return -1;
}

uint64_t NextDraw(uint64_t *state) {
    uint64_t x = *state;
    x ^= x >> 12, x ^= x << 25, x ^= x >> 27;
    *state = x;
    return x * 0x2545F4914F6CDD1DULL;
}

}  // namespace photos
