// mlshow extract: a manifest and its files from a show, such that building
// the manifest gives the same content bytes again. The show is read block
// by block twice: once to see that the player loads it, once to extract.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "animation.h"
#include "content/exif.h"
#include "build.h"
#include "checks.h"
#include "commands.h"
#include "dib.h"
#include "errors.h"
#include "fileio.h"
#include "json.h"
#include "manifest.h"
#include "names.h"
#include "reader.h"
#include "sound_import.h"
#include "toml_writer.h"

namespace mlshow {

namespace {

namespace fs = std::filesystem;

template <size_t N>
std::string Field(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

std::string Numbered(size_t index, const std::string &rest) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02zu-", index);
    return prefix + rest;
}

class Extractor {
public:
    Extractor(const fs::path &folder, std::ostream &out, bool quiet) : folder_(folder), out_(out), quiet_(quiet) {}

    void Show(const ShowFile &show) {
        const SCRHEAD &h = show.head;
        toml_.Comment("Extracted by mlshow; `mlshow build show.toml` gives the same content again.");
        toml_.Table("[show]");
        toml_.String("title", Field(h.title));
        toml_.String("description", Field(h.description));
        toml_.String("author", Field(h.author));
        if (h.owner[0]) toml_.String("owner", Field(h.owner));
        if (h.organisation[0]) toml_.String("organisation", Field(h.organisation));
        toml_.String("background", ColourText(h.backgroundcolour));
        // Primary is the default; both bits set play as primary too.
        if (MonitorsName(h.flags) != MonitorsNames()[0]) toml_.String("monitors", MonitorsName(h.flags));
        if (h.flags & SCRF_CLOCKTIME) toml_.String("clock", ClockName(h.flags));
        if (h.flags & SCRF_BROWSEKEYS) toml_.String("keys", KeysName(h.flags));
        if (!show.preview.empty()) toml_.String("preview", Save("preview.bmp", BmpFromDib(show.preview)));
        toml_.Integer("created", h.created);
        if (h.screenwide || h.screendeep) toml_.Pair("screen", h.screenwide, h.screendeep);
    }

    void Block(const ReadBlock &block) {
        switch (block.type) {
            case TAG_IMAG: Picture(block); break;
            case TAG_TEXT: Text(block); break;
            case TAG_APPL: Applet(block); break;
            case TAG_SOND: Sound(block); break;
            case TAG_ANIM: Anim(block); break;
            case TAG_ENDB: break;
            default:
                if (!quiet_) out_ << "skipped a block of unknown type \"" << TagName(block.type) << "\" at " << block.offset << "\n";
        }
    }

    void Finish() {
        WriteFileAtomic(folder_ / "show.toml", Bytes(toml_.Text().begin(), toml_.Text().end()));
        if (!quiet_) out_ << "extracted " << items_ << " items to " << PathText(folder_ / "show.toml") << "\n";
    }

private:
    std::string Save(const std::string &name, const Bytes &bytes) {
        WriteFileAtomic(folder_ / PathOf(name), bytes);
        return name;
    }

    void Item(const char *type) {
        ++items_;
        toml_.Table("[[item]]");
        toml_.String("type", type);
    }

    template <typename Header>
    void Placement(const Header &h) {
        if (h.placement >= 1 && h.placement <= 4) toml_.String("placement", PlacementName(h.placement));
        if (h.x) toml_.Integer("x", h.x);
        if (h.y) toml_.Integer("y", h.y);
    }

    // Text stored as it is: plain when building it again gives the same
    // bytes, else marked raw.
    void TextFile(const std::string &name, const std::string &text) {
        Save(name, Bytes(text.begin(), text.end()));
        if (CrLfLines(text) != text) toml_.Bool("raw", true);
    }

    // A JPEG picture is written as it is stored, and stored so again.
    void Picture(const ReadBlock &block) {
        const SCRIMAGE h = block.As<SCRIMAGE>();
        Item("picture");
        const bool jpeg = h.flags & SCRF_JPEG;
        toml_.String("file", jpeg ? Save(Numbered(items_, "picture.jpg"), block.data)
                                  : Save(Numbered(items_, "picture.bmp"), BmpFromDib(block.data)));
        Placement(h);
        toml_.String("appear", NameOr(EffectNames(), h.appeareffect));
        toml_.String("disappear", NameOr(EffectNames(), h.disappeareffect));
        toml_.Integer("speed", h.speed);
        toml_.Integer("hold", h.holdtime);
        if (h.fade) toml_.Raw("fade", FadeText(h.fade));
        toml_.Integer("duration", h.duration);
        if (h.flags & SCRF_REMAP) toml_.Bool("remap", true);
        if (!jpeg && !(h.flags & SCRF_COMPRESSED)) toml_.Bool("compress", false);
        if (h.flags & SCRF_FITMASK) toml_.String("fit", FitName(h.flags));
        if (h.flags & (SCRF_CAPTIONDATE | SCRF_CAPTIONNAME)) toml_.String("caption", CaptionName(h.flags));
        if (h.flags & SCRF_PANZOOM) toml_.String("motion", MotionName(h.flags));
        if (h.flags & SCRF_BACKDROP) toml_.String("backdrop", BackdropName(h.flags));
        // Only pictures beside one that pairs carry it, which a manifest's
        // picture items may.
        if (h.flags & SCRF_PORTRAITPAIRS) toml_.String("pair", PairName(h.flags));
        // The extracted file has a name of its own: the stored one goes with it.
        // A caption in no encoding the manifest can tell is written as
        // Latin-1 in UTF-8, cut to the length a caption may have.
        if (!block.caption.empty() || (h.flags & SCRF_CAPTIONNAME))
            toml_.String("name", IsUtf8(block.caption) ? block.caption
                                                       : CutUtf8(Latin1ToUtf8(block.caption), MAXCAPTIONLENGTH));
        // The day taken, where building again would not read it from the picture.
        const uint32_t exif = jpeg ? ml::ExifTakenDate(block.data.data(), block.data.size()) : 0;
        if (h.takendate != exif) {
            if (ml::ValidDateNumber(h.takendate)) toml_.Raw("taken", DateText(h.takendate));
            else toml_.Integer("taken", h.takendate);
        }
        if ((h.flags & SCRF_RANDOMORDER) && h.group) toml_.Integer("random_group", h.group);
    }

    void Text(const ReadBlock &block) {
        const SCRTEXT h = block.As<SCRTEXT>();
        Item("text");
        TextFile(Numbered(items_, "text.txt"), std::string(block.data.begin(), block.data.end()));
        toml_.String("file", Numbered(items_, "text.txt"));
        Placement(h);
        toml_.String("font", Field(h.facename));
        toml_.Integer("height", h.fontheight);
        if (h.flags & SCRF_BOLD) toml_.Bool("bold", true);
        if (h.flags & SCRF_ITALIC) toml_.Bool("italic", true);
        if (h.flags & SCRF_UNDERLINE) toml_.Bool("underline", true);
        if (h.flags & SCRF_RESTORE) toml_.Bool("restore", true);
        if (h.flags & SCRF_SCREENBACK) toml_.Bool("screen_background", true);
        toml_.String("colour", ColourText(h.textcolour));
        toml_.String("box_colour", ColourText(h.boxcolour));
        if (h.boxwide || h.boxdeep) toml_.Pair("box", h.boxwide, h.boxdeep);
        toml_.String("style", NameOr(TextStyleNames(), h.style));
        toml_.String("alignment", NameOr(AlignmentNames(), h.alignment));
        if (h.margin) toml_.Integer("margin", h.margin);
        toml_.Integer("speed", h.speed);
        toml_.Integer("duration", h.duration);
    }

    std::string SoundFile(const std::string &stem, uint32_t kind, const Bytes &data) {
        return kind == TAG_MIDI ? Save(stem + ".mid", data) : Save(stem + ".wav", WavFileFromData(data));
    }

    void Applet(const ReadBlock &block) {
        const SCRAPPLET h = block.As<SCRAPPLET>();
        Item("applet");
        // The writer adds the terminating zero again.
        std::string script(block.data.begin(), block.data.end());
        if (!script.empty() && script.back() == 0 && script.find('\0') == script.size() - 1) script.pop_back();
        const std::string name = Numbered(items_, "applet.txt");
        toml_.String("script", name);
        TextFile(name, script);
        if (h.stacksize) toml_.Integer("stack", h.stacksize);
        if (!(h.flags & SCRF_COMPRESSED)) toml_.Bool("compress", false);
        std::string pictures, sounds;
        for (const ReadObject &object : block.pictures) {
            const std::string stem = Numbered(items_, "applet-picture-" + std::to_string(object.record.number) + ".bmp");
            pictures += (pictures.empty() ? "" : ",\n  ") + NumberedEntry(object.record.number, Save(stem, BmpFromDib(object.data)));
        }
        for (const ReadObject &object : block.sounds) {
            const std::string stem = Numbered(items_, "applet-sound-" + std::to_string(object.record.number));
            sounds += (sounds.empty() ? "" : ",\n  ") + NumberedEntry(object.record.number, SoundFile(stem, object.record.kind, object.data));
        }
        if (!pictures.empty()) toml_.Raw("pictures", "[\n  " + pictures + "\n]");
        if (!sounds.empty()) toml_.Raw("sounds", "[\n  " + sounds + "\n]");
    }

    static std::string NumberedEntry(uint32_t number, const std::string &file) {
        return "{ number = " + std::to_string(number) + ", file = " + TomlString(file) + " }";
    }

    void Sound(const ReadBlock &block) {
        const SCRSOUND h = block.As<SCRSOUND>();
        Item("sound");
        toml_.String("file", SoundFile(Numbered(items_, "sound"), h.kind, block.data));
        if (h.flags & SCRF_WAIT) toml_.Bool("wait", true);
    }

    void Anim(const ReadBlock &block) {
        const SCRANIM h = block.As<SCRANIM>();
        std::string wrong;
        const Animation animation = ReadAnimationData(block.data, &wrong);
        if (!wrong.empty()) throw InputError("the animation at " + std::to_string(block.offset) + " is damaged: " + wrong);
        Item("animation");
        Placement(h);
        toml_.Pair("size", animation.wide, animation.deep);
        toml_.Integer("loops", animation.loopcount);
        if (h.flags & SCRF_ENDWITHITEM) toml_.Bool("end_with_item", true);
        if (h.flags & SCRF_ENDWITHROUND) toml_.Bool("end_with_lap", true);
        if (!(h.flags & SCRF_COMPRESSED)) toml_.Bool("compress", false);
        std::string frames;
        for (size_t i = 0; i < animation.frames.size(); ++i) {
            const AnimationFrame &frame = animation.frames[i];
            const std::string name = Save(Numbered(items_, "frame-" + std::to_string(i + 1) + ".bmp"), BmpFromDib(frame.dib));
            frames += (frames.empty() ? "" : ",\n  ") + std::string("{ file = ") + TomlString(name) +
                      ", delay = " + std::to_string(frame.delay) + ", x = " + std::to_string(frame.x) +
                      ", y = " + std::to_string(frame.y) + ", restore = " + ((frame.flags & ANIMFRAME_RESTORE) ? "true" : "false") +
                      ", transparent = " + ((frame.flags & ANIMFRAME_TRANSPARENT) ? "true" : "false") +
                      ", key = " + std::to_string(frame.transparent) + " }";
        }
        toml_.Raw("frames", "[\n  " + frames + "\n]");
    }

    fs::path folder_;
    std::ostream &out_;
    bool quiet_;
    TomlWriter toml_;
    size_t items_ = 0;
};

}  // namespace

int RunExtract(const std::string &path, const std::string &folder, bool quiet, std::ostream &out) {
    const ShowFile show = ScanShowFile(path, nullptr);
    if (!show.loads) throw InputError(path + ": the player rejects this file " + show.failure);
    std::error_code error;
    fs::create_directories(PathOf(folder), error);
    if (error) throw InputError("cannot make " + folder + ": " + error.message());
    Extractor extractor(PathOf(folder), out, quiet);
    extractor.Show(show);
    const ShowFile again = ScanShowFile(path, [&](const ReadBlock &block) { extractor.Block(block); });
    if (!again.loads) throw InputError(path + ": the file changed while it was read");
    extractor.Finish();
    return 0;
}

}  // namespace mlshow
