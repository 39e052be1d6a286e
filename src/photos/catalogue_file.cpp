// The catalogue file: read whole and checked before anything of it is
// used, written to a temporary file that then takes the old one's place.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "content/crc32.h"
#include "photos/catalogue.h"

namespace photos {
namespace {

// Sizes a file may claim: more photos or longer paths than any folder list
// holds mean damage, and would ask for absurd amounts of memory.
constexpr uint32_t kMostPhotos = 1u << 24;
constexpr uint32_t kMostPoolChars = 1u << 28;
constexpr DWORD kPiece = 8u << 20;  // bytes read or checked at a time
constexpr DWORD kWriteBuffer = 64u << 10;

bool ReadAll(HANDLE file, void *into, uint64_t bytes) {
    for (uint8_t *at = (uint8_t *)into; bytes > 0;) {
        const DWORD piece = bytes < kPiece ? DWORD(bytes) : kPiece;
        DWORD got = 0;
        if (!ReadFile(file, at, piece, &got, nullptr) || got != piece) return false;
        at += piece, bytes -= piece;
    }
    return true;
}

unsigned long Crc(unsigned long crc, const void *bytes, uint64_t count) {
    for (const uint8_t *at = (const uint8_t *)bytes; count > 0;) {
        const DWORD piece = count < kPiece ? DWORD(count) : kPiece;
        crc = ml::crc32(crc, at, piece);
        at += piece, count -= piece;
    }
    return crc;
}

unsigned long HeadCrc(unsigned long crc, const CATALOGUEHEAD &head) {
    return ml::crc32(crc, &head, offsetof(CATALOGUEHEAD, check));
}

// A path of `length` chars at `at` in a pool of `chars`, ending in its null.
bool PathFits(const wchar_t *pool, uint32_t chars, uint32_t at, uint32_t length) {
    return length >= 1 && length <= kLongestPath && at < chars && chars - at > length && pool[at + length] == 0;
}

bool HeadFits(const CATALOGUEHEAD &head, uint32_t print, uint64_t size) {
    return head.magic == kCatalogueMagic && head.version == kCatalogueVersion && head.print == print &&
           head.count <= kMostPhotos && head.poolchars <= kMostPoolChars && head.round >= 1 &&
           head.sorted <= head.count && (head.last < head.count || head.last == kNone) &&
           size == sizeof head + uint64_t(head.count) * sizeof(PHOTORECORD) + uint64_t(head.poolchars) * 2;
}

// Every record's path lies in the pool, no round is ahead of the order's,
// and the flags that only live in memory are cleared.
bool RecordsFit(const CATALOGUEHEAD &head, PHOTORECORD *records, const wchar_t *pool) {
    for (uint32_t i = 0; i < head.count; ++i) {
        PHOTORECORD &record = records[i];
        if (!PathFits(pool, head.poolchars, record.path, record.length) || record.round > head.round + 1)
            return false;
        record.found &= FOUND_DATED;
        record.shown = 0;
    }
    return head.lastpath == kNone || PathFits(pool, head.poolchars, head.lastpath, head.lastlength);
}

// Writes through a buffer, carrying the CRC-32 of everything written.
struct Writer {
    HANDLE file;
    unsigned long crc;
    DWORD used;
    bool ok;
    uint8_t buffer[kWriteBuffer];
};

void Flush(Writer *writer) {
    DWORD wrote = 0;
    if (writer->used && (!WriteFile(writer->file, writer->buffer, writer->used, &wrote, nullptr) ||
                         wrote != writer->used))
        writer->ok = false;
    writer->used = 0;
}

void Put(Writer *writer, const void *bytes, size_t count) {
    writer->crc = Crc(writer->crc, bytes, count);
    for (const uint8_t *at = (const uint8_t *)bytes; count > 0 && writer->ok;) {
        if (writer->used == kWriteBuffer) Flush(writer);
        const size_t piece = count < kWriteBuffer - writer->used ? count : kWriteBuffer - writer->used;
        std::memcpy(writer->buffer + writer->used, at, piece);
        writer->used += DWORD(piece), at += piece, count -= piece;
    }
}

// The records, laid out afresh, and their paths; the header's fields.
void PutBody(Writer *writer, CATALOGUEHEAD *head, const PHOTORECORD *records, const wchar_t *pool,
             const ORDERPLACE &place) {
    uint32_t at = 0;
    for (uint32_t i = 0; i < head->count; ++i) {
        PHOTORECORD record = records[i];
        record.path = at;
        record.found &= FOUND_DATED;
        record.shown = 0;
        Put(writer, &record, sizeof record);
        at += record.length + 1u;
    }
    const wchar_t null = 0;
    for (uint32_t i = 0; i < head->count; ++i) {
        Put(writer, pool + records[i].path, records[i].length * sizeof(wchar_t));
        Put(writer, &null, sizeof null);
    }
    head->lastpath = kNone;
    if (place.lastpath && place.lastlength) {
        head->lastpath = at, head->lastlength = place.lastlength;
        Put(writer, place.lastpath, place.lastlength * sizeof(wchar_t));
        Put(writer, &null, sizeof null);
        at += place.lastlength + 1;
    }
    head->poolchars = at;
}

void AppendText(wchar_t *to, const wchar_t *text) { std::wmemcpy(to + std::wcslen(to), text, std::wcslen(text) + 1); }

void AppendHex(wchar_t *to, uint32_t value) {
    wchar_t digits[9];
    for (int i = 7; i >= 0; --i, value >>= 4) digits[i] = L"0123456789ABCDEF"[value & 15];
    digits[8] = 0;
    AppendText(to, digits);
}

}  // namespace

uint32_t FolderPrint(const wchar_t *folders, BOOL subfolders) {
    const wchar_t *end = folders;
    while (end && *end) end += std::wcslen(end) + 1;
    unsigned long print = folders ? Crc(0, folders, uint64_t(end - folders + 1) * sizeof(wchar_t)) : 0;
    const uint8_t below = subfolders ? 1 : 0;
    return uint32_t(ml::crc32(print, &below, 1));
}

bool CatalogueName(const wchar_t *store, uint32_t print, wchar_t *file, DWORD size) {
    const size_t length = std::wcslen(store);
    if (length == 0 || length + 32 > size) return false;
    std::wmemcpy(file, store, length + 1);
    if (file[length - 1] != L'\\' && file[length - 1] != L'/') AppendText(file, L"\\");
    AppendText(file, L"Catalogue-");
    AppendHex(file, print);
    AppendText(file, L".dat");
    return true;
}

void MakeStore(const wchar_t *store) {
    wchar_t folder[MAX_PATH];
    const size_t length = std::wcslen(store);
    if (length == 0 || length >= MAX_PATH) return;
    std::wmemcpy(folder, store, length + 1);
    // Each level from the one after the drive or share; those that exist
    // already fail harmlessly.
    for (size_t i = 3; i <= length; ++i) {
        if (folder[i] != L'\\' && folder[i] != L'/' && folder[i] != 0) continue;
        const wchar_t kept = folder[i];
        folder[i] = 0;
        CreateDirectoryW(folder, nullptr);
        folder[i] = kept;
    }
}

bool ReadCatalogue(const wchar_t *name, uint32_t print, CATALOGUE *catalogue, ORDERPLACE *place, DWORD *sortedby,
                   uint32_t *sorted) {
    HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CATALOGUEHEAD head;
    LARGE_INTEGER size;
    PHOTORECORD *records = nullptr;
    wchar_t *pool = nullptr;
    bool ok = GetFileSizeEx(file, &size) && ReadAll(file, &head, sizeof head) && HeadFits(head, print, size.QuadPart);
    if (ok) {
        records = (PHOTORECORD *)std::calloc(head.count ? head.count : 1, sizeof *records);
        pool = (wchar_t *)std::calloc(head.poolchars ? head.poolchars : 1, sizeof *pool);
        ok = records && pool && ReadAll(file, records, uint64_t(head.count) * sizeof *records) &&
             ReadAll(file, pool, uint64_t(head.poolchars) * sizeof *pool);
    }
    CloseHandle(file);
    if (ok) {
        unsigned long crc = Crc(0, records, uint64_t(head.count) * sizeof *records);
        crc = HeadCrc(Crc(crc, pool, uint64_t(head.poolchars) * sizeof *pool), head);
        ok = crc == head.check && RecordsFit(head, records, pool) &&
             (head.lastpath == kNone || SetLastPath(place, pool + head.lastpath, head.lastlength));
    }
    if (!ok) {
        std::free(records);
        std::free(pool);
        return false;
    }
    *catalogue = CATALOGUE{records, head.count, head.count ? head.count : 1, pool, head.poolchars,
                           head.poolchars ? head.poolchars : 1};
    place->round = head.round, place->last = head.last, place->lastmoment = head.lastmoment;
    *sortedby = head.sortedby, *sorted = head.sorted;
    return true;
}

bool WriteCatalogue(const wchar_t *name, uint32_t print, const PHOTORECORD *records, uint32_t count,
                    const wchar_t *pool, const ORDERPLACE &place, DWORD sortedby, uint32_t sorted) {
    const size_t length = std::wcslen(name);
    wchar_t *temporary = (wchar_t *)std::calloc(length + 24, sizeof(wchar_t));
    Writer *writer = (Writer *)std::calloc(1, sizeof(Writer));
    bool ok = temporary && writer;
    if (ok) {
        // One temporary file per process: two players of the same folders
        // each finish their own, and the last rename wins whole.
        std::wmemcpy(temporary, name, length + 1);
        AppendText(temporary, L".");
        AppendHex(temporary, GetCurrentProcessId());
        AppendText(temporary, L".tmp");
        writer->file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = writer->file != INVALID_HANDLE_VALUE;
    }
    if (ok) {
        CATALOGUEHEAD head = {kCatalogueMagic, kCatalogueVersion, print, count, 0, place.round ? place.round : 1,
                              sortedby, sorted <= count ? sorted : count, place.last < count ? place.last : kNone,
                              kNone, 0, 0, place.lastmoment, 0, 0};
        writer->ok = true;
        // The header's room first; the header itself once its fields are known.
        Put(writer, &head, sizeof head);
        writer->crc = 0;
        PutBody(writer, &head, records, pool, place);
        Flush(writer);
        head.check = uint32_t(HeadCrc(writer->crc, head));
        LARGE_INTEGER start = {};
        DWORD wrote = 0;
        ok = writer->ok && SetFilePointerEx(writer->file, start, nullptr, FILE_BEGIN) &&
             WriteFile(writer->file, &head, sizeof head, &wrote, nullptr) && wrote == sizeof head;
        CloseHandle(writer->file);
        ok = ok && MoveFileExW(temporary, name, MOVEFILE_REPLACE_EXISTING);
        if (!ok) DeleteFileW(temporary);
    }
    std::free(writer);
    std::free(temporary);
    return ok;
}

}  // namespace photos
