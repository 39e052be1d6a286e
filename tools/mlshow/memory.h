// What the player holds in memory for a show's content: it keeps every
// block as it plays it (bitmaps and applet objects inflated), but leaves JPEG
// pictures in the show file until their item starts, holding only the one
// on the screen: its file and, at the most, what the decoder holds for it
// (for a progressive JPEG about four decoded copies) or two decoded copies
// while it is converted. The 32-bit player's address space bounds the total;
// builds and verify warn beyond it.
#pragma once

#include <cstdint>
#include <string>

#include "content/writer.h"

namespace mlshow {

struct ReadBlock;

// The most content the 32-bit player is taken to hold: a working figure
// below its 2 GB address space, leaving room for the program, the screen
// copies and one decoded JPEG.
constexpr uint64_t PLAYER_CONTENT_LIMIT = uint64_t(1400) << 20;

// What the player holds while a JPEG picture is on the screen.
uint64_t JpegOnScreen(const Bytes &jpeg);

struct PlayerMemory {
    uint64_t bitmaps = 0;  // pictures stored as bitmaps, and the preview, inflated
    uint64_t jpegs = 0;    // the largest JPEG picture on the screen: its file and what decoding it takes
    uint64_t applets = 0;  // applet scripts and objects, inflated
    uint64_t other = 0;    // texts, sounds and animations, inflated

    // A block as the reader holds it: data inflated, applet objects apart.
    void AddBlock(const ReadBlock &block);
    PlayerMemory &operator+=(const PlayerMemory &more);

    uint64_t Total() const { return bitmaps + jpegs + applets + other; }
    bool TooMuch() const { return Total() > PLAYER_CONTENT_LIMIT; }
    // "about 12 MB (bitmaps 10 MB, JPEG pictures 2 MB, applets 0 MB, other 0 MB)"
    std::string Text() const;
    // Why a show that is TooMuch may not play, naming both figures.
    std::string Warning() const;
};

}  // namespace mlshow
