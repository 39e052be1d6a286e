// The day taken from a JPEG's EXIF segment: a bounded walk from the first
// directory to the EXIF directory's DateTimeOriginal. JpegTakenDate is the
// one entry, so a shared EXIF reader can take its place whole.
#include "photos/taken_date.h"

#include "content/jpeg.h"

namespace photos {
namespace {

constexpr uint8_t kApp1 = 0xE1;
constexpr char kExifName[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint32_t kExifDirectoryTag = 0x8769, kDateTimeOriginalTag = 0x9003, kAsciiType = 2, kLongType = 4;

// The TIFF structure in the EXIF segment, in its own byte order; reads past
// its end give 0.
struct Tiff {
    const uint8_t *data;
    size_t size;
    bool big;

    uint32_t U16(size_t at) const {
        if (at > size || size - at < 2) return 0;
        return big ? uint32_t(data[at]) << 8 | data[at + 1] : uint32_t(data[at + 1]) << 8 | data[at];
    }
    uint32_t U32(size_t at) const { return big ? U16(at) << 16 | U16(at + 2) : U16(at + 2) << 16 | U16(at); }
};

// The 12-byte entry of `tag` in the directory at `directory`, or 0.
size_t FindEntry(const Tiff &tiff, size_t directory, uint32_t tag) {
    if (directory < 8 || directory >= tiff.size) return 0;
    const size_t entries = tiff.U16(directory);
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + 12 * i;
        if (entry > tiff.size || tiff.size - entry < 12) break;
        if (tiff.U16(entry) == tag) return entry;
    }
    return 0;
}

bool IsLeap(uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// "YYYY:MM:DD" as yyyymmdd; 0 when it is no real day.
uint32_t DayNumber(const uint8_t *text) {
    const int digits[8] = {0, 1, 2, 3, 5, 6, 8, 9};
    uint32_t value = 0;
    for (int at : digits) {
        if (text[at] < '0' || text[at] > '9') return 0;
        value = value * 10 + uint32_t(text[at] - '0');
    }
    if (text[4] != ':' || text[7] != ':') return 0;
    static const uint8_t kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const uint32_t year = value / 10000, month = value / 100 % 100, day = value % 100;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return 0;
    return month == 2 && day == 29 && !IsLeap(year) ? 0 : value;
}

}  // namespace

uint32_t JpegTakenDate(const uint8_t *data, size_t size) {
    size_t length = 0;
    const uint8_t *segment = ml::FindJpegSegment(data, size, kApp1, kExifName, sizeof kExifName, &length);
    if (!segment || length < sizeof kExifName + 8) return 0;
    Tiff tiff = {segment + sizeof kExifName, length - sizeof kExifName, false};
    if (tiff.data[0] == 'M' && tiff.data[1] == 'M') tiff.big = true;
    else if (tiff.data[0] != 'I' || tiff.data[1] != 'I') return 0;
    if (tiff.U16(2) != 42) return 0;
    const size_t pointer = FindEntry(tiff, tiff.U32(4), kExifDirectoryTag);
    if (!pointer || tiff.U16(pointer + 2) != kLongType) return 0;
    const size_t entry = FindEntry(tiff, tiff.U32(pointer + 8), kDateTimeOriginalTag);
    // "YYYY:MM:DD HH:MM:SS" and its null, stored apart from the entry.
    if (!entry || tiff.U16(entry + 2) != kAsciiType || tiff.U32(entry + 4) < 11) return 0;
    const size_t at = tiff.U32(entry + 8);
    if (at > tiff.size || tiff.size - at < 10) return 0;
    return DayNumber(tiff.data + at);
}

uint32_t FileTakenDate(const wchar_t *path, uint8_t *header) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    const bool read = ReadFile(file, header, kDateHeaderBytes, &got, nullptr) != 0;
    CloseHandle(file);
    return read ? JpegTakenDate(header, got) : 0;
}

}  // namespace photos
