// The photos a library knows: small fixed records and one pool of their
// paths, in memory and in the catalogue file that keeps them from one
// start to the next (docs/photo-saver.md describes the file).
#pragma once

#include <windows.h>

#include <cstdint>

namespace photos {

constexpr uint32_t kNone = 0xFFFFFFFF;
// The longest path a record holds, in wide chars: the \\?\ form's limit
// less its prefix.
constexpr uint32_t kLongestPath = 32767 - 8;

// PHOTORECORD::found, written by the search (the worker) only.
enum : uint8_t {
    FOUND_DATED = 1,  // `taken` is what the photo's own header says (0: it says nothing)
    FOUND_SEEN = 2,   // the running search found it (never stored)
    FOUND_GONE = 4,   // a finished search did not find it (never stored)
};
// PHOTORECORD::shown, written by the window thread only.
enum : uint8_t {
    SHOWN_DROPPED = 1,  // it could not be shown: passed over, never stored
};

#pragma pack(push, 1)
// One photo, in memory and in the file alike. Two flag bytes, one per
// writer, so the worker and the window thread never write the same byte.
struct PHOTORECORD {
    uint32_t path;     // where its full path starts in the pool, in wide chars
    uint16_t length;   // the path's length in wide chars; a null follows it
    uint8_t found;     // FOUND_*
    uint8_t shown;     // SHOWN_*
    uint32_t round;    // the random order's round it last played in; 0 never
    uint32_t taken;    // the day taken, yyyymmdd; 0 unknown
    uint64_t written;  // its last write time, a FILETIME in UTC
};

// The catalogue file: this header, `count` records, then `poolchars` wide
// chars of paths, each followed by a null.
struct CATALOGUEHEAD {
    uint32_t magic;        // kCatalogueMagic
    uint32_t version;      // kCatalogueVersion
    uint32_t print;        // CatalogueName's print of the folder list it belongs to
    uint32_t count;        // records
    uint32_t poolchars;    // wide chars of the pool, nulls included
    uint32_t round;        // the random order's current round, from 1
    uint32_t sortedby;     // the order (PHOTOORDER_*) the first `sorted` records follow
    uint32_t sorted;
    uint32_t last;         // the record of the photo started last, or kNone
    uint32_t lastpath;     // where that photo's path starts in the pool, or kNone
    uint32_t lastlength;   // its length
    uint32_t reserved;     // 0
    uint64_t lastmoment;   // its date key (PhotoMoment)
    uint32_t reserved2;    // 0
    uint32_t check;        // CRC-32 of the records and the pool, continued over the header before this field
};
#pragma pack(pop)
static_assert(sizeof(PHOTORECORD) == 24, "a photo's record has a fixed size");
static_assert(sizeof(CATALOGUEHEAD) == 64, "the catalogue's header has a fixed size");

constexpr uint32_t kCatalogueMagic = 0x43504C4D;  // "MLPC"
constexpr uint32_t kCatalogueVersion = 2;

// The records and the pool in memory. Ids are record indexes.
struct CATALOGUE {
    PHOTORECORD *records;
    uint32_t count;
    uint32_t room;
    wchar_t *pool;
    uint32_t poolused;  // wide chars, nulls included
    uint32_t poolroom;
};

// Where the order stands: what the catalogue keeps besides the photos.
struct ORDERPLACE {
    uint32_t round;       // the random order's current round, from 1
    uint32_t last;        // the id of the photo started last, or kNone
    wchar_t *lastpath;    // its path (calloc), null when none; kept when the photo goes
    uint32_t lastlength;
    uint32_t lastroom;
    uint64_t lastmoment;  // its date key
};

// Appends a photo with `fields` (its path and length set here); its id, or
// -1 when memory runs out or the path is too long.
int AppendPhoto(CATALOGUE *catalogue, const wchar_t *path, uint32_t length, const PHOTORECORD &fields);
inline const wchar_t *PhotoPath(const CATALOGUE &catalogue, uint32_t id) {
    return catalogue.pool + catalogue.records[id].path;
}
// Gives back the room grown ahead of need.
void TrimCatalogue(CATALOGUE *catalogue);
void FreeCatalogue(CATALOGUE *catalogue);
// Copies `path` as the place's last photo; false when memory runs out.
bool SetLastPath(ORDERPLACE *place, const wchar_t *path, uint32_t length);
void FreePlace(ORDERPLACE *place);

// The print of a folder list and its subfolder switch, and the catalogue's
// file in `store`: "<store>\Catalogue-<print>.dat". False when it does not fit.
uint32_t FolderPrint(const wchar_t *folders, BOOL subfolders);
bool CatalogueName(const wchar_t *store, uint32_t print, wchar_t *file, DWORD size);
// Makes the store folder and those above it that are missing.
void MakeStore(const wchar_t *store);

// Reads the catalogue `file` of the folder list `print` into the empty
// `catalogue` and `place`; `sortedby` and `sorted` say how many of the
// first records follow which order. False, with nothing kept, when the
// file is missing, damaged, of another version or of other folders.
bool ReadCatalogue(const wchar_t *file, uint32_t print, CATALOGUE *catalogue, ORDERPLACE *place, DWORD *sortedby,
                   uint32_t *sorted);
// Writes `count` records (paths in `pool`, laid out afresh) and the place
// to a temporary file, then puts it in the place of `file`. `place.last` is
// an index into `records`, or kNone. False when it could not be written.
bool WriteCatalogue(const wchar_t *file, uint32_t print, const PHOTORECORD *records, uint32_t count,
                    const wchar_t *pool, const ORDERPLACE &place, DWORD sortedby, uint32_t sorted);

}  // namespace photos
