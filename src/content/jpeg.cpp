// Reading a JPEG's markers up to its first scan.
#include "content/jpeg.h"

namespace ml {

namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;

uint32_t Big16(const uint8_t *p) { return uint32_t(p[0]) << 8 | p[1]; }

// Markers without a length: the image's start, restarts and TEM.
bool Standalone(uint8_t marker) {
    return marker == kStartOfImage || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool StartOfFrame(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

JPEGCHECK CheckFrame(const uint8_t *segment, uint32_t length, uint8_t marker, JPEGINFO *info) {
    if (length < 6) return JPEG_NOTJPEG;
    info->frame = marker;
    info->precision = segment[0];
    info->height = Big16(segment + 1);
    info->width = Big16(segment + 3);
    info->components = segment[5];
    for (uint32_t i = 0; i < info->components && i < 4 && 6 + 3 * i + 2 <= length; ++i)
        info->sampling[i] = segment[6 + 3 * i + 1];
    // Baseline, extended sequential and progressive Huffman coding only.
    if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2) return JPEG_CODING;
    if (info->precision != 8) return JPEG_PRECISION;
    if (info->components != 1 && info->components != 3) return JPEG_COMPONENTS;
    if (length < 6 + 3 * info->components) return JPEG_NOTJPEG;
    if (info->width == 0 || info->height == 0 || info->width > MAXJPEGSIDE || info->height > MAXJPEGSIDE ||
        uint64_t(info->width) * info->height > MAXJPEGPIXELS)
        return JPEG_SIZE;
    return JPEG_OK;
}

// The marker walk of every check here: from `walk->at`, steps over the
// segments before the first scan up to one whose marker `wanted` names. That
// one must lie whole in the piece (else JPEG_MORE asks for it); the walk
// stops there with JPEG_OK when `take(marker, bytes after the length,
// their count)` keeps it, and goes on past it when not. JPEG_NOFRAME when
// the scan or the image's end comes first.
//
// The walk compares offsets in the file (`at` + a place in the piece) with
// the file's size, so it refuses exactly what a walk over the whole file
// refuses; it asks for more only where the file holds more.
template <typename Wanted, typename Take>
JPEGCHECK Walk(const uint8_t *data, size_t count, JPEGWALK *walk, Wanted wanted, Take take) {
    const uint64_t size = walk->size, base = walk->at;
    // More from `from` (a place in the piece): at least the bytes up to `upTo`.
    auto more = [&](size_t from, uint64_t upTo) {
        walk->at = base + from;
        walk->need = upTo - from;
        return JPEG_MORE;
    };
    size_t at = 0;
    if (base == 0) {
        // Fill bytes may come before any marker, the start of the image too.
        while (at < count && data[at] == kMarker) ++at;
        if (at >= count) return at >= size ? JPEG_NOTJPEG : more(0, uint64_t(at) * 2 + 2);
        if (at == 0 || data[at] != kStartOfImage || size - at < 3) return JPEG_NOTJPEG;
        ++at;
    }
    for (;;) {
        // A marker is 0xFF and a code, any number of 0xFF fill bytes before it.
        const size_t marker0 = at;
        if (base + at >= size) return JPEG_NOTJPEG;
        if (at >= count) return more(at, uint64_t(at) + 4);
        if (data[at] != kMarker) return JPEG_NOTJPEG;
        while (at < count && data[at] == kMarker) ++at;
        if (base + at >= size) return JPEG_NOTJPEG;
        // A long run of fill bytes: ask for twice as much from the marker on.
        if (at >= count) return more(marker0, uint64_t(at) + (at - marker0) + 4);
        const uint8_t marker = data[at++];
        if (Standalone(marker)) continue;
        if (marker == kEndOfImage || marker == kStartOfScan || marker == 0) return JPEG_NOFRAME;
        const uint64_t left = size - (base + at);  // in the file after the marker
        if (left < 2) return JPEG_NOTJPEG;
        if (count - at < 2) return more(marker0, uint64_t(at) + 2);
        const uint32_t length = Big16(data + at);
        if (length < 2 || length > left) return JPEG_NOTJPEG;
        if (wanted(marker)) {
            if (count - at < length) return more(marker0, uint64_t(at) + length);
            if (take(marker, data + at + 2, length - 2)) return JPEG_OK;
        }
        // Stepped over by its length; when it ends past the piece, the next
        // piece starts where it ends.
        at += length;
    }
}

}  // namespace

JPEGCHECK CheckJpeg(const uint8_t *data, size_t size, JPEGINFO *info) {
    JPEGWALK walk;
    walk.size = size;
    return StepJpegCheck(data, size, &walk, info);
}

JPEGCHECK StepJpegCheck(const uint8_t *data, size_t count, JPEGWALK *walk, JPEGINFO *info) {
    *info = JPEGINFO();
    JPEGCHECK frame = JPEG_NOFRAME;
    const JPEGCHECK walked =
        Walk(data, count, walk, StartOfFrame, [&](uint8_t marker, const uint8_t *segment, uint32_t length) {
            frame = CheckFrame(segment, length, marker, info);
            return true;
        });
    return walked == JPEG_OK ? frame : walked;
}

const uint8_t *FindJpegSegment(const uint8_t *data, size_t size, uint8_t marker, const void *prefix,
                               size_t prefixsize, size_t *segmentsize) {
    const uint8_t *found = nullptr;
    JPEGWALK walk;
    walk.size = size;
    Walk(data, size, &walk, [&](uint8_t code) { return code == marker; },
         [&](uint8_t, const uint8_t *segment, uint32_t length) {
             if (length < prefixsize) return false;
             // Byte by byte: memcmp would be one more import of the player's.
             for (size_t i = 0; i < prefixsize; ++i)
                 if (segment[i] != static_cast<const uint8_t *>(prefix)[i]) return false;
             found = segment;
             *segmentsize = length;
             return true;
         });
    return found;
}

// Walks the marker segments (and steps over entropy-coded data byte by
// byte); decodes nothing. The decoder takes fill bytes (0xFF) before the
// start-of-image marker too.
bool JpegTablesFit(const uint8_t *f, size_t size) {
    size_t start = 0;
    while (start < size && f[start] == 0xFF) ++start;
    if (start == 0 || start >= size || f[start] != 0xD8) return true;  // not a JPEG
    for (size_t i = start + 1; i + 4 <= size;) {
        const uint8_t marker = f[i + 1];
        if (f[i] != 0xFF || marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;
            continue;
        }
        if (marker == 0xD9) break;
        const size_t length = Big16(f + i + 2);
        if (length < 2) return true;  // the decoder reports this itself
        // The decoder reads tables as long as the segment's length says,
        // past the segment's end if a table claims more.
        int64_t left = int64_t(length) - 2;
        // Past the end of the file it reads zeros, so a table cut short by
        // the end counts what is there.
        for (size_t p = i + 4; marker == 0xC4 && left > 0 && p < size;) {
            size_t codes = 0;
            for (size_t k = 0; k < 16 && p + 1 + k < size; ++k) codes += f[p + 1 + k];
            if (codes > 256) return false;
            p += 17 + codes;
            left -= int64_t(17 + codes);
        }
        i += 2 + length;
    }
    return true;
}

const char *JpegCheckText(JPEGCHECK check) {
    switch (check) {
        case JPEG_OK: return "a JPEG the player decodes";
        case JPEG_NOTJPEG: return "not a sound JPEG file";
        case JPEG_NOFRAME: return "a JPEG without a frame header";
        case JPEG_CODING: return "a JPEG coded in a way the player does not decode (lossless, hierarchical or arithmetic)";
        case JPEG_PRECISION: return "a JPEG of other than 8 bits per sample";
        case JPEG_COMPONENTS: return "a JPEG of other than grey or RGB colour (CMYK, for one)";
        case JPEG_SIZE: return "a JPEG of no size or too large a size";
        case JPEG_MORE: return "a JPEG not yet read far enough to tell";
    }
    return "an unknown JPEG check";
}

}  // namespace ml
