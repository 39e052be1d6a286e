// Packing pictures into the player's bitmap form, and checking it.
#include "dib.h"

#include <algorithm>
#include <cstring>

#include "content/format.h"
#include "errors.h"

namespace mlshow {

namespace {

constexpr uint32_t kNoColour = 0xFFFFFFFFu;

uint32_t RgbAt(const Image &image, size_t index) {
    const uint8_t *p = &image.rgba[index * 4];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];  // 0xRRGGBB sorts by red first
}

// The distinct colours of the pixels `use` accepts, sorted; false as soon
// as there are more than `limit`.
template <typename Use>
bool DistinctColours(const Image &image, size_t limit, Use use, std::vector<uint32_t> *colours) {
    std::vector<uint32_t> table(2048, kNoColour);  // open addressing, far larger than the limit
    colours->clear();
    const size_t count = size_t(image.width) * image.height;
    for (size_t i = 0; i < count; ++i) {
        if (!use(i)) continue;
        const uint32_t colour = RgbAt(image, i);
        size_t slot = (colour * 2654435761u) >> 21;
        while (table[slot] != kNoColour && table[slot] != colour) slot = (slot + 1) & 2047;
        if (table[slot] == colour) continue;
        if (colours->size() == limit) return false;
        table[slot] = colour;
        colours->push_back(colour);
    }
    std::sort(colours->begin(), colours->end());
    return true;
}

uint32_t DepthFor(size_t entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : entries <= 256 ? 8 : 24; }

void Put32(uint8_t *p, uint32_t v) { std::memcpy(p, &v, 4); }

// A zeroed packed bitmap with its header and colour table filled in.
Bytes NewDib(uint32_t width, uint32_t height, uint32_t bits, const std::vector<uint32_t> &palette) {
    Bytes dib(size_t(PackedDibSize(width, height, bits)));
    DIBHEADER header{};
    header.biSize = DIBHEADER_SIZE;
    header.biWidth = int32_t(width);
    header.biHeight = int32_t(height);
    header.biPlanes = 1;
    header.biBitCount = uint16_t(bits);
    header.biSizeImage = DibRowBytes(width, bits) * height;
    header.biClrUsed = header.biClrImportant = DibColourCount(bits);
    std::memcpy(dib.data(), &header, sizeof header);
    for (size_t i = 0; i < palette.size(); ++i) {
        uint8_t *entry = &dib[DIBHEADER_SIZE + 4 * i];
        entry[0] = uint8_t(palette[i]);        // blue
        entry[1] = uint8_t(palette[i] >> 8);   // green
        entry[2] = uint8_t(palette[i] >> 16);  // red
    }
    return dib;
}

uint8_t *RowStart(Bytes &dib, uint32_t y, uint32_t height, uint32_t width, uint32_t bits) {
    const size_t pixels = DIBHEADER_SIZE + 4 * size_t(DibColourCount(bits));
    return &dib[pixels + size_t(height - 1 - y) * DibRowBytes(width, bits)];
}

void PutIndex(uint8_t *row, uint32_t x, uint32_t bits, uint32_t index) {
    if (bits == 8) row[x] = uint8_t(index);
    else if (bits == 4) row[x / 2] |= uint8_t(x % 2 ? index : index << 4);
    else if (index) row[x / 8] |= uint8_t(0x80 >> (x % 8));
}

// Fills the rows; `value(i)` gives a palette index or an 0xRRGGBB colour,
// stored blue first.
template <typename Value>
void FillRows(Bytes &dib, const Image &image, uint32_t bits, Value value) {
    for (uint32_t y = 0; y < image.height; ++y) {
        uint8_t *row = RowStart(dib, y, image.height, image.width, bits);
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint32_t v = value(size_t(y) * image.width + x);
            if (bits == 24) {
                row[3 * x] = uint8_t(v);
                row[3 * x + 1] = uint8_t(v >> 8);
                row[3 * x + 2] = uint8_t(v >> 16);
            } else {
                PutIndex(row, x, bits, v);
            }
        }
    }
}

uint32_t IndexOf(const std::vector<uint32_t> &sorted, uint32_t colour) {
    return uint32_t(std::lower_bound(sorted.begin(), sorted.end(), colour) - sorted.begin());
}

// A colour none of the sorted `used` colours has, preferring magenta.
uint32_t UnusedColour(const std::vector<uint32_t> &used) {
    for (uint32_t colour = 0xFF00FF;; colour = (colour + 1) & 0xFFFFFF)
        if (!std::binary_search(used.begin(), used.end(), colour)) return colour;
}

// The same for any number of colours, through a bitmap of all 2^24.
uint32_t UnusedColour(const Image &image, const std::vector<bool> &transparent) {
    std::vector<bool> used(1u << 24);
    for (size_t i = 0; i < transparent.size(); ++i)
        if (!transparent[i]) used[RgbAt(image, i)] = true;
    for (uint32_t colour = 0xFF00FF;; colour = (colour + 1) & 0xFFFFFF)
        if (!used[colour]) return colour;
}

uint32_t ToColourRef(uint32_t rgb) { return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16; }

}  // namespace

uint64_t PackedDibSize(int64_t width, int64_t height, uint32_t bits) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return 0;
    const uint64_t size = DIBHEADER_SIZE + 4ull * DibColourCount(bits) +
                          uint64_t(DibRowBytes(uint32_t(width), bits)) * uint64_t(height);
    return size <= MAX_DIB_BYTES ? size : 0;
}

std::string CheckPackedDib(const uint8_t *data, size_t size, DibInfo *info) {
    if (size < DIBHEADER_SIZE) return "the bitmap is " + std::to_string(size) + " bytes, shorter than its header";
    DIBHEADER header;
    std::memcpy(&header, data, sizeof header);
    if (info) {
        info->width = uint32_t(header.biWidth);
        info->height = uint32_t(header.biHeight);
        info->bits = header.biBitCount;
    }
    if (header.biSize != DIBHEADER_SIZE) return "bitmap header size " + std::to_string(header.biSize) + ", not 40";
    if (header.biCompression != 0) return "bitmap compression " + std::to_string(header.biCompression) + ", not 0";
    if (header.biPlanes != 1) return "bitmap planes " + std::to_string(header.biPlanes) + ", not 1";
    const uint32_t bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return "bitmap depth " + std::to_string(bits) + " bits";
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return "bitmap size " + std::to_string(header.biWidth) + "x" + std::to_string(header.biHeight);
    const uint64_t needed = PackedDibSize(header.biWidth, header.biHeight, bits);
    if (needed == 0) return "bitmap larger than the player accepts";
    if (info) info->size = size_t(needed);
    if (size < needed)
        return "bitmap " + std::to_string(header.biWidth) + "x" + std::to_string(header.biHeight) + "x" +
               std::to_string(bits) + " needs " + std::to_string(needed) + " bytes, has " + std::to_string(size);
    return "";
}

Bytes PackDib(const Image &opaque) {
    std::vector<uint32_t> palette;
    const bool fits = DistinctColours(opaque, 256, [](size_t) { return true; }, &palette);
    if (!fits) {
        Bytes dib = NewDib(opaque.width, opaque.height, 24, {});
        FillRows(dib, opaque, 24, [&](size_t i) { return RgbAt(opaque, i); });
        return dib;
    }
    const uint32_t bits = DepthFor(palette.size());
    Bytes dib = NewDib(opaque.width, opaque.height, bits, palette);
    FillRows(dib, opaque, bits, [&](size_t i) { return IndexOf(palette, RgbAt(opaque, i)); });
    return dib;
}

FrameDib PackFrameDib(const Image &rgba) {
    const size_t count = size_t(rgba.width) * rgba.height;
    std::vector<bool> transparent(count);
    bool any = false;
    for (size_t i = 0; i < count; ++i) any |= transparent[i] = rgba.rgba[i * 4 + 3] < 128;
    if (!any) return {PackDib(rgba), false, 0};

    FrameDib frame;
    frame.transparent = true;
    std::vector<uint32_t> palette;
    if (DistinctColours(rgba, 255, [&](size_t i) { return !transparent[i]; }, &palette)) {
        // The key is one more palette entry, in a colour no opaque pixel has.
        const uint32_t keyColour = UnusedColour(palette);
        const uint32_t key = uint32_t(palette.size());
        std::vector<uint32_t> entries = palette;
        entries.push_back(keyColour);
        const uint32_t bits = DepthFor(entries.size());
        frame.dib = NewDib(rgba.width, rgba.height, bits, entries);
        FillRows(frame.dib, rgba, bits,
                 [&](size_t i) { return transparent[i] ? key : IndexOf(palette, RgbAt(rgba, i)); });
        frame.key = key;
        return frame;
    }
    const uint32_t keyColour = UnusedColour(rgba, transparent);
    frame.dib = NewDib(rgba.width, rgba.height, 24, {});
    FillRows(frame.dib, rgba, 24, [&](size_t i) { return transparent[i] ? keyColour : RgbAt(rgba, i); });
    frame.key = ToColourRef(keyColour);
    return frame;
}

Image UnpackDib(const Bytes &dib) {
    DibInfo info;
    if (!CheckPackedDib(dib.data(), dib.size(), &info).empty()) throw InputError("not a packed bitmap");
    Image image;
    image.width = info.width;
    image.height = info.height;
    image.rgba.resize(size_t(info.width) * info.height * 4);
    const size_t pixels = DIBHEADER_SIZE + 4 * size_t(DibColourCount(info.bits));
    for (uint32_t y = 0; y < info.height; ++y) {
        const uint8_t *row = &dib[pixels + size_t(info.height - 1 - y) * DibRowBytes(info.width, info.bits)];
        for (uint32_t x = 0; x < info.width; ++x) {
            const uint8_t *bgr;
            if (info.bits == 24) {
                bgr = row + 3 * x;
            } else {
                uint32_t index = info.bits == 8   ? row[x]
                                 : info.bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                                  : (row[x / 8] >> (7 - x % 8)) & 1;
                bgr = &dib[DIBHEADER_SIZE + 4 * index];
            }
            uint8_t *p = image.Pixel(x, y);
            p[0] = bgr[2];
            p[1] = bgr[1];
            p[2] = bgr[0];
            p[3] = 255;
        }
    }
    return image;
}

Bytes BmpFromDib(const Bytes &dib) {
    DibInfo info;
    CheckPackedDib(dib.data(), dib.size(), &info);
    const uint32_t offBits = DIBHEADER_SIZE + 4 * DibColourCount(info.bits) + 14;
    Bytes file(14 + dib.size());
    file[0] = 'B';
    file[1] = 'M';
    Put32(&file[2], uint32_t(file.size()));
    Put32(&file[10], offBits);
    if (!dib.empty()) std::memcpy(&file[14], dib.data(), dib.size());
    return file;
}

std::optional<Bytes> DibFromPlayerBmp(const Bytes &file) {
    if (file.size() < 14 + DIBHEADER_SIZE || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    DibInfo info;
    const uint8_t *dib = file.data() + 14;
    const size_t size = file.size() - 14;
    if (!CheckPackedDib(dib, size, &info).empty() || info.size != size) return std::nullopt;
    uint32_t offBits;
    std::memcpy(&offBits, &file[10], 4);
    if (offBits != 14 + DIBHEADER_SIZE + 4 * DibColourCount(info.bits)) return std::nullopt;
    return Bytes(dib, dib + size);
}

}  // namespace mlshow
