// The show manifest: a TOML file with a [show] table for the header and one
// [[item]] table per block, in playing order. Reading it checks every key
// and value and reports each mistake as "FILE:LINE:COLUMN: what is wrong";
// it touches no other file, so it can be fuzzed on its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "content/format.h"

namespace mlshow {

// Where a value was written: the manifest's name as given, line and column.
struct Where {
    std::string file;
    uint32_t line = 0;
    uint32_t column = 0;
    // "show.toml:3:9: " followed by `message`.
    std::string Message(const std::string &message) const;
};

// A file named by the manifest: as written, resolved against the
// manifest's folder, and where it was named.
struct AssetRef {
    std::string given;           // UTF-8, as the manifest has it
    std::filesystem::path path;  // kept a path, so that any name opens
    Where where;
};

struct ShowSettings {
    std::string title;
    std::string description;
    std::string author;
    std::string owner;
    std::string organisation;
    uint32_t background = 0;  // 0x00BBGGRR
    std::optional<AssetRef> preview;
    std::optional<uint32_t> created;  // seconds since 1970, when the manifest gives it
    uint32_t screenWide = 0;
    uint32_t screenDeep = 0;
    // The header's monitor bits: 0 (the primary monitor only),
    // SCRF_EACHMONITOR or SCRF_MIRRORMONITORS.
    uint32_t monitors = 0;
    // The header's clock bits: 0, SCRF_CLOCKTIME or SCRF_CLOCKMASK (date
    // and time); and SCRF_BROWSEKEYS or 0.
    uint32_t clock = 0;
    uint32_t keys = 0;
};

// How a picture is stored: a JPEG file as it is wherever the player can
// decode it (turned or scaled ones re-encoded), anything else as a bitmap;
// or every picture as a bitmap.
enum class PictureStore { Auto, Bitmap };

constexpr int DEFAULT_JPEG_QUALITY = 90;

struct PictureItem {
    SCRIMAGE header{};
    AssetRef file;
    bool compress = true;   // bitmaps as zlib streams
    uint32_t maxWidth = 0;  // 0: no limit
    uint32_t maxHeight = 0;
    PictureStore store = PictureStore::Auto;
    int quality = DEFAULT_JPEG_QUALITY;  // of JPEG pictures re-encoded
    // The header's flags carry the fit (SCRF_FIT, SCRF_FILL), the caption
    // (SCRF_CAPTIONDATE, SCRF_CAPTIONNAME), the motion (SCRF_PANZOOM), the
    // backdrop (SCRF_BACKDROP) and the pairing (SCRF_PORTRAITPAIRS).
    std::optional<std::string> name;   // the name caption's text; default: the file's name without its extension
    std::optional<uint32_t> taken;     // yyyymmdd (0 none); default: the photo's EXIF DateTimeOriginal
    // Which run of pictures played in a drawn order the picture belongs to:
    // 0 none; consecutive pictures of the same run become one group
    // (NumberRandomGroups). A picture's `random_group` key gives 1..2^32-1,
    // a folder with order = "random" a run of its own above that.
    uint64_t randomRun = 0;
};

// The order of a folder's pictures: by name, shuffled at build time from
// `seed`, or drawn by the player each time it runs.
enum class PictureOrderKind { Name, Shuffle, Random };

// A folder of pictures as the manifest gives it; LoadManifest turns it into
// one PictureItem per picture file.
struct PictureFolderItem {
    PictureItem picture;  // the keys every picture takes (no file)
    AssetRef folder;
    std::vector<uint32_t> appear;  // effects the pictures take in turn
    std::vector<uint32_t> disappear;
    PictureOrderKind order = PictureOrderKind::Name;
    uint32_t seed = 0;
};

struct TextItem {
    SCRTEXT header{};
    std::string message;  // inline text, when no file is given
    std::optional<AssetRef> file;
    bool raw = false;  // store the bytes exactly, without making line ends CR LF
};

struct NumberedAsset {
    uint32_t number = 0;
    AssetRef file;
};

struct AppletItem {
    SCRAPPLET header{};
    AssetRef script;
    bool raw = false;
    bool compress = true;
    std::vector<NumberedAsset> pictures;
    std::vector<NumberedAsset> sounds;
};

struct SoundItem {
    SCRSOUND header{};  // flags carry SCRF_WAIT
    AssetRef file;
};

struct FrameSpec {
    AssetRef file;
    uint32_t delay = 100;
    int32_t x = 0;
    int32_t y = 0;
    bool restore = false;
    std::optional<bool> transparent;  // default: whether the picture has transparent pixels
    std::optional<uint32_t> key;      // the transparent pixel value as stored
};

struct AnimationItem {
    SCRANIM header{};  // flags carry SCRF_ENDWITHITEM / SCRF_ENDWITHROUND
    std::optional<AssetRef> gif;
    std::vector<FrameSpec> frames;
    std::optional<uint32_t> loops;
    uint32_t wide = 0;  // 0: from the frames
    uint32_t deep = 0;
    bool compress = true;
    Where where;
};

using Item = std::variant<PictureItem, TextItem, AppletItem, SoundItem, AnimationItem, PictureFolderItem>;

struct Manifest {
    std::string name;  // the manifest's path as given, for messages
    ShowSettings show;
    std::vector<Item> items;
};

// Parses manifest text. `name` prefixes the messages; relative file names
// are resolved against `folder`. Throws InputErrors with every mistake.
Manifest ParseManifest(std::string_view text, const std::string &name, const std::string &folder);

// Reads and parses the manifest at `path` (UTF-8), lists its picture folders into
// picture items, then checks that every file it names can be read. Throws
// InputErrors.
Manifest LoadManifest(const std::string &path);
// The same for manifest text read from elsewhere.
Manifest CompleteManifest(std::string_view text, const std::string &name, const std::string &folder);

// Replaces every picture folder with one picture item per picture file in
// it; a message at the folder's place for each folder that cannot be read
// or holds no pictures.
void ExpandPictureFolders(Manifest &manifest, std::vector<std::string> *errors);

// Gives every run of consecutive pictures that share a `randomRun` a group
// number, from 1 in file order, and SCRF_RANDOMORDER.
void NumberRandomGroups(std::vector<Item> &items);
// Takes SCRF_PORTRAITPAIRS off every picture with no neighbouring picture
// that has it (a folder of one picture): it has none to pair with, and a
// lone picture item may not carry it.
void DropLonePairs(std::vector<Item> &items);

// The names of the fits by the value of their flag bits (0 none, 1 fit,
// 2 fill), of the captions (0 none, 1 date, 2 name, 3 date and name) and
// of the motions (0 none, 1 pan-zoom).
const std::vector<std::string_view> &FitNames();
const std::vector<std::string_view> &CaptionNames();
const std::vector<std::string_view> &MotionNames();
// The backdrops (0 none, 1 blur) and the pairings (0 none, 1 portraits).
const std::vector<std::string_view> &BackdropNames();
const std::vector<std::string_view> &PairNames();
// The fit's name of a picture block's flags ("none" when both bits are set).
std::string FitName(uint32_t flags);
std::string CaptionName(uint32_t flags);
std::string MotionName(uint32_t flags);
std::string BackdropName(uint32_t flags);
std::string PairName(uint32_t flags);
// The monitor modes by the value of their header bits (0 primary, 1 each,
// 2 mirror), and the mode of a header's flags ("primary" when both bits
// are set, as the player plays it).
const std::vector<std::string_view> &MonitorsNames();
std::string MonitorsName(uint32_t flags);
// The clocks (0 none, 1 time, 2 date and time) and the key sets (0 none,
// 1 browse), and those of a header's flags (SCRF_CLOCKDATE alone is no
// clock, as the player shows it).
const std::vector<std::string_view> &ClockNames();
const std::vector<std::string_view> &KeysNames();
std::string ClockName(uint32_t flags);
std::string KeysName(uint32_t flags);
// The header bits of a clock by its index in ClockNames.
uint32_t ClockFlags(uint32_t index);

// Whether a file name is a picture's that a folder contributes: .jpg,
// .jpeg, .png, .bmp or .gif in any case, not hidden (no leading dot).
bool IsPictureFileName(const std::string &name);

// The order of a folder's pictures: names sorted byte by byte, then, with
// `shuffle`, put in an order drawn from `seed` (Fisher-Yates over
// std::mt19937), the same on every platform and for every listing order.
std::vector<std::string> PictureOrder(std::vector<std::string> names, bool shuffle, uint32_t seed);

// Every file the manifest names, in order.
std::vector<const AssetRef *> ManifestAssets(const Manifest &manifest);

}  // namespace mlshow
