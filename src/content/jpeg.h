// JPEG pictures as picture blocks hold them: what their header says, and
// whether the player's decoder takes them. Portable: the show builder
// checks pictures with the same code before it stores them as they are.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ml {

// The largest side and area of a JPEG picture the player decodes: a
// decoded 24-bit copy stays well inside the 32-bit player's address space.
constexpr uint32_t MAXJPEGSIDE = 16384;
constexpr uint64_t MAXJPEGPIXELS = uint64_t(40) << 20;

struct JPEGINFO {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t components = 0;  // 1 grey, 3 colour, 4 CMYK
    uint32_t precision = 0;   // bits per sample
    uint8_t frame = 0;        // the start-of-frame marker: 0xC0 baseline, 0xC2 progressive, ...
    uint8_t sampling[4] = {};  // the first components' sampling factors: horizontal << 4 | vertical
};

// Why a JPEG is refused; JPEG_OK when the player's decoder takes it.
enum JPEGCHECK {
    JPEG_OK = 0,
    JPEG_NOTJPEG,      // no start-of-image marker, or markers that do not hold together
    JPEG_NOFRAME,      // no start-of-frame marker before the scan
    JPEG_CODING,       // lossless, hierarchical or arithmetic coding
    JPEG_PRECISION,    // samples of other than 8 bits
    JPEG_COMPONENTS,   // other than grey or colour (CMYK among them)
    JPEG_SIZE,         // no size, or beyond MAXJPEGSIDE or MAXJPEGPIXELS
    JPEG_MORE,         // StepJpegCheck only: more of the file is needed to tell
};

// Reads the markers up to the first scan: the frame's size, components and
// coding into `info`, and whether the player can decode it.
JPEGCHECK CheckJpeg(const uint8_t *data, size_t size, JPEGINFO *info);

// Where CheckJpeg's walk stands in a JPEG file of `size` bytes read piece
// by piece: `at` is the file offset the next piece starts at (0 first), and
// `need` the fewest bytes that piece must hold to tell more.
struct JPEGWALK {
    uint64_t size = 0;
    uint64_t at = 0;
    uint64_t need = 0;
};
// CheckJpeg on a file read piece by piece: `data` holds `count` bytes of the
// file from `walk->at`. Segments before the frame header are stepped over by
// their lengths, never looked into, so a large EXIF segment costs no read.
// The result is CheckJpeg's for the whole file, or JPEG_MORE: then read from
// the new `walk->at` at least `walk->need` bytes (fewer only where the file
// ends) and call again. A piece that reaches the end of the file always
// gives the result.
JPEGCHECK StepJpegCheck(const uint8_t *data, size_t count, JPEGWALK *walk, JPEGINFO *info);
// The first marker segment before the first scan of the JPEG file `data`
// (`size` bytes) that has `marker` and whose bytes (after its length) start
// with the `prefixsize` bytes of `prefix`: those bytes, their count in
// `segmentsize`. Null when there is none or the markers up to it do not
// hold together. The walk is StepJpegCheck's.
const uint8_t *FindJpegSegment(const uint8_t *data, size_t size, uint8_t marker, const void *prefix,
                               size_t prefixsize, size_t *segmentsize);
// Whether every Huffman table in the file holds at most 256 codes. The
// decoder writes past its tables for one that holds more, so a file that
// fails this is never handed to it.
bool JpegTablesFit(const uint8_t *data, size_t size);
// A short description of a check's result, for messages.
const char *JpegCheckText(JPEGCHECK check);

}  // namespace ml
