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

}  // namespace

uint64_t JpegOnScreen(const Bytes &jpeg) {
    ml::JPEGINFO info;
    ml::CheckJpeg(jpeg.data(), jpeg.size(), &info);
    const uint64_t decoded = DIBHEADER_SIZE + uint64_t(DibRowBytes(info.width, 24)) * info.height;
    return jpeg.size() + 2 * decoded;
}

void PlayerMemory::AddBlock(const ReadBlock &block) {
    switch (block.type) {
        case TAG_IMAG:
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
