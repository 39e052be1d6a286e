// Packed bitmaps as the player stores them: a 40-byte DIBHEADER, exactly
// 2^bits colour entries up to 8 bits, then bottom-up rows padded to 4 bytes.
// Packing chooses the smallest depth that holds a picture exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "content/writer.h"
#include "image.h"

namespace mlshow {

struct DibInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
    size_t size = 0;  // bytes the layout needs: header, colour table, rows
};

// The largest packed bitmap the player makes.
constexpr uint64_t MAX_DIB_BYTES = 256ull << 20;

// Bytes of a packed bitmap of these dimensions, or 0 when the player
// would refuse them (non-positive size, a depth not 1, 4, 8 or 24, too big).
uint64_t PackedDibSize(int64_t width, int64_t height, uint32_t bits);

// Checks `size` bytes as a packed bitmap the player can draw; an empty
// string when sound, else what is wrong. `info` is filled when the header
// could be read.
std::string CheckPackedDib(const uint8_t *data, size_t size, DibInfo *info = nullptr);

// Packs an opaque picture at the smallest exact depth: 1, 4 or 8 bits with a
// palette of its colours (sorted by value, so packing is deterministic),
// else 24 bits.
Bytes PackDib(const Image &opaque);

// A frame of an animation: pixels with alpha below 128 are transparent and
// get a key value of their own that no opaque pixel has.
struct FrameDib {
    Bytes dib;
    bool transparent = false;  // some pixel is transparent
    uint32_t key = 0;          // palette index, or 0x00BBGGRR at 24 bits
};
FrameDib PackFrameDib(const Image &rgba);

// The colours of a packed bitmap as RGBA pixels (for tests and extraction
// checks); the bitmap must have passed CheckPackedDib.
Image UnpackDib(const Bytes &dib);

// A BMP file that holds `dib` byte for byte after its 14-byte file header.
Bytes BmpFromDib(const Bytes &dib);
// The packed bitmap inside a BMP file whose layout is exactly the player's
// (as BmpFromDib writes it), so that stored bitmaps survive a round trip
// unchanged; nullopt for any other BMP.
std::optional<Bytes> DibFromPlayerBmp(const Bytes &file);

}  // namespace mlshow
