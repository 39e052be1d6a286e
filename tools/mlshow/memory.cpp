// The player's memory for a show's content.
#include "memory.h"

#include <cstdio>

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

void PlayerMemory::AddBlock(const ReadBlock &block) {
    switch (block.type) {
        case TAG_IMAG: (block.flags & SCRF_JPEG ? jpegs : bitmaps) += block.data.size(); break;
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
    jpegs += more.jpegs;
    applets += more.applets;
    other += more.other;
    return *this;
}

std::string PlayerMemory::Text() const {
    return "about " + Megabytes(Total()) + " (bitmaps " + Megabytes(bitmaps) + ", JPEG pictures " + Megabytes(jpegs) +
           ", applets " + Megabytes(applets) + ", other " + Megabytes(other) + ")";
}

std::string PlayerMemory::Warning() const {
    return "the player would hold " + Text() + " of content, more than the " + Megabytes(PLAYER_CONTENT_LIMIT) +
           " the 32-bit player can hold: it may run out of memory; store pictures as JPEG or scale them down with "
           "max_size";
}

}  // namespace mlshow
