// The order in which the pictures of a random-order folder play.
//
// The blocks of one folder (IMAG blocks flagged SCRF_RANDOMORDER with the
// same `group`, next to each other in the store) keep their places in the
// show: when the show reaches any of them it plays the next photo of an
// order drawn at run time. Each order holds every photo of the folder once;
// when it is used up a new one is drawn, which does not start with the photo
// just shown. The order's state (a seed and a position) is kept per show and
// folder in the user's registry, so each start goes on where the last one
// stopped; a state that is missing, foreign or damaged starts a new order.
// A show is known by its title and its folders' photos, not by its build,
// so a rebuilt show goes on too; the keys of shows not played for a year,
// and of all but the most recently played few dozen, are deleted.
//
// The show's state lives here, one show at a time, like the rest of the
// show engine's; it is used on the saver window's thread only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "content/format.h"

// Finds the folders of the show in the store `list` and reads their saved
// orders; `head` names the show in the registry.
void LoadPlayOrder(HWND list, const SCRHEAD &head);
// Forgets the folders: the show ends.
void ForgetPlayOrder();
// The store index of the block that plays when the show reaches store index
// `slot`, without moving on: `slot` itself outside the folders.
int PlayedBlockIndex(int slot);
// For a slot inside a folder: the photo that follows PlayedBlockIndex(slot)
// in the order, without moving on; -1 outside the folders or when it is the
// same photo.
int FolderPhotoAfter(int slot);
// The block PlayedBlockIndex(slot) names has started: its folder moves on to
// the next photo and saves its state.
void CommitPlayedBlock(int slot);

// For a slot inside a folder: takes the next photo of its order that is not
// one of the `excluded` store indexes (photos on screen or already taken
// for another monitor), moving the order past those it skips, and returns
// its store index. When every photo of the folder is excluded it takes the
// next one. Outside the folders: `slot` itself, and nothing moves.
int TakeFolderPhoto(int slot, const int *excluded, int excludedcount);
// Whether store indexes `a` and `b` lie in the same folder.
bool InSameFolder(int a, int b);

// The registry key of the show in the store `list`, under HKEY_CURRENT_USER:
// its title and the CRC-32 of what tells its random-order photos apart (each
// one's folder, stored length, day taken and name), so two shows of one title
// stay apart and a rebuild of the same show finds its key again.
void PlayOrderKey(HWND list, const SCRHEAD &head, char *key, size_t size);

// The pure part, for its tests.
namespace playorder {

constexpr uint32_t kNone = 0xFFFFFFFF;

// What is kept of the shows' keys: those played within a year, and of them
// the most recently played kKeptShows.
constexpr DWORD kKeptShows = 48;
constexpr ULONGLONG kKeptFor = 365ULL * 24 * 60 * 60 * 10000000;  // a year in FILETIME units

// Deletes the show keys under `root` (named as ShowKey names them; other
// subkeys, such as the bare player's settings, stay) last written before
// `now` - kKeptFor, and those older than the kKeptShows most recently
// written, but never the one named `current`.
void PruneShowKeys(HKEY root, const char *current, ULONGLONG now);

// Where a folder's order stands.
struct OrderState {
    uint32_t seed;      // draws the order
    uint32_t position;  // photos of this order already started, below the count
    uint32_t avoid;     // the photo the order must not start with, or kNone
    uint32_t last;      // the photo started last, or kNone
};

#pragma pack(push, 1)
// The state as the registry keeps it, one REG_BINARY value per folder.
struct ORDERRECORD {
    uint32_t magic;    // kOrderMagic
    uint32_t version;  // kOrderVersion
    uint32_t count;    // photos in the folder
    uint32_t seed;
    uint32_t position;
    uint32_t avoid;
    uint32_t last;
    uint32_t check;  // CRC-32 of the fields before it
};
#pragma pack(pop)
static_assert(sizeof(ORDERRECORD) == 32, "the stored order state has a fixed size");

// The photo (0 .. count - 1) at `position` of the order drawn from `seed`.
uint32_t OrderMember(uint32_t count, const OrderState &state, uint32_t position);
// The state after the photo at the state's position has started.
OrderState Advanced(uint32_t count, const OrderState &state);
// A new order from a seed.
OrderState NewOrder(uint32_t seed);

ORDERRECORD Encode(uint32_t count, const OrderState &state);
// False when the bytes are no state of a folder of `count` photos.
bool Decode(const void *bytes, DWORD size, uint32_t count, OrderState *state);

}  // namespace playorder
