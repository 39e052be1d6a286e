// Photo files made into pictures for a screen: read whole, told apart by
// their first bytes, decoded, turned upright and fitted.
//
// A JPEG goes through the show's JPEG decoder, scaled straight from its rows;
// one turned a quarter by its EXIF orientation is fitted to the screen turned
// the same way, and only the small fitted picture is turned. PNG, BMP and GIF
// go through stb_image and the fit scaler.
#include "imaging/photo_file.h"

#include <stb/stb_image.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "content/exif.h"
#include "content/jpeg.h"
#include "imaging/jpeg_decode.h"
#include "imaging/scale.h"
#include "imaging/turn.h"

namespace {

enum PHOTOKIND { PHOTO_UNKNOWN, PHOTO_JPEG, PHOTO_OTHER };

// The most pixels a PNG, BMP or GIF may have, judged from its header before
// anything is decoded: a small file can declare a huge picture. The JPEG
// decoder's own bound, so every format stops at the same size.
constexpr unsigned long long kLargestPhotoPixels = ml::MAXJPEGPIXELS;
// Bytes read at a time, with a look at *stop between pieces.
constexpr DWORD kReadPiece = 4u << 20;
// Bytes read first for a photo's size: the headers of PNG, BMP and GIF and
// a JPEG's whole EXIF segment lie in them.
constexpr DWORD kHeaderPiece = DWORD(ml::EXIF_HEADBYTES);

bool Stopped(const volatile LONG *stop) { return stop && *stop; }

// JPEG (fill bytes may come before its start marker), PNG, BMP or GIF by
// the first bytes of the file.
PHOTOKIND KindOf(const BYTE *bytes, SIZE_T size) {
    static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 3 && bytes[0] == 0xFF && (bytes[1] == 0xD8 || bytes[1] == 0xFF)) return PHOTO_JPEG;
    if (size >= 8 && std::memcmp(bytes, kPng, sizeof kPng) == 0) return PHOTO_OTHER;
    if (size >= 6 && std::memcmp(bytes, "GIF8", 4) == 0) return PHOTO_OTHER;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return PHOTO_OTHER;
    return PHOTO_UNKNOWN;
}

// Opens the file for reading, at any length of its path.
HANDLE OpenPhoto(const wchar_t *path) {
    wchar_t *full = FullLengthPath(path);
    HANDLE file = full ? CreateFileW(full, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                       : INVALID_HANDLE_VALUE;
    std::free(full);
    return file;
}

// Reads `size` bytes, piece by piece; false when the file ends early, a
// read fails or *stop is set.
bool ReadAll(HANDLE file, BYTE *bytes, DWORD size, const volatile LONG *stop) {
    for (DWORD at = 0; at < size;) {
        const DWORD piece = size - at < kReadPiece ? size - at : kReadPiece;
        DWORD got = 0;
        if (Stopped(stop) || !ReadFile(file, bytes + at, piece, &got, nullptr) || got == 0) return false;
        at += got;
    }
    return true;
}

// The whole file in a new movable block of exactly its size; 0 when it
// cannot be opened or read, is empty or larger than kLargestPhotoFile.
HGLOBAL ReadPhotoFile(const wchar_t *path, const volatile LONG *stop) {
    HANDLE file = OpenPhoto(path);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size = {};
    HGLOBAL block = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= LONGLONG(kLargestPhotoFile))
        block = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(size.QuadPart));
    BYTE *bytes = block ? static_cast<BYTE *>(GlobalLock(block)) : nullptr;
    const bool read = bytes && ReadAll(file, bytes, DWORD(size.QuadPart), stop);
    if (bytes) GlobalUnlock(block);
    CloseHandle(file);
    if (!read && block) {
        GlobalFree(block);
        block = 0;
    }
    return block;
}

// A JPEG's picture, upright and fitted; its EXIF date and upright size into
// `found`.
HGLOBAL DecodeJpegPhoto(HGLOBAL file, DWORD fit, int wide, int deep, const volatile LONG *stop, PHOTOFACTS *found) {
    const BYTE *bytes = static_cast<const BYTE *>(GlobalLock(file));
    if (!bytes) return 0;
    const SIZE_T size = GlobalSize(file);
    ml::JPEGINFO info;
    const bool sound = ml::CheckJpeg(bytes, size, &info) == ml::JPEG_OK;
    const uint32_t orientation = ml::ExifOrientation(bytes, size);
    found->takendate = ml::ExifTakenDate(bytes, size);
    GlobalUnlock(file);
    if (!sound) return 0;
    const bool swap = ml::OrientationSwapsSides(orientation);
    found->wide = int(swap ? info.height : info.width);
    found->deep = int(swap ? info.width : info.height);
    HGLOBAL stored = DecodeJpegToFittedDib(file, fit, swap ? deep : wide, swap ? wide : deep, stop);
    if (!stored || orientation == ml::ORIENTATION_UPRIGHT || Stopped(stop)) return stored;
    HGLOBAL upright = TurnDib(stored, orientation);
    GlobalFree(stored);
    return upright;
}

// RGBA pixels made RGB in place, each laid over black by its alpha: what
// shows through a transparent part is the screen's black.
void DropAlpha(BYTE *pixels, size_t count) {
    const BYTE *in = pixels;
    BYTE *out = pixels;
    for (size_t i = 0; i < count; ++i, in += 4, out += 3) {
        const unsigned alpha = in[3];
        for (int c = 0; c < 3; ++c) out[c] = BYTE((in[c] * alpha + 127) / 255);
    }
}

// A PNG's, BMP's or GIF's (first frame's) picture, fitted; its size into `found`.
HGLOBAL DecodeOtherPhoto(const BYTE *bytes, SIZE_T size, DWORD fit, int wide, int deep, const volatile LONG *stop,
                         PHOTOFACTS *found) {
    int width = 0, height = 0, channels = 0;
    if (size > 0x7FFFFFFF || !stbi_info_from_memory(bytes, int(size), &width, &height, &channels) || width <= 0 ||
        height <= 0 || (unsigned long long)width * (unsigned long long)height > kLargestPhotoPixels)
        return 0;
    const bool alpha = channels == 2 || channels == 4;
    BYTE *pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, alpha ? 4 : 3);
    if (!pixels) return 0;
    HGLOBAL picture = 0;
    if (!Stopped(stop) && width > 0 && height > 0 &&
        (unsigned long long)width * (unsigned long long)height <= kLargestPhotoPixels) {
        if (alpha) DropAlpha(pixels, size_t(width) * size_t(height));
        picture = DibFromRgbRows(pixels, width, height, fit, wide, deep);
    }
    stbi_image_free(pixels);
    found->wide = width, found->deep = height;
    return picture;
}

// Reads up to `size` bytes at `offset`; how many.
DWORD ReadAt(HANDLE file, uint64_t offset, BYTE *bytes, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFile(file, bytes, size, &got, nullptr)) return 0;
    return got;
}

// A JPEG's stored size from its markers, read piece by piece from `file`
// (`head` its first `count` bytes): segments before the frame are stepped
// over, never read.
bool JpegFrameSize(HANDLE file, uint64_t size, BYTE *head, DWORD count, ml::JPEGINFO *info) {
    ml::JPEGWALK walk;
    walk.size = size;
    BYTE *bytes = head;
    for (int pieces = 0; pieces < 64; ++pieces) {
        const ml::JPEGCHECK check = ml::StepJpegCheck(bytes, count, &walk, info);
        if (check != ml::JPEG_MORE) return check == ml::JPEG_OK;
        if (walk.need > kHeaderPiece) return false;
        const DWORD want = DWORD(walk.size - walk.at < kHeaderPiece ? walk.size - walk.at : kHeaderPiece);
        count = ReadAt(file, walk.at, head, want);
        if (count < walk.need && count < want) return false;
    }
    return false;
}

// The upright size that the header bytes `head` (`count` of them, the
// whole file `size`) give.
bool HeaderSize(HANDLE file, uint64_t size, BYTE *head, DWORD count, int *wide, int *deep) {
    const PHOTOKIND kind = KindOf(head, count);
    if (kind == PHOTO_OTHER) {
        int channels = 0;
        return stbi_info_from_memory(head, int(count), wide, deep, &channels) && *wide > 0 && *deep > 0 &&
               (unsigned long long)*wide * (unsigned long long)*deep <= kLargestPhotoPixels;
    }
    if (kind != PHOTO_JPEG) return false;
    // The orientation first: the walk reads over the head.
    const bool swap = ml::OrientationSwapsSides(ml::ExifOrientation(head, count));
    ml::JPEGINFO info;
    if (!JpegFrameSize(file, size, head, count, &info)) return false;
    *wide = int(swap ? info.height : info.width);
    *deep = int(swap ? info.width : info.height);
    return true;
}

}  // namespace

bool ReadPhotoSize(const wchar_t *path, int *wide, int *deep) {
    *wide = *deep = 0;
    HANDLE file = path ? OpenPhoto(path) : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    BYTE *head = static_cast<BYTE *>(std::malloc(kHeaderPiece));
    DWORD count = 0;
    const bool read = head && GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
                      size.QuadPart <= LONGLONG(kLargestPhotoFile) &&
                      ReadFile(file, head, kHeaderPiece, &count, nullptr) && count > 0;
    const bool known = read && HeaderSize(file, uint64_t(size.QuadPart), head, count, wide, deep);
    std::free(head);
    CloseHandle(file);
    if (!known) *wide = *deep = 0;
    return known;
}

wchar_t *FullLengthPath(const wchar_t *path) {
    const size_t length = std::wcslen(path);
    const bool drive = length >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool network = length >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
    const bool prefixed = length >= MAX_PATH && (drive || network);
    // "\\server\share" becomes "\\?\UNC\server\share": the prefix takes the place of its first backslash.
    const wchar_t *prefix = !prefixed ? L"" : drive ? L"\\\\?\\" : L"\\\\?\\UNC";
    const wchar_t *rest = prefixed && network ? path + 1 : path;
    const size_t prefixlength = std::wcslen(prefix), restlength = std::wcslen(rest);
    wchar_t *full = static_cast<wchar_t *>(std::calloc(prefixlength + restlength + 1, sizeof(wchar_t)));
    if (!full) return nullptr;
    std::memcpy(full, prefix, prefixlength * sizeof(wchar_t));
    std::memcpy(full + prefixlength, rest, restlength * sizeof(wchar_t));
    return full;
}

HGLOBAL DecodePhotoFile(const wchar_t *path, DWORD fit, int wide, int deep, const volatile LONG *stop,
                        PHOTOFACTS *facts) {
    if (facts) *facts = PHOTOFACTS{};
    // A fit mode or a screen size that fits no picture: the file is not read.
    RECT part;
    SIZE size;
    if (!path || !FitPicture(1, 1, wide, deep, fit, &part, &size)) return 0;
    HGLOBAL file = ReadPhotoFile(path, stop);
    const BYTE *bytes = file ? static_cast<const BYTE *>(GlobalLock(file)) : nullptr;
    const PHOTOKIND kind = bytes ? KindOf(bytes, GlobalSize(file)) : PHOTO_UNKNOWN;
    PHOTOFACTS found = {};
    HGLOBAL picture = 0;
    if (kind == PHOTO_OTHER && !Stopped(stop))
        picture = DecodeOtherPhoto(bytes, GlobalSize(file), fit, wide, deep, stop, &found);
    if (bytes) GlobalUnlock(file);
    if (kind == PHOTO_JPEG && !Stopped(stop)) picture = DecodeJpegPhoto(file, fit, wide, deep, stop, &found);
    if (file) GlobalFree(file);
    if (picture && Stopped(stop)) {
        GlobalFree(picture);
        picture = 0;
    }
    if (picture && facts) *facts = found;
    return picture;
}
