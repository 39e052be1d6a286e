// EXIF orientation and date: the segment found by the JPEG marker walk and a
// bounded walk to the tag in it.
#include "content/exif.h"

#include "content/jpeg.h"

namespace ml {

namespace {

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
    const size_t entry = FindEntry(tiff, tiff.U32(4), EXIFTAG_ORIENTATION);
    if (!entry || tiff.U16(entry + 2) != EXIFTYPE_SHORT || tiff.U32(entry + 4) < 1) return ORIENTATION_UPRIGHT;
    const uint32_t value = tiff.U16(entry + 8);
    return value >= 1 && value <= 8 ? value : ORIENTATION_UPRIGHT;
}

// DateTimeOriginal of the EXIF directory that IFD0 points to.
uint32_t TiffTakenDate(const Tiff &tiff, const uint8_t *data) {
    const size_t pointer = FindEntry(tiff, tiff.U32(4), EXIFTAG_EXIFDIRECTORY);
    if (!pointer || tiff.U16(pointer + 2) != EXIFTYPE_LONG) return 0;
    const size_t entry = FindEntry(tiff, tiff.U32(pointer + 8), EXIFTAG_DATETIMEORIGINAL);
    // "YYYY:MM:DD HH:MM:SS" and its zero: 20 bytes, stored apart from the entry.
    if (!entry || tiff.U16(entry + 2) != EXIFTYPE_ASCII || tiff.U32(entry + 4) < 11) return 0;
    const size_t at = tiff.U32(entry + 8);
    if (at > tiff.size() || tiff.size() - at < 10) return 0;
    return ExifDateNumber(reinterpret_cast<const char *>(data + at));
}

// The TIFF structure of the first EXIF segment (APP1 "Exif") of a JPEG;
// false when there is none before the first scan.
bool FindExif(const uint8_t *data, size_t size, const uint8_t **tiff, size_t *tiffSize) {
    size_t segmentSize = 0;
    const uint8_t *segment = FindJpegSegment(data, size, EXIF_MARKER, EXIF_NAME, sizeof EXIF_NAME, &segmentSize);
    if (!segment) return false;
    *tiff = segment + sizeof EXIF_NAME;
    *tiffSize = segmentSize - sizeof EXIF_NAME;
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

}  // namespace ml
