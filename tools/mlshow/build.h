// Building a show: imports the files the manifest names (in parallel, each
// picture on its own core, a few items ahead of the writer), and writes the
// player followed by the show through the container's streaming writer, so
// memory holds only the items in hand whatever the show's size.
#pragma once

#include <cstdint>
#include <string>

#include "content/jpeg.h"
#include "content/writer.h"
#include "image.h"
#include "manifest.h"
#include "memory.h"

namespace mlshow {

// The size the preview picture is scaled down to fit: the host's preview
// window.
constexpr uint32_t PREVIEW_WIDTH = 152;
constexpr uint32_t PREVIEW_HEIGHT = 112;

struct BuildSettings {
    bool quiet = false;
    unsigned threads = 0;  // 0: one per core
    uint32_t now = 0;      // the creation time when neither the manifest nor SOURCE_DATE_EPOCH gives one
    uint64_t playerLimit = PLAYER_CONTENT_LIMIT;  // the most content the player holds: a show of more is refused
};

struct BuildResult {
    uint64_t size = 0;  // bytes written, the program part included
    size_t items = 0;
    PlayerMemory memory;  // what the player will hold of the show
};

// Writes the whole file to `sink`: `program` (the player without any show)
// and the show. Throws InputErrors naming the manifest position of every
// file that cannot be imported, or that the player would hold more than
// `playerLimit` of the show; the sink then holds part of a file. A show of
// more items than the player numbers is refused before anything is written.
BuildResult BuildShowTo(const Manifest &manifest, const Bytes &program, const BuildSettings &settings, ByteSink &sink);
// The same, the whole file in memory.
Bytes BuildShow(const Manifest &manifest, const Bytes &program, const BuildSettings &settings);

// The creation time: the manifest's, else SOURCE_DATE_EPOCH, else `now`.
uint32_t CreationTime(const Manifest &manifest, uint32_t now);

// "My Show: 2024" -> "My Show_ 2024.scr": the title as a file name that
// every system can hold. Each character a Windows name cannot hold
// (<>:"/\|?* and control characters) becomes '_'; leading and trailing
// dots and spaces go; a name the system reserves (CON, NUL, COM1..., and
// COM or LPT with a superscript 1, 2 or 3) gets a '_'; the name stays
// within 200 bytes; an empty one is "show".
std::string DefaultOutputName(const std::string &title);

// Makes text line ends CR LF, as the player draws and runs them.
std::string CrLfLines(std::string_view text);

// The caption text a picture block stores: the manifest's `name` when it
// gives one, else, when the caption includes the name, the file's name
// without its extension (UTF-8, cut to MAXCAPTIONLENGTH bytes at a
// character's start); else none.
std::string CaptionText(const PictureItem &item);
// `text` cut to at most `most` bytes without splitting a UTF-8 character.
std::string CutUtf8(std::string text, size_t most);

// One picture file as the packed bitmap the show stores: BMP files in the
// player's own layout as they are, everything else decoded (JPEG turned
// upright), flattened onto `background` and scaled down to fit
// maxWidth x maxHeight (0: no limit).
Bytes ImportPicture(const Bytes &file, uint32_t background, uint32_t maxWidth, uint32_t maxHeight);

struct PictureOptions {
    uint32_t background = 0;
    uint32_t maxWidth = 0;  // 0: no limit
    uint32_t maxHeight = 0;
    PictureStore store = PictureStore::Auto;
    int quality = DEFAULT_JPEG_QUALITY;
    uint64_t playerPixels = ml::MAXJPEGPIXELS;  // the most the player decodes (lower in tests only)
};

// A picture in the form a picture block stores it.
struct StoredPicture {
    bool jpeg = false;  // a JPEG file; else a packed bitmap
    Bytes data;
};

// The memory the pictures being decoded at one time may take together
// (each picture counted at DecodeBytes), however many cores decode them:
// a 32-bit mlshow has 2 GB in all.
constexpr uint64_t DECODE_BUDGET = sizeof(void *) < 8 ? uint64_t(1) << 30 : uint64_t(4) << 30;
// What decoding the picture `file` takes at the most: the file, and per
// pixel the decoder's samples and coefficients, the decoded picture, a
// turned copy and a scaled one.
uint64_t DecodeBytes(const Bytes &file);

// Whether a JPEG of this size is one the player decodes: at most
// ml::MAXJPEGSIDE a side and `pixels` (ml::MAXJPEGPIXELS) in all.
bool JpegSizeFitsPlayer(uint64_t width, uint64_t height, uint64_t pixels = ml::MAXJPEGPIXELS);
// A copy scaled down to the largest size the player decodes as a JPEG;
// the image itself when it fits.
Image ScaleIntoPlayerLimits(const Image &image, uint64_t pixels = ml::MAXJPEGPIXELS);

// A picture file as a picture block stores it. With PictureStore::Auto a
// JPEG that the player decodes stays as it is; one that must change (turned
// upright as its EXIF orientation says, scaled down to fit, or larger than
// the player decodes, which is scaled down to the largest it takes) is
// decoded and encoded again as a JPEG at `quality`; one the player does not
// decode for another reason becomes a bitmap, as does every other picture
// and every picture with PictureStore::Bitmap. InputError when the picture
// cannot be decoded.
StoredPicture StorePicture(Bytes file, const PictureOptions &options);

}  // namespace mlshow
