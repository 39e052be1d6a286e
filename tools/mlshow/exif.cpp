// EXIF orientation: a bounded walk to the tag, and the turn it asks for.
#include "exif.h"

#include <cstring>

namespace mlshow {

namespace {

constexpr uint8_t kMarker = 0xFF, kApp1 = 0xE1, kStartOfScan = 0xDA, kEndOfImage = 0xD9;
constexpr uint16_t kOrientationTag = 0x0112, kShortType = 3;
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

// The orientation in the first directory (IFD0) of a TIFF structure.
uint32_t TiffOrientation(const uint8_t *data, size_t size) {
    Tiff tiff(data, size);
    if (!tiff.ReadOrder()) return ORIENTATION_UPRIGHT;
    const size_t directory = tiff.U32(4);
    if (directory < 8 || directory > size || size - directory < 2) return ORIENTATION_UPRIGHT;
    const size_t entries = tiff.U16(directory);
    // Each entry: tag, type, count (16, 16, 32 bits), then a 4-byte value field.
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + 12 * i;
        if (entry > size || size - entry < 12) break;
        if (tiff.U16(entry) != kOrientationTag) continue;
        if (tiff.U16(entry + 2) != kShortType || tiff.U32(entry + 4) < 1) return ORIENTATION_UPRIGHT;
        const uint32_t value = tiff.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : ORIENTATION_UPRIGHT;
    }
    return ORIENTATION_UPRIGHT;
}

}  // namespace

uint32_t ExifOrientation(const uint8_t *data, size_t size) {
    size_t at = 0;
    while (at < size && data[at] == kMarker) ++at;  // fill bytes before the start of the image
    if (at == 0 || size - at < 3 || data[at] != 0xD8) return ORIENTATION_UPRIGHT;
    ++at;
    // The marker segments up to the first scan; EXIF data sits among them.
    for (;;) {
        if (at >= size || data[at] != kMarker) return ORIENTATION_UPRIGHT;
        while (at < size && data[at] == kMarker) ++at;
        if (at >= size) return ORIENTATION_UPRIGHT;
        const uint8_t marker = data[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
        if (marker == kStartOfScan || marker == kEndOfImage || size - at < 2) return ORIENTATION_UPRIGHT;
        const size_t length = size_t(data[at]) << 8 | data[at + 1];
        if (length < 2 || length > size - at) return ORIENTATION_UPRIGHT;
        const uint8_t *segment = data + at + 2;
        const size_t segmentSize = length - 2;
        if (marker == kApp1 && segmentSize >= sizeof kExifName && std::memcmp(segment, kExifName, sizeof kExifName) == 0)
            return TiffOrientation(segment + sizeof kExifName, segmentSize - sizeof kExifName);
        at += length;
    }
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
