// The run-time order of random-order folders and its state in the registry.
#include "shell/play_order.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "content/blockstore.h"
#include "content/crc32.h"

namespace playorder {
namespace {

constexpr uint32_t kOrderMagic = 0x524F4C4D;  // "MLOR"
constexpr uint32_t kOrderVersion = 1;
constexpr int kRounds = 4;

// A 32-bit mixing function: every input bit reaches every output bit.
uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

// A permutation of 0 .. 2^(2 * half) - 1: a balanced Feistel network whose
// round function mixes the seed, the round and the right half.
uint32_t Feistel(uint32_t seed, unsigned half, uint32_t x) {
    const uint32_t mask = (uint32_t(1) << half) - 1;
    uint32_t left = x >> half, right = x & mask;
    for (int round = 0; round < kRounds; ++round) {
        const uint32_t next = left ^ (Mix(seed ^ Mix(right + 0x9E3779B9u * uint32_t(round + 1))) & mask);
        left = right;
        right = next;
    }
    return (left << half) | right;
}

// The photo at `position` of the order drawn from `seed`: the Feistel
// permutation of the smallest even power of two holding `count`, walked on
// until it lands below `count` (so it stays a permutation of 0 .. count - 1;
// the domain is under four times the count, so few steps are needed).
uint32_t Permuted(uint32_t seed, uint32_t count, uint32_t position) {
    unsigned half = 1;
    while (half < 16 && (uint64_t(1) << (2 * half)) < count) ++half;
    uint32_t x = position;
    do x = Feistel(seed, half, x);
    while (x >= count);
    return x;
}

int CompareLaterFirst(const void *a, const void *b) {
    const ULONGLONG x = *(const ULONGLONG *)a, y = *(const ULONGLONG *)b;
    return x > y ? -1 : x < y ? 1 : 0;
}

// Whether a subkey's name is a show's key as ShowKey writes it: eight
// capital hexadecimal digits, alone or after the title and a space. Other
// keys under the same root (the bare player's settings) are no show's.
bool IsShowKeyName(const char *name) {
    const size_t length = strlen(name);
    if (length < 8 || (length > 8 && name[length - 9] != ' ')) return false;
    for (size_t i = length - 8; i < length; ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'A' && name[i] <= 'F'))) return false;
    return true;
}

// The name and last write time of the show's key at `index`; false for a
// key that is no show's.
bool SubkeyAt(HKEY root, DWORD index, char (&name)[256], ULONGLONG *written) {
    DWORD length = sizeof name;
    FILETIME time;
    if (RegEnumKeyExA(root, index, name, &length, nullptr, nullptr, nullptr, &time) != ERROR_SUCCESS) return false;
    *written = (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return IsShowKeyName(name);
}

// The last write time below which a show's key goes: a year before `now`,
// or later when more than kKeptShows keys were written since.
ULONGLONG OldestKept(HKEY root, ULONGLONG now) {
    ULONGLONG oldest = now > kKeptFor ? now - kKeptFor : 0;
    DWORD count = 0;
    if (RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        count <= kKeptShows)
        return oldest;
    ULONGLONG *times = (ULONGLONG *)std::calloc(count, sizeof *times);
    if (!times) return oldest;
    char name[256];
    DWORD found = 0;
    for (DWORD i = 0; i < count; ++i) found += SubkeyAt(root, i, name, &times[found]) ? 1 : 0;
    if (found > kKeptShows) {
        std::qsort(times, found, sizeof *times, CompareLaterFirst);
        if (times[kKeptShows - 1] > oldest) oldest = times[kKeptShows - 1];
    }
    std::free(times);
    return oldest;
}

}  // namespace

void PruneShowKeys(HKEY root, const char *current, ULONGLONG now) {
    const ULONGLONG oldest = OldestKept(root, now);
    char name[256];
    ULONGLONG written;
    // From the last: a deletion moves only the subkeys already passed.
    DWORD count = 0;
    RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    for (DWORD i = count; i-- > 0;)
        if (SubkeyAt(root, i, name, &written) && written < oldest && lstrcmpiA(name, current) != 0)
            RegDeleteKeyA(root, name);
}

uint32_t OrderMember(uint32_t count, const OrderState &state, uint32_t position) {
    if (count == 0) return 0;
    position %= count;
    // An order that would start with the photo to avoid swaps its first two.
    if (count > 1 && state.avoid < count && position <= 1 && Permuted(state.seed, count, 0) == state.avoid)
        position = 1 - position;
    return Permuted(state.seed, count, position);
}

OrderState Advanced(uint32_t count, const OrderState &state) {
    OrderState next = state;
    next.last = OrderMember(count, state, state.position);
    if (++next.position >= count) {
        // Used up: the next order comes from this one's seed, so a look
        // ahead sees the photo that will really play.
        next = NewOrder(Mix(state.seed + 0x9E3779B9u));
        next.avoid = next.last = OrderMember(count, state, state.position);
    }
    return next;
}

OrderState NewOrder(uint32_t seed) { return OrderState{seed, 0, kNone, kNone}; }

ORDERRECORD Encode(uint32_t count, const OrderState &state) {
    ORDERRECORD record = {kOrderMagic, kOrderVersion, count, state.seed, state.position, state.avoid, state.last, 0};
    record.check = uint32_t(ml::crc32(0, &record, offsetof(ORDERRECORD, check)));
    return record;
}

bool Decode(const void *bytes, DWORD size, uint32_t count, OrderState *state) {
    ORDERRECORD record;
    if (!bytes || size != sizeof record) return false;
    std::memcpy(&record, bytes, sizeof record);
    auto photo = [count](uint32_t n) { return n < count || n == kNone; };
    if (record.magic != kOrderMagic || record.version != kOrderVersion || record.count != count ||
        record.check != ml::crc32(0, &record, offsetof(ORDERRECORD, check)) || record.position >= count ||
        !photo(record.avoid) || !photo(record.last))
        return false;
    *state = OrderState{record.seed, record.position, record.avoid, record.last};
    return true;
}

}  // namespace playorder

namespace {

using playorder::OrderState;

// One folder: a run of store indices and where its order stands.
struct Folder {
    int first;
    uint32_t count;
    uint32_t group;
    OrderState state;
};

// The show's folders, in store order. A plain array: the player keeps the
// C++ run time's exception code out.
Folder *folders;
int folderCount;
int folderRoom;

bool AddFolder(const Folder &folder) {
    if (folderCount == folderRoom) {
        const int room = folderRoom ? 2 * folderRoom : 8;
        Folder *grown = (Folder *)std::realloc(folders, sizeof(Folder) * size_t(room));
        if (!grown) return false;
        folders = grown, folderRoom = room;
    }
    folders[folderCount++] = folder;
    return true;
}

constexpr char kRootKey[] = "Software\\Marrowlight";  // every subkey is a show's key
char showKey[300];  // the show's key under HKEY_CURRENT_USER

Folder *FolderAt(int slot) {
    for (Folder *folder = folders; folder < folders + folderCount; ++folder)
        if (slot >= folder->first && slot - folder->first < int(folder->count)) return folder;
    return nullptr;
}

void ValueName(const Folder &folder, char (&name)[32]) { std::snprintf(name, sizeof name, "Order %u", folder.group); }

// A seed that differs from start to start and between two players started at once.
uint32_t FreshSeed() {
    const ULONGLONG ticks = GetTickCount64();
    return uint32_t(std::time(nullptr)) ^ (GetCurrentProcessId() * 0x9E3779B9u) ^ uint32_t(ticks) ^
           uint32_t(ticks >> 32);
}

OrderState ReadState(HKEY key, const Folder &folder) {
    char name[32];
    ValueName(folder, name);
    playorder::ORDERRECORD record;
    DWORD type = 0, size = sizeof record;
    OrderState state;
    if (key && RegQueryValueExA(key, name, nullptr, &type, (BYTE *)&record, &size) == ERROR_SUCCESS &&
        type == REG_BINARY && playorder::Decode(&record, size, folder.count, &state))
        return state;
    // Folders of one show draw orders of their own.
    return playorder::NewOrder(FreshSeed() + folder.group * 0x9E3779B9u);
}

// The whole state in one write: another player of the same show, running at
// the same time, sees either its old state or this one, never a mixture.
void SaveState(const Folder &folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, showKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    char name[32];
    ValueName(folder, name);
    const playorder::ORDERRECORD record = playorder::Encode(folder.count, folder.state);
    RegSetValueExA(key, name, 0, REG_BINARY, (const BYTE *)&record, sizeof record);
    RegCloseKey(key);
}

bool InFolder(const BLOCK &block) { return block.type == TAG_IMAG && (block.image.flags & SCRF_RANDOMORDER); }

// `print` carried on over what tells a folder's photo from another: its
// folder, its stored length (its data's size), the day it was taken, its name.
uint32_t PhotoPrint(uint32_t print, const BLOCK &block) {
    const uint32_t fields[] = {block.image.group, block.image.length, block.image.takendate};
    print = uint32_t(ml::crc32(print, fields, sizeof fields));
    const char *name = block.auxhandle2 ? (const char *)GlobalLock(block.auxhandle2) : nullptr;
    if (!name) return print;
    print = uint32_t(ml::crc32(print, name, unsigned(std::strlen(name))));
    GlobalUnlock(block.auxhandle2);
    return print;
}

// The key of a show of `title` whose photos give `print`.
void ShowKey(const char *title, uint32_t print, char *key, size_t size) {
    char name[201];
    lstrcpynA(name, title, sizeof name);
    // A key name holds no backslash; control characters would only confuse.
    for (char *c = name; *c; ++c)
        if (*c == '\\' || (unsigned char)*c < 32) *c = '_';
    std::snprintf(key, size, "%s\\%s%s%08X", kRootKey, name, name[0] ? " " : "", unsigned(print));
}

// The runs of random-order blocks of one group, and the print of their
// photos. A group number met again after its run has ended plays in stored
// order: it would share the state.
uint32_t FindFolders(HWND list) {
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    BLOCK block;
    uint32_t print = 0;
    for (int i = 0; i < count; ++i) {
        if (!GetBlock(list, i, &block) || !InFolder(block)) continue;
        print = PhotoPrint(print, block);
        const uint32_t group = block.image.group;
        Folder *last = folderCount ? &folders[folderCount - 1] : nullptr;
        if (last && last->group == group && last->first + int(last->count) == i) {
            ++last->count;
            continue;
        }
        bool known = false;
        for (int f = 0; f < folderCount; ++f) known = known || folders[f].group == group;
        // Without memory for it a folder plays in stored order.
        if (!known) AddFolder(Folder{i, 1, group, OrderState{}});
    }
    return print;
}

// Deletes the keys of shows long unplayed, and of all but the latest few.
void ForgetOldShows() {
    HKEY root = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRootKey, 0, KEY_READ, &root) != ERROR_SUCCESS) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    playorder::PruneShowKeys(root, showKey + sizeof kRootKey, (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    RegCloseKey(root);
}

}  // namespace

void PlayOrderKey(HWND list, const SCRHEAD &head, char *key, size_t size) {
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    BLOCK block;
    uint32_t print = 0;
    for (int i = 0; i < count; ++i)
        if (GetBlock(list, i, &block) && InFolder(block)) print = PhotoPrint(print, block);
    ShowKey(head.title, print, key, size);
}

void LoadPlayOrder(HWND list, const SCRHEAD &head) {
    folderCount = 0;
    ShowKey(head.title, FindFolders(list), showKey, sizeof showKey);
    if (folderCount == 0) return;
    ForgetOldShows();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, showKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
    for (int f = 0; f < folderCount; ++f) folders[f].state = ReadState(key, folders[f]);
    if (key) RegCloseKey(key);
}

void ForgetPlayOrder() {
    std::free(folders);
    folders = nullptr;
    folderCount = folderRoom = 0;
}

int PlayedBlockIndex(int slot) {
    const Folder *folder = FolderAt(slot);
    return folder ? folder->first + int(playorder::OrderMember(folder->count, folder->state, folder->state.position))
                  : slot;
}

int FolderPhotoAfter(int slot) {
    const Folder *folder = FolderAt(slot);
    if (!folder) return -1;
    const playorder::OrderState next = playorder::Advanced(folder->count, folder->state);
    const int after = folder->first + int(playorder::OrderMember(folder->count, next, next.position));
    return after == PlayedBlockIndex(slot) ? -1 : after;
}

void CommitPlayedBlock(int slot) {
    Folder *folder = FolderAt(slot);
    if (!folder) return;
    folder->state = playorder::Advanced(folder->count, folder->state);
    SaveState(*folder);
}

namespace {

bool Excluded(int index, const int *excluded, int count) {
    for (int i = 0; i < count; ++i)
        if (excluded[i] == index) return true;
    return false;
}

}  // namespace

int TakeFolderPhoto(int slot, const int *excluded, int excludedcount) {
    const Folder *folder = FolderAt(slot);
    if (!folder) return slot;
    bool any = false;
    for (uint32_t i = 0; i < folder->count && !any; ++i) any = !Excluded(folder->first + int(i), excluded, excludedcount);
    // Within two orders every photo comes round.
    const uint32_t tries = any ? 2 * folder->count : 1;
    int index = slot;
    for (uint32_t tried = 0; tried < tries; ++tried) {
        index = PlayedBlockIndex(slot);
        CommitPlayedBlock(slot);
        if (!Excluded(index, excluded, excludedcount)) break;
    }
    return index;
}

bool InSameFolder(int a, int b) {
    const Folder *folder = FolderAt(a);
    return folder && folder == FolderAt(b);
}
