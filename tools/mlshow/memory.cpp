// The player's memory for a show's content.
#include "memory.h"

#include <algorithm>
#include <cstdio>

#include "content/jpeg.h"

#include "reader.h"

namespace mlshow {

namespace {

// "12.3 MB", or "45 KB" below a megabyte.
std::string Megabytes(uint64_t bytes) {
    char text[32];
    if (bytes < (1u << 20)) std::snprintf(text, sizeof text, "%u KB", unsigned((bytes + 1023) >> 10));
    else std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / double(1 << 20));
    return text;
}

// What the decoder holds at its height, just before it converts to RGB:
// each component's samples, padded to whole MCUs, a byte each; for a
// progressive JPEG each sample's coefficient as well, a short each; and
// the RGB output, three bytes a pixel.
uint64_t DecoderPeak(const ml::JPEGINFO &info) {
    const uint32_t components = std::min<uint32_t>(info.components, 4);
    uint32_t hmax = 1, vmax = 1;
    for (uint32_t i = 0; i < components; ++i) {
        hmax = std::max<uint32_t>(hmax, info.sampling[i] >> 4);
        vmax = std::max<uint32_t>(vmax, info.sampling[i] & 15);
    }
    const uint64_t mcuColumns = (uint64_t(info.width) + 8 * hmax - 1) / (8 * hmax);
    const uint64_t mcuRows = (uint64_t(info.height) + 8 * vmax - 1) / (8 * vmax);
    uint64_t samples = 0;
    for (uint32_t i = 0; i < components; ++i)
        samples += mcuColumns * 8 * std::max(1, info.sampling[i] >> 4) * mcuRows * 8 * std::max(1, info.sampling[i] & 15);
    const uint64_t perSample = info.frame == 0xC2 ? 1 + 2 : 1;
    return samples * perSample + uint64_t(info.width) * info.height * 3;
}

}  // namespace

uint64_t JpegOnScreen(const Bytes &jpeg) {
    ml::JPEGINFO info;
    ml::CheckJpeg(jpeg.data(), jpeg.size(), &info);
    // Then the bitmap made of the decoder's output, beside it, and later a
    // converted copy of that bitmap.
    const uint64_t decoded = DIBHEADER_SIZE + uint64_t(DibRowBytes(info.width, 24)) * info.height;
    return jpeg.size() + std::max(DecoderPeak(info), 2 * decoded);
}

void PlayerMemory::AddBlock(const ReadBlock &block) {
    switch (block.type) {
        case TAG_IMAG:
            other += block.caption.size();  // the player keeps a photo's caption text while the show runs
            if (block.flags & SCRF_JPEG)
                jpegs = std::max(jpegs, JpegOnScreen(block.data));
            else
                bitmaps += block.data.size();
            break;
        case TAG_APPL:
            applets += block.data.size();
            for (const ReadObject &object : block.pictures) applets += object.data.size();
            for (const ReadObject &object : block.sounds) applets += object.data.size();
            break;
        case TAG_TEXT:
        case TAG_SOND:
        case TAG_ANIM: other += block.data.size(); break;
    }
}

PlayerMemory &PlayerMemory::operator+=(const PlayerMemory &more) {
    bitmaps += more.bitmaps;
    jpegs = std::max(jpegs, more.jpegs);  // one on the screen at a time
    applets += more.applets;
    other += more.other;
    return *this;
}

std::string PlayerMemory::Text() const {
    return "about " + Megabytes(Total()) + " (bitmaps " + Megabytes(bitmaps) + ", JPEG on the screen " + Megabytes(jpegs) +
           ", applets " + Megabytes(applets) + ", other " + Megabytes(other) + ")";
}

std::string PlayerMemory::Warning() const {
    return "the player would hold " + Text() + " of content, more than the " + Megabytes(PLAYER_CONTENT_LIMIT) +
           " the 32-bit player can hold: it may run out of memory; store pictures as JPEG or scale them down with "
           "max_size";
}

}  // namespace mlshow
