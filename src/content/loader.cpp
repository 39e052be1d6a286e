// The show loader: finds the trailer at the end of the module file, checks
// the header block, reads every block into the store and checks the program
// part. Every check fails softly: the load returns 0 and frees the block it
// was building; blocks already stored go with the store.
//
// Lengths and counts come from the file and are checked against what the
// file can hold before anything is allocated, so a damaged file can neither
// make the loader read past a block nor ask for absurd amounts of memory.
#include "content/loader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "content/machine_identity.h"
#include "content/object_list.h"
#include "content/compress.h"
#include "content/crc32.h"
#include "content/jpeg.h"
#include "content/scrfile.h"
#include "imaging/dib.h"

namespace {

DWORD HeaderSize(DWORD type) {
    switch (type) {
        case TAG_HEAD: return SCRHEAD_SIZE;
        case TAG_IMAG: return SCRIMAGE_SIZE;
        case TAG_TEXT: return SCRTEXT_SIZE;
        case TAG_APPL: return SCRAPPLET_SIZE;
        case TAG_SOND: return SCRSOUND_SIZE;
        case TAG_ANIM: return SCRANIM_SIZE;
        case TAG_ENDB: return SCREND_SIZE;
        default: return 0;
    }
}

void *HeaderMember(BLOCK &block, DWORD type) {
    switch (type) {
        case TAG_HEAD: return &block.head;
        case TAG_IMAG: return &block.image;
        case TAG_TEXT: return &block.text;
        case TAG_APPL: return &block.applet;
        case TAG_SOND: return &block.sound;
        case TAG_ANIM: return &block.anim;
        case TAG_ENDB: return &block.trailer;
        default: return nullptr;
    }
}

// Bytes of a JPEG read at a time while looking for its frame header: the
// headers of most files, quantisation tables included, fit.
constexpr DWORD kJpegPiece = 512;

bool ReadHead(ScrFile &file, const Trailer &trailer, BLOCK *head) {
    return file.Seek(trailer.contentStart) && file.Read(&head->head, SCRHEAD_SIZE) &&
           head->head.type == TAG_HEAD && ml::crc32(0, &head->head, SCRHEAD_SIZE) == trailer.headCrc;
}

// The preview picture after the HEAD header, when it announces one.
// Depths other than 1, 4, 8 and 24 are refused: their rows would not fit
// the bitmap made for them.
bool ReadPreview(ScrFile &file, BLOCK *head) {
    if (head->head.preview != 1) return true;
    DIBHEADER info;
    if (!(head->head.flags & SCRF_VALID) || !file.Read(&info, sizeof info)) return false;
    const unsigned bits = info.biBitCount;
    const unsigned long size = DibSize(info.biWidth, info.biHeight, bits);
    const DWORD colours = DibColourCount(bits);
    if (size == 0 || size - DIBHEADER_SIZE > file.Remaining()) return false;

    RGBQUAD entries[256];
    BYTE palette[768] = {};
    if (!file.Read(entries, colours * sizeof(RGBQUAD))) return false;
    for (DWORD i = 0; i < colours; ++i) {
        palette[3 * i] = entries[i].rgbRed;
        palette[3 * i + 1] = entries[i].rgbGreen;
        palette[3 * i + 2] = entries[i].rgbBlue;
    }
    HGLOBAL dib = CreateDib(info.biWidth, info.biHeight, palette, bits);
    BYTE *start = dib ? (BYTE *)GlobalLock(dib) : nullptr;
    const DWORD rows = size - DIBHEADER_SIZE - colours * sizeof(RGBQUAD);
    const bool ok = start && file.Read(start + DIBHEADER_SIZE + colours * sizeof(RGBQUAD), rows);
    if (start) GlobalUnlock(dib);
    if (!ok) {
        if (dib) GlobalFree(dib);
        return false;
    }
    head->data = dib;
    return true;
}

// One picture or sound object of an APPL block, appended to its list.
// `remaining` is what is left of the block for the objects and the text.
bool ReadObject(ScrFile &file, HGLOBAL *list, int *count, bool picture, bool compressed, DWORD *remaining) {
    APPLETOBJECT record;
    if (*remaining < APPLETOBJECT_SIZE || !file.Read(&record, sizeof record)) return false;
    *remaining -= APPLETOBJECT_SIZE;
    const bool kindOk = picture ? record.kind == TAG_PICT : record.kind == TAG_WAVE || record.kind == TAG_MIDI;
    if (!kindOk || record.size > *remaining) return false;
    *remaining -= record.size;

    HGLOBAL data = 0;
    if (compressed) {
        BYTE *stored = (BYTE *)std::calloc(record.size + 16, 1);
        unsigned long inflated = record.size;
        if (stored && file.Read(stored, record.size)) data = UncompressData(stored, &inflated, 1);
        std::free(stored);
        record.size = inflated;
    } else {
        data = file.ReadBlock(record.size);
    }
    if (!data) return false;
    if (SetObjectData(record, data) && AddAppletObject((void **)list, count, &record)) return true;
    GlobalFree(data);
    return false;
}

// The objects and the script text that follow an APPL header.
bool ReadAppletData(ScrFile &file, BLOCK &block, DWORD remaining) {
    const unsigned long long objects = (unsigned long long)block.applet.picturecount + block.applet.soundcount;
    if (objects > remaining / APPLETOBJECT_SIZE) return false;  // the block cannot hold them
    const bool compressed = (block.applet.flags & SCRF_COMPRESSED) != 0;
    for (DWORD i = 0; i < block.applet.picturecount; ++i)
        if (!ReadObject(file, &block.pictures, &block.picturecount, true, compressed, &remaining)) return false;
    for (DWORD i = 0; i < block.applet.soundcount; ++i)
        if (!ReadObject(file, &block.sounds, &block.soundcount, false, false, &remaining)) return false;
    block.data = file.ReadBlock(remaining);
    return block.data != 0;
}

// Whether the JPEG of `size` bytes at the file's position is one the decoder
// takes. Only its header up to the frame is read, a small piece at a time;
// segments before the frame (a large EXIF segment, say) are stepped over
// by their lengths, so a show of thousands of photos reads a few hundred
// bytes of each at start-up.
bool CheckStoredJpeg(ScrFile &file, DWORD size, ml::JPEGINFO *info) {
    const ULONGLONG start = file.Position();
    ml::JPEGWALK walk;
    walk.size = size;
    // Most pieces fit the one on the stack, so a show of thousands of photos
    // asks the heap for nothing here; a larger one is a C buffer (a growing
    // std::vector would link the run-time's exception and string code, and
    // their imports, into the player).
    struct Piece {
        BYTE small[kJpegPiece];
        BYTE *grown = nullptr;
        ~Piece() { std::free(grown); }
        BYTE *Room(DWORD size) {
            if (size <= sizeof small) return small;
            BYTE *more = (BYTE *)std::realloc(grown, size);
            return more ? (grown = more) : nullptr;
        }
    } piece;
    for (;;) {
        const ULONGLONG left = size - walk.at;
        const DWORD want = DWORD(std::min<ULONGLONG>(std::max<ULONGLONG>(walk.need, kJpegPiece), left));
        BYTE *bytes = want ? piece.Room(want) : nullptr;
        if (!bytes) return false;
        // The next piece follows the last unless a segment was stepped over.
        if (file.Position() != start + walk.at && !file.Seek(start + walk.at)) return false;
        if (!file.Read(bytes, want)) return false;
        const ml::JPEGCHECK check = ml::StepJpegCheck(bytes, want, &walk, info);
        if (check != ml::JPEG_MORE) return check == ml::JPEG_OK;
    }
}

// A JPEG picture stays in the file until its item starts, so a show of a
// thousand photos starts as fast as one of ten and holds only the one on
// the screen. The block keeps where it lies (in `auxhandle`); its header
// must be one the decoder takes.
bool ReadJpeg(ScrFile &file, BLOCK &block, DWORD size) {
    JPEGPLACE place = {file.Position(), size, 0, 0};
    ml::JPEGINFO info;
    if (!CheckStoredJpeg(file, size, &info)) return false;
    place.width = info.width, place.height = info.height;
    block.auxhandle = GlobalAlloc(GMEM_FIXED, sizeof place);
    void *stored = block.auxhandle ? GlobalLock(block.auxhandle) : nullptr;
    if (stored) {
        std::memcpy(stored, &place, sizeof place);
        GlobalUnlock(block.auxhandle);
    }
    return stored != nullptr;
}

// The data of a block whose header has been read: `size` bytes on disk.
bool ReadBlockData(ScrFile &file, BLOCK &block, DWORD size) {
    switch (block.type) {
        case TAG_IMAG:
            if (block.image.flags & SCRF_JPEG) return ReadJpeg(file, block, size);
            if (block.image.flags & SCRF_COMPRESSED) {
                unsigned long count = size;
                block.data = UncompressDibFromFile(file.Handle(), &count);
                return block.data != 0;
            }
            break;
        case TAG_ANIM: {
            if (!(block.anim.flags & SCRF_COMPRESSED)) break;
            unsigned long count = size;
            block.data = UncompressDataFromFile(file.Handle(), &count, 1);
            return block.data != 0;
        }
        case TAG_TEXT:
            // Always followed by zero bytes, so the text ends in memory.
            block.data = file.ReadBlock(size, 16);
            return block.data != 0;
        case TAG_APPL:
            return ReadAppletData(file, block, size);
    }
    block.data = file.ReadBlock(size);
    return block.data != 0;
}

// The photo's name stored between an IMAG header and its picture, kept in
// `auxhandle2` and followed by a zero byte; the picture's `size` shrinks by
// it, and its data starts after it.
bool ReadCaption(ScrFile &file, BLOCK &block, DWORD *size) {
    const DWORD length = block.image.captionlength;
    if (length == 0) return true;
    if (length > MAXCAPTIONLENGTH || length > *size) return false;
    *size -= length;
    block.auxhandle2 = file.ReadBlock(length, 1);
    return block.auxhandle2 != 0;
}

// A block of a type the player knows, at `position`, into the store.
bool LoadDataBlock(ScrFile &file, HWND list, BLOCKSET *set, DWORD type, ULONGLONG position, DWORD length,
                   WORD sequence) {
    BLOCK block;
    CreateBlock(nullptr, set, &block, type, 0, 0);
    block.sequence = sequence;
    const DWORD headerSize = block.headerlength;
    const SCRBLOCKPREFIX *prefix = (const SCRBLOCKPREFIX *)HeaderMember(block, type);
    if (length < headerSize || !file.Seek(position) || !file.Read(HeaderMember(block, type), headerSize) ||
        !(prefix->flags & SCRF_VALID))
        return false;
    DWORD size = length - headerSize;
    if ((type != TAG_IMAG || ReadCaption(file, block, &size)) && ReadBlockData(file, block, size) &&
        AppendBlock(list, set, &block))
        return true;
    DestroyBlock(&block);
    return false;
}

bool IsDataBlock(DWORD type) {
    return type == TAG_IMAG || type == TAG_TEXT || type == TAG_APPL || type == TAG_SOND || type == TAG_ANIM;
}

// Follows the chain from `position` to the trailer (or a block of length 0).
// A block must hold at least its type and length and end inside the file,
// so the chain always moves forward and ends.
bool ReadChain(ScrFile &file, HWND list, BLOCKSET *set, ULONGLONG position) {
    WORD sequence = 0;
    for (;;) {
        SCRBLOCKPREFIX prefix;
        if (!file.Seek(position) || !file.Read(&prefix, 8)) return false;
        if (prefix.type == TAG_ENDB) return true;
        if (prefix.length != 0 && (prefix.length < 8 || prefix.length > file.Size() - position)) return false;
        if (IsDataBlock(prefix.type) &&
            !LoadDataBlock(file, list, set, prefix.type, position, prefix.length, sequence++))
            return false;
        if (prefix.length == 0) return true;
        position += prefix.length;
    }
}

// The CRC-32 of the program part must match the trailer's check.
bool CheckProgram(ScrFile &file, const Trailer &trailer) {
    std::vector<BYTE> chunk(64 * 1024);
    unsigned long crc = 0;
    if (!file.Seek(0)) return false;
    for (ULONGLONG left = trailer.contentStart; left > 0;) {
        const DWORD n = left < chunk.size() ? DWORD(left) : DWORD(chunk.size());
        if (!file.Read(chunk.data(), n)) return false;
        crc = ml::crc32(crc, chunk.data(), n);
        left -= n;
    }
    return crc == trailer.programCheck;
}

int LoadShow(HWND list, BLOCKSET *set, const char *path) {
    ScrFile file(path);
    Trailer trailer;
    if (!file.IsOpen() || !ReadTrailer(file, &trailer)) return 0;
    BLOCK head;
    CreateBlock(nullptr, set, &head, TAG_HEAD, 0, 0);
    if (!ReadHead(file, trailer, &head) || !ReadPreview(file, &head)) return 0;
    if (!AppendBlock(list, set, &head)) {
        DestroyBlock(&head);
        return 0;
    }
    if (head.head.length > file.Size() - trailer.contentStart) return 0;
    if (!ReadChain(file, list, set, trailer.contentStart + head.head.length)) return 0;
    if (!CheckProgram(file, trailer)) return 0;
    set->reserved[0] = 0;
    lstrcpynA(set->path, path, sizeof set->path);
    return 1;
}

}  // namespace

int LoadScrFile(HWND list, BLOCKSET *set, const char *path) {
    // The store's list box is never shown: with its drawing held off it does
    // not work out its scroll bar at each of thousands of appended blocks.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    const int loaded = LoadShow(list, set, path);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    return loaded;
}

int ShowAppended(const char *path) {
    ScrFile file(path);
    SCREND end;
    return file.IsOpen() && file.Size() >= SCREND_SIZE && file.Seek(file.Size() - SCREND_SIZE) &&
                   file.Read(&end, sizeof end) && end.type == TAG_ENDB
               ? 1
               : 0;
}

int LoadHeaderBlock(HWND, BLOCK *out, const char *path, BLOCKSET *owner) {
    ScrFile file(path);
    Trailer trailer;
    if (!file.IsOpen() || !ReadTrailer(file, &trailer)) return 0;
    CreateBlock(nullptr, owner, out, TAG_HEAD, 0, 0);
    return ReadHead(file, trailer, out) && ReadPreview(file, out) ? 1 : 0;
}

int CreateBlock(HWND, BLOCKSET *owner, BLOCK *out, DWORD type, HGLOBAL data, int) {
    std::memset(out, 0, sizeof *out);
    out->blockset = owner;
    const DWORD size = HeaderSize(type);
    if (size == 0) return 0;
    out->type = type;
    out->headerlength = size;
    SCRBLOCKPREFIX *prefix = (SCRBLOCKPREFIX *)HeaderMember(*out, type);
    prefix->type = type;
    prefix->length = size;
    switch (type) {
        case TAG_HEAD:
            out->head.screenwide = GetSystemMetrics(SM_CXSCREEN);
            out->head.screendeep = GetSystemMetrics(SM_CYSCREEN);
            out->head.created = uint32_t(std::time(nullptr));
            out->head.creatorversion = CREATORVERSION;
            GetMachineName(out->head.owner, out->head.organisation);
            break;
        case TAG_IMAG:
        case TAG_ANIM:
            out->data = data;
            break;
        case TAG_SOND:
            out->data = data;
            out->sound.datasize = data ? DWORD(GlobalSize(data)) : 0;
            break;
    }
    return 1;
}

int GetJpegPlace(const BLOCK *block, JPEGPLACE *place) {
    const bool jpeg = block->type == TAG_IMAG && (block->image.flags & SCRF_JPEG) && block->auxhandle &&
                      GlobalSize(block->auxhandle) >= sizeof *place;
    const void *stored = jpeg ? GlobalLock(block->auxhandle) : nullptr;
    if (!stored) return 0;
    std::memcpy(place, stored, sizeof *place);
    GlobalUnlock(block->auxhandle);
    return 1;
}

HGLOBAL ReadJpegPicture(const BLOCK *block, const char *path) {
    JPEGPLACE place;
    if (!GetJpegPlace(block, &place)) return 0;
    ScrFile file(path);
    return file.IsOpen() && file.Seek(place.offset) ? file.ReadBlock(place.size) : 0;
}

int GetHeaderBlock(HWND list, BLOCKSET *, BLOCK *out) {
    if (!list) return 0;
    const int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    BLOCK block;
    for (int i = 0; i < count; ++i) {
        if (GetBlock(list, i, &block) && block.type == TAG_HEAD) {
            *out = block;
            return 1;
        }
    }
    return 0;
}
