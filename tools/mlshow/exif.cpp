// EXIF orientation and date: the segment found by the JPEG marker walk, a
// bounded walk to the tag in it, and the turn it asks for.
#include "exif.h"

#include <cstring>

#include "content/jpeg.h"

namespace mlshow {

namespace {

constexpr uint8_t kMarker = 0xFF, kApp1 = 0xE1;
constexpr uint16_t kOrientationTag = 0x0112, kShortType = 3;
constexpr uint16_t kExifDirectoryTag = 0x8769, kDateTimeOriginalTag = 0x9003, kAsciiType = 2, kLongType = 4;
constexpr char kExifName[6] = {'E', 'x', 'i', 'f', 0, 0};

// The TIFF structure inside an EXIF segment, read in its own byte order.
class Tiff {
public:
    Tiff(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool ReadOrder() {
        if (size_ < 8) return false;
        if (data_[0] == 'I' && data_[1] == 'I') big_ = false;
        else if (data_[0] == 'M' && data_[1] == 'M') big_ = true;
        else return false;
        return U16(2) == 42;
    }
    // Zero past the end, so each field is read once and checked where used.
    uint32_t U16(size_t at) const {
        if (at > size_ || size_ - at < 2) return 0;
        return big_ ? uint32_t(data_[at]) << 8 | data_[at + 1] : uint32_t(data_[at + 1]) << 8 | data_[at];
    }
    uint32_t U32(size_t at) const { return big_ ? U16(at) << 16 | U16(at + 2) : U16(at + 2) << 16 | U16(at); }
    size_t size() const { return size_; }

private:
    const uint8_t *data_;
    size_t size_;
    bool big_ = false;
};

// The 12-byte entry of `tag` in the directory at `directory`; 0 when the
// directory or the tag is not there.
size_t FindEntry(const Tiff &tiff, size_t directory, uint16_t tag) {
    const size_t size = tiff.size();
    if (directory < 8 || directory > size || size - directory < 2) return 0;
    const size_t entries = tiff.U16(directory);
    // Each entry: tag, type, count (16, 16, 32 bits), then a 4-byte value field.
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + 12 * i;
        if (entry > size || size - entry < 12) break;
        if (tiff.U16(entry) == tag) return entry;
    }
    return 0;
}

// The orientation in the first directory (IFD0) of a TIFF structure.
uint32_t TiffOrientation(const Tiff &tiff) {
    const size_t entry = FindEntry(tiff, tiff.U32(4), kOrientationTag);
    if (!entry || tiff.U16(entry + 2) != kShortType || tiff.U32(entry + 4) < 1) return ORIENTATION_UPRIGHT;
    const uint32_t value = tiff.U16(entry + 8);
    return value >= 1 && value <= 8 ? value : ORIENTATION_UPRIGHT;
}

// DateTimeOriginal of the EXIF directory that IFD0 points to.
uint32_t TiffTakenDate(const Tiff &tiff, const uint8_t *data) {
    const size_t pointer = FindEntry(tiff, tiff.U32(4), kExifDirectoryTag);
    if (!pointer || tiff.U16(pointer + 2) != kLongType) return 0;
    const size_t entry = FindEntry(tiff, tiff.U32(pointer + 8), kDateTimeOriginalTag);
    // "YYYY:MM:DD HH:MM:SS" and its zero: 20 bytes, stored apart from the entry.
    if (!entry || tiff.U16(entry + 2) != kAsciiType || tiff.U32(entry + 4) < 11) return 0;
    const size_t at = tiff.U32(entry + 8);
    if (at > tiff.size() || tiff.size() - at < 10) return 0;
    return ExifDateNumber(reinterpret_cast<const char *>(data + at));
}

// The TIFF structure of the first EXIF segment (APP1 "Exif") of a JPEG;
// false when there is none before the first scan.
bool FindExif(const uint8_t *data, size_t size, const uint8_t **tiff, size_t *tiffSize) {
    size_t segmentSize = 0;
    const uint8_t *segment = ml::FindJpegSegment(data, size, kApp1, kExifName, sizeof kExifName, &segmentSize);
    if (!segment) return false;
    *tiff = segment + sizeof kExifName;
    *tiffSize = segmentSize - sizeof kExifName;
    return true;
}

}  // namespace

uint32_t ExifOrientation(const uint8_t *data, size_t size) {
    const uint8_t *start = nullptr;
    size_t length = 0;
    if (!FindExif(data, size, &start, &length)) return ORIENTATION_UPRIGHT;
    Tiff tiff(start, length);
    return tiff.ReadOrder() ? TiffOrientation(tiff) : ORIENTATION_UPRIGHT;
}

uint32_t ExifTakenDate(const uint8_t *data, size_t size) {
    const uint8_t *start = nullptr;
    size_t length = 0;
    if (!FindExif(data, size, &start, &length)) return 0;
    Tiff tiff(start, length);
    return tiff.ReadOrder() ? TiffTakenDate(tiff, start) : 0;
}

uint32_t ExifDateNumber(const char *text) {
    uint32_t parts[3] = {0, 0, 0};
    const size_t widths[3] = {4, 2, 2};
    const char *p = text;
    for (int i = 0; i < 3; ++i) {
        for (size_t k = 0; k < widths[i]; ++k, ++p) {
            if (*p < '0' || *p > '9') return 0;
            parts[i] = parts[i] * 10 + uint32_t(*p - '0');
        }
        if (i < 2 && *p++ != ':') return 0;
    }
    const uint32_t date = parts[0] * 10000 + parts[1] * 100 + parts[2];
    return ValidDateNumber(date) ? date : 0;
}

bool ValidDateNumber(uint32_t yyyymmdd) {
    const uint32_t year = yyyymmdd / 10000, month = yyyymmdd / 100 % 100, day = yyyymmdd % 100;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const uint8_t kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= (month == 2 && !leap ? 28u : kDays[month - 1]);
}

Bytes WithExifTaken(const Bytes &jpeg, const std::string &dateTime, bool bigEndian) {
    if (jpeg.size() < 2) return jpeg;
    Bytes tiff;
    auto u16 = [&](uint32_t v) { tiff.insert(tiff.end(), {uint8_t(bigEndian ? v >> 8 : v), uint8_t(bigEndian ? v : v >> 8)}); };
    auto u32 = [&](uint32_t v) { bigEndian ? (u16(v >> 16), u16(v)) : (u16(v), u16(v >> 16)); };
    // The TIFF header; IFD0 (at 8) points to the EXIF directory (at 26),
    // whose one entry points to the 20-byte date text (at 44).
    constexpr uint32_t kTextLength = 20;
    u16(bigEndian ? 0x4D4D : 0x4949), u16(42), u32(8);
    u16(1), u16(kExifDirectoryTag), u16(kLongType), u32(1), u32(26), u32(0);
    u16(1), u16(kDateTimeOriginalTag), u16(kAsciiType), u32(kTextLength), u32(44), u32(0);
    std::string text = dateTime;
    text.resize(kTextLength - 1);
    tiff.insert(tiff.end(), text.begin(), text.end());
    tiff.push_back(0);
    // Start of image, the APP1 segment, then the rest of the file.
    const size_t length = 2 + sizeof kExifName + tiff.size();
    const uint8_t head[] = {jpeg[0], jpeg[1], kMarker, kApp1, uint8_t(length >> 8), uint8_t(length)};
    Bytes out(sizeof head + sizeof kExifName + tiff.size() + jpeg.size() - 2);
    std::memcpy(out.data(), head, sizeof head);
    std::memcpy(out.data() + sizeof head, kExifName, sizeof kExifName);
    std::memcpy(out.data() + sizeof head + sizeof kExifName, tiff.data(), tiff.size());
    std::memcpy(out.data() + sizeof head + length - 2, jpeg.data() + 2, jpeg.size() - 2);
    return out;
}

bool OrientationSwapsSides(uint32_t orientation) { return orientation >= 5 && orientation <= 8; }

Image Orient(const Image &image, uint32_t orientation) {
    if (orientation < 2 || orientation > 8) return image;
    const uint32_t w = image.width, h = image.height;
    const bool swap = OrientationSwapsSides(orientation);
    Image out;
    out.width = swap ? h : w;
    out.height = swap ? w : h;
    out.rgba.resize(image.rgba.size());
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x) {
            // Where the pixel shown at (x, y) is stored.
            uint32_t sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;
                case 3: sx = w - 1 - x, sy = h - 1 - y; break;
                case 4: sy = h - 1 - y; break;
                case 5: sx = y, sy = x; break;
                case 6: sx = y, sy = h - 1 - x; break;
                case 7: sx = w - 1 - y, sy = h - 1 - x; break;
                case 8: sx = w - 1 - y, sy = x; break;
            }
            std::memcpy(out.Pixel(x, y), image.Pixel(sx, sy), 4);
        }
    return out;
}

}  // namespace mlshow
