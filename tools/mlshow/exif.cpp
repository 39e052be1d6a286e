// EXIF data written into JPEGs, and the turn the orientation asks for.
#include "exif.h"

#include <cstring>

namespace mlshow {

Bytes WithExifTaken(const Bytes &jpeg, const std::string &dateTime, bool bigEndian) {
    if (jpeg.size() < 2) return jpeg;
    Bytes tiff;
    auto u16 = [&](uint32_t v) { tiff.insert(tiff.end(), {uint8_t(bigEndian ? v >> 8 : v), uint8_t(bigEndian ? v : v >> 8)}); };
    auto u32 = [&](uint32_t v) { bigEndian ? (u16(v >> 16), u16(v)) : (u16(v), u16(v >> 16)); };
    // The TIFF header; IFD0 (at 8) points to the EXIF directory (at 26),
    // whose one entry points to the 20-byte date text (at 44).
    constexpr uint32_t kTextLength = 20;
    u16(bigEndian ? 0x4D4D : 0x4949), u16(42), u32(8);
    u16(1), u16(ml::EXIFTAG_EXIFDIRECTORY), u16(ml::EXIFTYPE_LONG), u32(1), u32(26), u32(0);
    u16(1), u16(ml::EXIFTAG_DATETIMEORIGINAL), u16(ml::EXIFTYPE_ASCII), u32(kTextLength), u32(44), u32(0);
    std::string text = dateTime;
    text.resize(kTextLength - 1);
    tiff.insert(tiff.end(), text.begin(), text.end());
    tiff.push_back(0);
    // Start of image, the APP1 segment, then the rest of the file.
    constexpr uint8_t kMarker = 0xFF;
    const size_t length = 2 + sizeof ml::EXIF_NAME + tiff.size();
    const uint8_t head[] = {jpeg[0], jpeg[1], kMarker, ml::EXIF_MARKER, uint8_t(length >> 8), uint8_t(length)};
    Bytes out(sizeof head + sizeof ml::EXIF_NAME + tiff.size() + jpeg.size() - 2);
    std::memcpy(out.data(), head, sizeof head);
    std::memcpy(out.data() + sizeof head, ml::EXIF_NAME, sizeof ml::EXIF_NAME);
    std::memcpy(out.data() + sizeof head + sizeof ml::EXIF_NAME, tiff.data(), tiff.size());
    std::memcpy(out.data() + sizeof head + length - 2, jpeg.data() + 2, jpeg.size() - 2);
    return out;
}

Image Orient(const Image &image, uint32_t orientation) {
    if (orientation < 2 || orientation > 8) return image;
    const uint32_t w = image.width, h = image.height;
    const bool swap = ml::OrientationSwapsSides(orientation);
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
