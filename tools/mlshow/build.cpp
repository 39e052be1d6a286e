// Show building.
#include "build.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "animation.h"
#include "checks.h"
#include "content/exif.h"
#include "content/jpeg.h"
#include "dib.h"
#include "errors.h"
#include "fileio.h"
#include "gif_import.h"
#include "image.h"
#include "json.h"
#include "parallel.h"
#include "progress.h"
#include "sound_import.h"

namespace mlshow {

namespace {

namespace fs = std::filesystem;

// What importing one item leaves for the writer, which runs in item order:
// the block to write and what the player will hold of it.
struct Prepared {
    std::function<void(BlockWriter &)> emit;
    PlayerMemory memory;
};

// How many items the workers may prepare ahead of the writer, per thread.
constexpr size_t kItemsAheadPerThread = 2;

// Runs `import` on one named file, turning its failure into a message at
// the file's place in the manifest.
template <typename Result, typename Import>
Result Imported(const AssetRef &asset, Import import) {
    try {
        return import(ReadWholeFile(asset.path));
    } catch (const InputError &error) {
        throw InputError(asset.where.Message(asset.given + ": " + error.what()));
    }
}

Bytes Stored(const Bytes &data, bool compress) { return compress ? CompressStream(data) : data; }

std::string TextOf(const Bytes &bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

std::string CaptionText(const PictureItem &item) {
    if (item.name) return *item.name;
    if (!(item.header.flags & SCRF_CAPTIONNAME)) return std::string();
    std::string name = fs::path(item.file.given).stem().u8string();
    // A name in no encoding the caption can tell is taken as Latin-1.
    if (!IsUtf8(name)) name = Latin1ToUtf8(name);
    return CutUtf8(std::move(name), MAXCAPTIONLENGTH);
}

std::string CutUtf8(std::string text, size_t most) {
    if (text.size() <= most) return text;
    size_t end = most;
    // Back to the start of the character that would be cut.
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

namespace {

Prepared PreparePicture(const PictureItem &item, uint32_t background) {
    PictureOptions options;
    options.background = background;
    options.maxWidth = item.maxWidth;
    options.maxHeight = item.maxHeight;
    options.store = item.store;
    options.quality = item.quality;
    SCRIMAGE header = item.header;
    StoredPicture picture = Imported<StoredPicture>(item.file, [&](Bytes file) {
        header.takendate = item.taken ? *item.taken : ml::ExifTakenDate(file.data(), file.size());
        return StorePicture(std::move(file), options);
    });
    const std::string caption = CaptionText(item);
    Prepared prepared;
    prepared.memory.other = caption.size();
    if (picture.jpeg) {
        prepared.memory.jpegs = JpegOnScreen(picture.data);
        auto jpeg = std::make_shared<Bytes>(std::move(picture.data));
        prepared.emit = [header, jpeg, caption](BlockWriter &writer) { writer.AddJpegPicture(header, *jpeg, caption); };
        return prepared;
    }
    prepared.memory.bitmaps = picture.data.size();
    auto stored = std::make_shared<Bytes>(Stored(picture.data, item.compress));
    prepared.emit = [header, compress = item.compress, stored, caption](BlockWriter &writer) {
        writer.AddStoredPicture(header, *stored, compress, caption);
    };
    return prepared;
}

Prepared PrepareText(const TextItem &item) {
    std::string text = item.file ? Imported<std::string>(*item.file, TextOf) : item.message;
    if (!item.raw) text = CrLfLines(text);
    Prepared prepared;
    prepared.memory.other = text.size();
    prepared.emit = [header = item.header, text](BlockWriter &writer) { writer.AddText(header, text); };
    return prepared;
}

Prepared PrepareApplet(const AppletItem &item, uint32_t background) {
    std::string script = Imported<std::string>(item.script, TextOf);
    if (!item.raw) script = CrLfLines(script);
    Prepared prepared;
    // The script is held with its terminating zero byte.
    prepared.memory.applets = script.size() + (script.empty() || script.back() != '\0' ? 1 : 0);
    std::vector<ShowObject> pictures, sounds;
    for (const NumberedAsset &picture : item.pictures) {
        const Bytes dib = Imported<Bytes>(picture.file, [&](const Bytes &file) {
            return ImportPicture(file, background, 0, 0);
        });
        prepared.memory.applets += dib.size();
        pictures.push_back({TAG_PICT, picture.number, Stored(dib, item.compress)});
    }
    for (const NumberedAsset &sound : item.sounds) {
        Sound imported = Imported<Sound>(sound.file, ImportSound);
        prepared.memory.applets += imported.data.size();
        sounds.push_back({imported.kind, sound.number, std::move(imported.data)});
    }
    auto objects = std::make_shared<std::pair<std::vector<ShowObject>, std::vector<ShowObject>>>(std::move(pictures), std::move(sounds));
    prepared.emit = [header = item.header, compress = item.compress, objects, script](BlockWriter &writer) {
        writer.AddStoredApplet(header, objects->first, objects->second, script, compress);
    };
    return prepared;
}

Prepared PrepareSound(const SoundItem &item) {
    auto sound = std::make_shared<Sound>(Imported<Sound>(item.file, ImportSound));
    SCRSOUND header = item.header;
    header.kind = sound->kind;
    Prepared prepared;
    prepared.memory.other = sound->data.size();
    prepared.emit = [header, sound](BlockWriter &writer) { writer.AddSound(header, sound->data); };
    return prepared;
}

Animation GifAnimationOf(const AnimationItem &item) {
    const GifAnimation gif = Imported<GifAnimation>(*item.gif, DecodeGif);
    Animation animation;
    animation.wide = int32_t(item.wide ? item.wide : gif.width);
    animation.deep = int32_t(item.deep ? item.deep : gif.height);
    animation.loopcount = item.loops.value_or(gif.loops);
    for (size_t i = 0; i < gif.frames.size(); ++i) {
        FrameDib packed = PackFrameDib(gif.frames[i]);
        AnimationFrame frame;
        frame.dib = std::move(packed.dib);
        frame.delay = gif.delays[i];
        frame.transparent = packed.key;
        // Frames are whole composed pictures: where one is transparent the
        // screen behind must show, not the frame before it.
        frame.flags = packed.transparent ? ANIMFRAME_TRANSPARENT | ANIMFRAME_RESTORE : 0;
        animation.frames.push_back(std::move(frame));
    }
    return animation;
}

AnimationFrame FrameOf(const FrameSpec &wanted) {
    FrameDib packed = Imported<FrameDib>(wanted.file, [](const Bytes &file) {
        if (std::optional<Bytes> dib = DibFromPlayerBmp(file)) return FrameDib{std::move(*dib), false, 0};
        return PackFrameDib(DecodeImage(file));
    });
    AnimationFrame frame;
    frame.dib = std::move(packed.dib);
    frame.delay = wanted.delay;
    frame.x = wanted.x;
    frame.y = wanted.y;
    frame.transparent = wanted.key.value_or(packed.key);
    frame.flags = (wanted.transparent.value_or(packed.transparent) ? ANIMFRAME_TRANSPARENT : 0) |
                  (wanted.restore ? ANIMFRAME_RESTORE : 0);
    return frame;
}

Animation FramesAnimationOf(const AnimationItem &item) {
    Animation animation;
    int64_t wide = 1, deep = 1;
    for (const FrameSpec &wanted : item.frames) {
        AnimationFrame frame = FrameOf(wanted);
        DibInfo info;
        CheckPackedDib(frame.dib.data(), frame.dib.size(), &info);
        wide = std::max<int64_t>(wide, int64_t(wanted.x) + info.width);
        deep = std::max<int64_t>(deep, int64_t(wanted.y) + info.height);
        animation.frames.push_back(std::move(frame));
    }
    animation.wide = int32_t(item.wide ? item.wide : std::min<int64_t>(wide, 65535));
    animation.deep = int32_t(item.deep ? item.deep : std::min<int64_t>(deep, 65535));
    animation.loopcount = item.loops.value_or(0);
    return animation;
}

Prepared PrepareAnimation(const AnimationItem &item) {
    const Animation animation = item.gif ? GifAnimationOf(item) : FramesAnimationOf(item);
    const Bytes data = BuildAnimationData(animation);
    if (data.size() > MAX_DIB_BYTES)
        throw InputError(item.where.Message("the animation's frames take more than 256 MB"));
    Prepared prepared;
    prepared.memory.other = data.size();
    auto stored = std::make_shared<Bytes>(Stored(data, item.compress));
    prepared.emit = [header = item.header, compress = item.compress, stored](BlockWriter &writer) {
        writer.AddStoredAnimation(header, *stored, compress);
    };
    return prepared;
}

Prepared PrepareItem(const Item &item, uint32_t background) {
    if (const auto *p = std::get_if<PictureItem>(&item)) return PreparePicture(*p, background);
    if (const auto *t = std::get_if<TextItem>(&item)) return PrepareText(*t);
    if (const auto *a = std::get_if<AppletItem>(&item)) return PrepareApplet(*a, background);
    if (const auto *s = std::get_if<SoundItem>(&item)) return PrepareSound(*s);
    if (const auto *a = std::get_if<AnimationItem>(&item)) return PrepareAnimation(*a);
    throw std::logic_error("a picture folder reached the build unlisted");
}

uint64_t FileSize(const fs::path &path) {
    std::error_code error;
    const uint64_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

// The work of each item for the progress bar: the bytes of its files.
std::vector<uint64_t> ItemWeights(const Manifest &manifest) {
    std::vector<uint64_t> weights;
    for (const Item &item : manifest.items) {
        Manifest single;
        single.items.push_back(item);
        uint64_t weight = 1;
        for (const AssetRef *asset : ManifestAssets(single)) weight += FileSize(asset->path);
        weights.push_back(weight);
    }
    return weights;
}

SCRHEAD HeadOf(const Manifest &manifest, uint32_t created) {
    const ShowSettings &show = manifest.show;
    SCRHEAD head{};
    head.flags = show.monitors | show.clock | show.keys;
    head.creatorversion = CREATORVERSION;
    head.screenwide = show.screenWide;
    head.screendeep = show.screenDeep;
    head.backgroundcolour = show.background;
    head.created = created;
    SetField(head.owner, show.owner);
    SetField(head.organisation, show.organisation);
    SetField(head.author, show.author);
    SetField(head.title, show.title);
    SetField(head.description, show.description);
    return head;
}

}  // namespace

std::string CrLfLines(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

uint64_t DecodeBytes(const Bytes &file) {
    constexpr uint64_t kBytesPerPixel = 16;
    uint32_t width = 0, height = 0;
    // The header is read only from a file the decoder may be given at all.
    if (!JpegTablesFit(file) || !DecodedSize(file, &width, &height)) return file.size();
    return file.size() + uint64_t(width) * height * kBytesPerPixel;
}

namespace {

MemoryBudget &DecodeBudget() {
    static MemoryBudget budget(DECODE_BUDGET);
    return budget;
}

}  // namespace

Bytes ImportPicture(const Bytes &file, uint32_t background, uint32_t maxWidth, uint32_t maxHeight) {
    if (std::optional<Bytes> dib = DibFromPlayerBmp(file)) {
        DibInfo info;
        CheckPackedDib(dib->data(), dib->size(), &info);
        const bool fits = (maxWidth == 0 || info.width <= maxWidth) && (maxHeight == 0 || info.height <= maxHeight);
        if (fits) return *dib;
    }
    const BudgetShare share(DecodeBudget(), DecodeBytes(file));
    Image image = DecodeImage(file);
    FlattenOnto(image, background);
    if (maxWidth && maxHeight) image = ScaleToFit(image, maxWidth, maxHeight);
    return PackDib(image);
}

bool JpegSizeFitsPlayer(uint64_t width, uint64_t height, uint64_t pixels) {
    return width <= ml::MAXJPEGSIDE && height <= ml::MAXJPEGSIDE && width * height <= pixels;
}

Image ScaleIntoPlayerLimits(const Image &image, uint64_t pixels) {
    const double side = double(ml::MAXJPEGSIDE);
    const double scale = std::min({1.0, side / image.width, side / image.height,
                                   std::sqrt(double(pixels) / (double(image.width) * image.height))});
    // The box is rounded down; ScaleToFit keeps within it and the aspect.
    const uint32_t width = std::max<uint32_t>(1, uint32_t(image.width * scale));
    const uint32_t height = std::max<uint32_t>(1, uint32_t(image.height * scale));
    return ScaleToFit(image, width, height);
}

StoredPicture StorePicture(Bytes file, const PictureOptions &options) {
    if (options.store == PictureStore::Bitmap || !IsJpeg(file))
        return {false, ImportPicture(file, options.background, options.maxWidth, options.maxHeight)};
    ml::JPEGINFO info;
    const ml::JPEGCHECK check = ml::CheckJpeg(file.data(), file.size(), &info);
    const bool playable = check == ml::JPEG_OK && JpegHasEnd(file);
    // The player's decoder is stb's too: the same guard as for decoding here.
    if (!JpegTablesFit(file)) throw InputError("damaged JPEG: a Huffman table holds more than 256 codes");
    const uint32_t orientation = ml::ExifOrientation(file.data(), file.size());
    const bool swapped = ml::OrientationSwapsSides(orientation);
    // max_size goes by the size the decoder sees, which a file the player's
    // check refuses has too.
    uint32_t width = info.width, height = info.height;
    DecodedSize(file, &width, &height);
    if (swapped) std::swap(width, height);
    const bool fits = !options.maxWidth || (width <= options.maxWidth && height <= options.maxHeight);
    // One larger than the player decodes would become a bitmap of hundreds
    // of megabytes: it is scaled down to the largest the player takes.
    const bool oversize = !JpegSizeFitsPlayer(width, height, options.playerPixels);
    const bool change = orientation != ml::ORIENTATION_UPRIGHT || !fits || oversize;
    if (playable && !change) return {true, std::move(file)};

    const BudgetShare share(DecodeBudget(), DecodeBytes(file));
    Image image;
    try {
        image = DecodeImage(file);  // upright
    } catch (const InputError &error) {
        if (playable || check == ml::JPEG_CODING) throw;  // the decoder's message says it all
        throw InputError(std::string(check != ml::JPEG_OK ? ml::JpegCheckText(check) : "a JPEG cut short") +
                         "; mlshow cannot decode it either: " + error.what());
    }
    file = Bytes();
    if (change) {
        // A picture that changes anyway is encoded again as a JPEG the player takes.
        if (!fits) image = ScaleToFit(image, options.maxWidth, options.maxHeight);
        if (!JpegSizeFitsPlayer(image.width, image.height, options.playerPixels))
            image = ScaleIntoPlayerLimits(image, options.playerPixels);
        Bytes jpeg = EncodeJpeg(image, options.quality);
        if (ml::CheckJpeg(jpeg.data(), jpeg.size(), &info) == ml::JPEG_OK) return {true, std::move(jpeg)};
    }
    FlattenOnto(image, options.background);
    return {false, PackDib(image)};
}

uint32_t CreationTime(const Manifest &manifest, uint32_t now) {
    if (manifest.show.created) return *manifest.show.created;
    if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char *end = nullptr;
        const unsigned long long value = std::strtoull(epoch, &end, 10);
        if (end != epoch && *end == 0 && value <= UINT32_MAX) return uint32_t(value);
    }
    return now;
}

std::string DefaultOutputName(const std::string &title) {
    std::string name;
    for (unsigned char c : title) {
        const bool unfit = c < 0x20 || c == 0x7F || std::strchr("<>:\"/\\|?*", c) != nullptr;
        name += unfit ? '_' : char(c);
    }
    const auto trim = [](std::string &text) {
        const size_t first = text.find_first_not_of(". ");
        if (first == std::string::npos) return text.clear();
        text = text.substr(first, text.find_last_not_of(". ") - first + 1);
    };
    trim(name);
    name = CutUtf8(name, 200);
    trim(name);
    // Windows takes these as devices, whatever follows the first dot.
    std::string device = name.substr(0, name.find('.'));
    device.erase(device.find_last_not_of(' ') + 1);
    for (char &c : device) c = char(std::toupper(uint8_t(c)));
    static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    bool reserved = std::find(std::begin(kDevices), std::end(kDevices), device) != std::end(kDevices);
    // COM and LPT with a digit, the superscript ones (UTF-8 C2 B9, C2 B2, C2 B3) among them.
    const std::string number = device.size() >= 4 ? device.substr(3) : std::string();
    const bool digit = (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
                       number == "\xC2\xB2" || number == "\xC2\xB3";
    if (digit && (device.rfind("COM", 0) == 0 || device.rfind("LPT", 0) == 0)) reserved = true;
    if (reserved) name.insert(device.size(), "_");
    return (name.empty() ? "show" : name) + ".scr";
}

BuildResult BuildShowTo(const Manifest &manifest, const Bytes &program, const BuildSettings &settings, ByteSink &sink) {
    // Refused before any file is imported: such a show is never written.
    const std::string tooMany = ItemCountProblem(manifest.items.size());
    if (!tooMany.empty()) throw InputErrors({manifest.name + ": " + tooMany});
    const uint32_t background = manifest.show.background;
    const std::vector<uint64_t> weights = ItemWeights(manifest);
    uint64_t total = 0;
    for (uint64_t w : weights) total += w;
    Progress progress("building", total, Progress::Wanted(total, settings.quiet));

    std::vector<std::string> messages;
    Bytes preview;
    if (manifest.show.preview) {
        try {
            preview = Imported<Bytes>(*manifest.show.preview, [&](const Bytes &file) {
                return ImportPicture(file, background, PREVIEW_WIDTH, PREVIEW_HEIGHT);
            });
        } catch (const InputError &error) {
            messages.push_back(error.what());
        }
    }
    // Nothing is written once anything failed; the items are still
    // imported, so that every mistake is reported at once.
    std::optional<ShowStream> stream;
    if (messages.empty()) stream.emplace(sink, program, HeadOf(manifest, CreationTime(manifest, settings.now)), preview);
    BuildResult result;
    result.items = manifest.items.size();
    result.memory.bitmaps = preview.size();
    preview = Bytes();

    std::vector<Prepared> prepared(manifest.items.size());
    std::vector<std::string> errors(manifest.items.size());
    const unsigned threads = ThreadCount(settings.threads);
    auto prepare = [&](size_t i) {
        try {
            prepared[i] = PrepareItem(manifest.items[i], background);
        } catch (const std::exception &error) {  // InputError, or out of memory
            errors[i] = error.what();
        }
        progress.Advance(weights[i]);
    };
    auto write = [&](size_t i) {
        const Prepared item = std::move(prepared[i]);
        prepared[i] = Prepared();
        if (!errors[i].empty()) messages.push_back(errors[i]);
        if (!messages.empty()) return;
        try {
            item.emit(*stream);
        } catch (const std::length_error &) {
            throw InputErrors({"the show would be larger than 4 GB: a show file, player included, holds at most " +
                               std::to_string(MAXSHOWFILE) + " bytes"});
        }
        result.memory += item.memory;
    };
    RunOrdered(manifest.items.size(), threads, kItemsAheadPerThread * threads, prepare, write);
    // A show the player cannot hold would leave the saver black.
    if (messages.empty() && result.memory.Total() > settings.playerLimit)
        messages.push_back(manifest.name + ": " + result.memory.Warning());
    if (!messages.empty()) throw InputErrors(messages);
    stream->Finish();
    result.size = stream->Size();
    return result;
}

Bytes BuildShow(const Manifest &manifest, const Bytes &program, const BuildSettings &settings) {
    MemorySink sink;
    BuildShowTo(manifest, program, settings, sink);
    return std::move(sink.bytes);
}

}  // namespace mlshow
