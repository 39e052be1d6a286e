// On-disk records of the show container appended to the player executable.
// Portable: shared by the player (Win32) and the mlshow builder (any platform).
#pragma once

#include <cstddef>
#include <cstdint>

// A tag is four ASCII characters in reading order, compared as one
// little-endian 32-bit number ("HEAD" is the bytes 48 45 41 44).
constexpr uint32_t MakeTag(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
           uint32_t(uint8_t(name[2])) << 16 | uint32_t(uint8_t(name[3])) << 24;
}

constexpr uint32_t TAG_HEAD = MakeTag("HEAD");
constexpr uint32_t TAG_IMAG = MakeTag("IMAG");
constexpr uint32_t TAG_TEXT = MakeTag("TEXT");
constexpr uint32_t TAG_APPL = MakeTag("APPL");
constexpr uint32_t TAG_SOND = MakeTag("SOND");
constexpr uint32_t TAG_ANIM = MakeTag("ANIM");
constexpr uint32_t TAG_ENDB = MakeTag("ENDB");
constexpr uint32_t TAG_PICT = MakeTag("pict");  // applet picture object
constexpr uint32_t TAG_WAVE = MakeTag("wave");  // PCM sound
constexpr uint32_t TAG_MIDI = MakeTag("midi");  // standard MIDI file

// Flag bits in the `flags` word of every block header.
constexpr uint32_t SCRF_VALID = 0x0001;
constexpr uint32_t SCRF_REMAP = 0x0004;
constexpr uint32_t SCRF_SCREENBACK = 0x0020;
constexpr uint32_t SCRF_BOLD = 0x0040;
constexpr uint32_t SCRF_ITALIC = 0x0080;
constexpr uint32_t SCRF_UNDERLINE = 0x0100;
constexpr uint32_t SCRF_RESTORE = 0x0200;
constexpr uint32_t SCRF_WAIT = 0x4000;
constexpr uint32_t SCRF_COMPRESSED = 0x8000;
constexpr uint32_t SCRF_ENDWITHITEM = 0x10000;
constexpr uint32_t SCRF_ENDWITHROUND = 0x20000;
constexpr uint32_t SCRF_JPEG = 0x40000;  // IMAG: the data is a JPEG file, not a packed bitmap
// IMAG: how the picture meets the monitor. Neither bit: at its own size,
// centre-cropped when larger (both bits set counts as neither).
constexpr uint32_t SCRF_FIT = 0x80000;    // scaled to show all of it, the rest background
constexpr uint32_t SCRF_FILL = 0x100000;  // scaled to cover the monitor, the overflow cropped evenly
constexpr uint32_t SCRF_FITMASK = SCRF_FIT | SCRF_FILL;
// IMAG: what the caption over the picture's bottom-left corner says.
constexpr uint32_t SCRF_CAPTIONDATE = 0x200000;  // the day the photo was taken (`takendate`)
constexpr uint32_t SCRF_CAPTIONNAME = 0x400000;  // the photo's name (the caption text of the block)
// IMAG: one of a run of pictures (`group`) whose order the player draws.
constexpr uint32_t SCRF_RANDOMORDER = 0x800000;
// IMAG: while it holds, the picture zooms slowly in or out towards a point
// inside it (pan and zoom).
constexpr uint32_t SCRF_PANZOOM = 0x1000000;
// HEAD: the monitors the show plays on. Neither bit: the primary monitor
// only, the others black (both bits set counts as neither).
constexpr uint32_t SCRF_EACHMONITOR = 0x2000000;    // every monitor plays, each at its own point of the show
constexpr uint32_t SCRF_MIRRORMONITORS = 0x4000000;  // every monitor shows the primary's item at once
constexpr uint32_t SCRF_MONITORMASK = SCRF_EACHMONITOR | SCRF_MIRRORMONITORS;
// IMAG, with SCRF_FIT: the part of the monitor the picture leaves shows the
// same picture filled to the monitor, strongly blurred and darkened.
constexpr uint32_t SCRF_BACKDROP = 0x8000000;
// IMAG: on a monitor wider than tall, a portrait picture is shown beside the
// picture played after it when that one is a portrait with this bit too,
// each fitted into its half of the monitor.
constexpr uint32_t SCRF_PORTRAITPAIRS = 0x10000000;
// HEAD: a clock in the top right corner of every monitor that plays: the
// time, and with SCRF_CLOCKDATE as well the date (SCRF_CLOCKDATE alone
// shows no clock).
constexpr uint32_t SCRF_CLOCKTIME = 0x20000000;
constexpr uint32_t SCRF_CLOCKDATE = 0x40000000;
constexpr uint32_t SCRF_CLOCKMASK = SCRF_CLOCKTIME | SCRF_CLOCKDATE;
// HEAD: the arrow keys step through the pictures and Space pauses the
// hold; any other input still ends the saver.
constexpr uint32_t SCRF_BROWSEKEYS = 0x80000000;

// The trailer's three checks are stored XORed with these masks.
constexpr uint32_t CONTENTLENGTH_MASK = 0x3E5A1C47;
// The largest show file the tools write and read, player included: every
// offset in it fits the container's 32-bit lengths. The player reads any
// file whose content (HEAD block to the end) is no longer than this.
constexpr uint64_t MAXSHOWFILE = 0xFFFFFFFFu;
constexpr uint32_t HEADCRC_MASK = 0xD1462B93;
constexpr uint32_t PROGRAMCHECK_MASK = 0x5A3C96E1;

constexpr uint32_t CREATORVERSION = 0x20061;

// The most items (blocks after the header that the player plays: pictures,
// texts, applets, sounds, animations) a show may hold. The player numbers
// them with 16 bits, 0 to 65,535 (BLOCK.sequence), and mlshow refuses more.
constexpr uint32_t MAX_SHOW_ITEMS = 65536;

// Flag bits of an animation frame.
constexpr uint32_t ANIMFRAME_TRANSPARENT = 0x1;
constexpr uint32_t ANIMFRAME_RESTORE = 0x2;

#pragma pack(push, 1)

// The three fields every block starts with.
struct SCRBLOCKPREFIX {
    uint32_t type;
    uint32_t length;  // whole block, header and data
    uint32_t flags;
};

struct SCRHEAD {
    uint32_t type;
    uint32_t length;  // 2148 + preview picture bytes
    uint32_t flags;
    uint32_t creatorversion;
    uint32_t screenwide;
    uint32_t screendeep;
    uint32_t backgroundcolour;  // 0x00BBGGRR
    uint32_t created;           // seconds since 1970-01-01 UTC
    uint32_t unused32[2];
    uint16_t preview;  // 1: a preview picture follows the header
    char owner[262];
    char organisation[262];
    char author[262];
    char title[262];
    char description[1058];
};

struct SCRIMAGE {
    uint32_t type;
    uint32_t length;
    uint32_t flags;
    int32_t x;
    int32_t y;
    uint32_t placement;  // 1 TL, 2 TR, 3 BL, 4 BR, anything else centred
    uint32_t appeareffect;
    uint32_t disappeareffect;
    uint32_t speed;  // 1..80: steps every 81 - speed ms
    uint32_t fade;      // ms a Crossfade lasts; 0: the default 1.5 s
    uint32_t holdtime;  // seconds
    uint32_t unused44;
    uint32_t duration;  // 0 endless, 1 one cycle, n seconds
    uint32_t captionlength;  // UTF-8 bytes of the photo's name between the header and the data
    uint32_t takendate;      // the day the photo was taken as yyyymmdd; 0 unknown
    uint32_t group;          // with SCRF_RANDOMORDER: the run of pictures it belongs to, from 1
    uint32_t unused64[5];
};

struct SCRTEXT {
    uint32_t type;
    uint32_t length;
    uint32_t flags;
    int32_t x;
    int32_t y;
    uint32_t boxwide;
    uint32_t boxdeep;
    uint32_t placement;
    int32_t fontheight;
    uint32_t textcolour;
    uint32_t boxcolour;
    uint32_t speed;
    uint32_t duration;
    uint32_t unused52;
    uint32_t style;      // 0..5
    uint32_t alignment;  // 0 left, 1 centre, 2 right
    uint32_t margin;
    char facename[294];
};

struct SCRAPPLET {
    uint32_t type;
    uint32_t length;
    uint32_t flags;
    uint32_t stacksize;
    uint32_t picturecount;
    uint32_t soundcount;
    uint32_t unused24[8];
};

struct SCRSOUND {
    uint32_t type;
    uint32_t length;
    uint32_t flags;
    uint32_t kind;  // TAG_WAVE or TAG_MIDI
    uint32_t datasize;
    uint8_t unused20[294];
};

struct SCRANIM {
    uint32_t type;
    uint32_t length;
    uint32_t flags;
    int32_t x;
    int32_t y;
    uint32_t placement;
    uint32_t unused24[10];
};

struct SCREND {
    uint32_t type;
    uint32_t length;  // 52
    uint32_t flags;
    uint32_t contentlength;  // masked: bytes from the HEAD block to the end of the file
    uint32_t headcrc;        // masked: CRC-32 of the stored HEAD header
    uint32_t programcheck;   // masked: CRC-32 of the program part
    uint32_t unused24[7];
};

// A numbered picture or sound carried by an APPL block; on disk the header
// in front of the object's data, in memory the list record.
struct APPLETOBJECT {
    uint32_t kind;    // TAG_PICT, TAG_WAVE or TAG_MIDI
    uint32_t size;    // data bytes (inflated size in memory)
    uint32_t number;  // 1..16383, unique within its list
    uint32_t data;    // 0 on disk; the data's memory handle in the player
    uint32_t unused16[4];
};

// The animation data inside an ANIM block (after inflating) starts with this
// record, followed by `framecount` frame records and the frames' bitmaps.
struct ANIMHEADER {
    int32_t wide;  // size of the animation window
    int32_t deep;
    uint32_t framecount;
    uint32_t loopcount;  // passes before the animation ends; 0 forever
    uint32_t unused16[8];
};

// One frame of an animation, in playing order.
struct OBJECTANIMFRAME {
    uint32_t offset;  // of the frame's packed bitmap from the start of the data
    uint32_t unused4;
    uint32_t flags;        // ANIMFRAME_*
    uint32_t delay;        // milliseconds until the next frame; 0 counts as 1
    uint32_t transparent;  // pixel value not drawn: an index, or 0x00BBGGRR at 24 bits
    int32_t x;             // position inside the animation window
    int32_t y;
    uint32_t unused28[8];
};

// The 16-byte PCM format record in front of the samples of "wave" data,
// with the layout of the Windows PCMWAVEFORMAT record.
struct SOUNDFORMAT {
    uint16_t wFormatTag;  // 1: PCM
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
};

// The 40-byte bitmap information header that starts every packed bitmap,
// with the layout and field names of the Windows record.
struct DIBHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

#pragma pack(pop)

constexpr uint32_t SCRHEAD_SIZE = 2148;
constexpr uint32_t SCRIMAGE_SIZE = 84;
constexpr uint32_t CROSSFADE_EFFECT = 12;  // the effect whose length SCRIMAGE.fade gives
constexpr uint32_t DEFAULT_FADE_MS = 1500;
constexpr uint32_t MAXCAPTIONLENGTH = 1024;  // longest stored caption text, in bytes
constexpr uint32_t SCRTEXT_SIZE = 362;
constexpr uint32_t SCRAPPLET_SIZE = 56;
constexpr uint32_t SCRSOUND_SIZE = 314;
constexpr uint32_t SCRANIM_SIZE = 64;
constexpr uint32_t SCREND_SIZE = 52;
constexpr uint32_t APPLETOBJECT_SIZE = 32;
constexpr uint32_t DIBHEADER_SIZE = 40;
constexpr uint32_t ANIMHEADER_SIZE = 48;
constexpr uint32_t OBJECTANIMFRAME_SIZE = 60;
constexpr uint32_t SOUNDFORMAT_SIZE = 16;

static_assert(sizeof(SCRBLOCKPREFIX) == 12);
static_assert(sizeof(SCRHEAD) == SCRHEAD_SIZE);
static_assert(offsetof(SCRHEAD, preview) == 40);
static_assert(offsetof(SCRHEAD, owner) == 42);
static_assert(offsetof(SCRHEAD, title) == 828);
static_assert(offsetof(SCRHEAD, description) == 1090);
static_assert(sizeof(SCRIMAGE) == SCRIMAGE_SIZE);
static_assert(offsetof(SCRIMAGE, duration) == 48 && offsetof(SCRIMAGE, fade) == 36);
static_assert(offsetof(SCRIMAGE, captionlength) == 52 && offsetof(SCRIMAGE, group) == 60);
static_assert(sizeof(SCRTEXT) == SCRTEXT_SIZE);
static_assert(offsetof(SCRTEXT, facename) == 68);
static_assert(sizeof(SCRAPPLET) == SCRAPPLET_SIZE);
static_assert(sizeof(SCRSOUND) == SCRSOUND_SIZE);
static_assert(sizeof(SCRANIM) == SCRANIM_SIZE);
static_assert(sizeof(SCREND) == SCREND_SIZE);
static_assert(offsetof(SCREND, programcheck) == 20);
static_assert(sizeof(APPLETOBJECT) == APPLETOBJECT_SIZE);
static_assert(sizeof(DIBHEADER) == DIBHEADER_SIZE);
static_assert(sizeof(ANIMHEADER) == ANIMHEADER_SIZE);
static_assert(sizeof(OBJECTANIMFRAME) == OBJECTANIMFRAME_SIZE);
static_assert(offsetof(OBJECTANIMFRAME, transparent) == 16);
static_assert(offsetof(OBJECTANIMFRAME, y) == 24);
static_assert(sizeof(SOUNDFORMAT) == SOUNDFORMAT_SIZE);

// Bytes in one row of a packed bitmap: rows are padded to 4 bytes.
constexpr uint32_t DibRowBytes(uint32_t width, uint32_t bits) {
    return uint32_t((uint64_t(width) * bits + 31) / 32 * 4);
}

// Colour-table entries stored for a depth: 2^bits up to 8 bits, else none.
constexpr uint32_t DibColourCount(uint32_t bits) { return bits <= 8 ? 1u << bits : 0u; }

// The largest picture the player holds as a packed bitmap.
constexpr uint64_t MAXPICTUREBYTES = uint64_t(256) << 20;

// Bytes of the packed bitmap a header describes (header, colour table and
// rows), or 0 when it is not one the player draws: uncompressed bottom-up
// rows of 1, 4, 8, 16, 24 or 32 bits, a header of at least 40 bytes, at most
// MAXPICTUREBYTES in all. Compressed pictures are inflated into a block of
// exactly this size.
constexpr uint64_t PackedDibBytes(const DIBHEADER &h) {
    const uint32_t bits = h.biBitCount;
    const bool depth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!depth || h.biSize < DIBHEADER_SIZE || h.biSize > MAXPICTUREBYTES || h.biWidth <= 0 || h.biHeight <= 0 ||
        h.biCompression != 0)
        return 0;
    const uint64_t row = (uint64_t(uint32_t(h.biWidth)) * bits + 31) / 32 * 4;
    if (row > MAXPICTUREBYTES) return 0;
    const uint64_t bytes = h.biSize + 4ull * DibColourCount(bits) + row * uint64_t(uint32_t(h.biHeight));
    return bytes <= MAXPICTUREBYTES ? bytes : 0;
}
