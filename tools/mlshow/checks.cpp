// Deeper checks and descriptions of blocks.
#include "checks.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <set>

#include "animation.h"
#include "content/exif.h"
#include "content/jpeg.h"
#include "dib.h"
#include "image.h"
#include "json.h"
#include "manifest.h"
#include "names.h"
#include "sound_import.h"

namespace mlshow {

namespace {

template <size_t N>
bool Terminated(const char (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}

void InRange(std::vector<std::string> &out, const char *what, uint32_t value, uint32_t low, uint32_t high) {
    if (value < low || value > high)
        out.push_back(std::string(what) + " " + std::to_string(value) + " is outside " + std::to_string(low) + ".." +
                      std::to_string(high));
}

void DibProblem(std::vector<std::string> &out, const std::string &what, const Bytes &dib) {
    const std::string wrong = CheckPackedDib(dib.data(), dib.size(), nullptr);
    if (!wrong.empty()) out.push_back(what + ": " + wrong);
}

void SoundProblem(std::vector<std::string> &out, const std::string &what, uint32_t kind, const Bytes &data) {
    std::string wrong = kind == TAG_WAVE   ? CheckWaveData(data)
                        : kind == TAG_MIDI ? CheckMidiData(data)
                                           : "sound kind \"" + TagName(kind) + "\" is neither wave nor midi";
    if (!wrong.empty()) out.push_back(what + ": " + wrong);
}

void PictureProblems(const ReadBlock &block, std::vector<std::string> &out) {
    const SCRIMAGE h = block.As<SCRIMAGE>();
    InRange(out, "appear effect", h.appeareffect, 0, CROSSFADE_EFFECT);
    InRange(out, "disappear effect", h.disappeareffect, 0, CROSSFADE_EFFECT);
    if (h.fade && (h.fade < 200 || h.fade > 10000))
        out.push_back("fade " + std::to_string(h.fade) +
                      " ms is outside 200..10000: the player clamps it to 10000 or plays it as it is");
    InRange(out, "speed", h.speed, 1, 80);
    if ((h.flags & SCRF_FITMASK) == SCRF_FITMASK) out.push_back("both FIT and FILL are set: the picture plays at its own size");
    if ((h.flags & SCRF_BACKDROP) && FitName(h.flags) != "fit") out.push_back("BACKDROP without FIT: the picture shows no backdrop");
    if (h.takendate && !ml::ValidDateNumber(h.takendate))
        out.push_back("the day taken " + std::to_string(h.takendate) + " is no date yyyymmdd: the caption shows no date");
    if (!IsUtf8(block.caption)) out.push_back("the caption text is not UTF-8");
    if ((h.flags & SCRF_RANDOMORDER) && h.group == 0) out.push_back("a picture of a random order without its group number");
    if (!(h.flags & SCRF_RANDOMORDER) && h.group) out.push_back("group " + std::to_string(h.group) + " without RANDOMORDER");
    if (!(h.flags & SCRF_JPEG)) {
        DibProblem(out, "picture", block.data);
        return;
    }
    ml::JPEGINFO info;
    const ml::JPEGCHECK check = ml::CheckJpeg(block.data.data(), block.data.size(), &info);
    if (check != ml::JPEG_OK) out.push_back(std::string("picture: ") + ml::JpegCheckText(check));
    if (h.flags & SCRF_COMPRESSED) out.push_back("a JPEG picture marked COMPRESSED too: JPEG data is stored as it is");
    if (!JpegTablesFit(block.data)) out.push_back("picture: a JPEG Huffman table holds more than 256 codes");
}

void TextProblems(const ReadBlock &block, std::vector<std::string> &out) {
    const SCRTEXT h = block.As<SCRTEXT>();
    InRange(out, "text style", h.style, 0, 5);
    InRange(out, "alignment", h.alignment, 0, 2);
    InRange(out, "speed", h.speed, 1, 80);
    if (!Terminated(h.facename)) out.push_back("the font name has no terminating zero");
    if (block.data.empty()) out.push_back("the text is empty");
}

void AppletProblems(const ReadBlock &block, std::vector<std::string> &out) {
    std::set<uint32_t> pictures, sounds;
    for (const ReadObject &object : block.pictures) {
        const std::string what = "applet picture " + std::to_string(object.record.number);
        if (object.cutShort) out.push_back(what + ": compressed stream is cut short");
        DibProblem(out, what, object.data);
        InRange(out, "applet picture number", object.record.number, 1, 16383);
        if (!pictures.insert(object.record.number).second) out.push_back(what + " is numbered twice");
    }
    for (const ReadObject &object : block.sounds) {
        const std::string what = "applet sound " + std::to_string(object.record.number);
        SoundProblem(out, what, object.record.kind, object.data);
        InRange(out, "applet sound number", object.record.number, 1, 16383);
        if (!sounds.insert(object.record.number).second) out.push_back(what + " is numbered twice");
    }
    if (block.data.empty() || block.data.back() != 0) out.push_back("the script does not end with a zero byte");
}

void AnimationProblems(const ReadBlock &block, std::vector<std::string> &out) {
    std::string wrong;
    ReadAnimationData(block.data, &wrong);
    if (!wrong.empty()) out.push_back(wrong);
}

std::string Ratio(size_t stored, size_t held) {
    char text[64];
    std::snprintf(text, sizeof text, "%zu -> %zu bytes (%.1f%%)", held, stored, held ? 100.0 * double(stored) / double(held) : 0.0);
    return text;
}

std::string JpegText(const Bytes &jpeg) {
    ml::JPEGINFO info;
    const ml::JPEGCHECK check = ml::CheckJpeg(jpeg.data(), jpeg.size(), &info);
    if (check != ml::JPEG_OK && check != ml::JPEG_SIZE) return "damaged JPEG";
    const char *coding = info.frame == 0xC2 ? "progressive" : info.frame == 0xC1 ? "extended" : "baseline";
    return std::to_string(info.width) + "x" + std::to_string(info.height) + ", " + coding + ", " +
           (info.components == 1 ? "grey" : "colour") + ", " + std::to_string(jpeg.size()) + " bytes";
}

std::string DibText(const Bytes &dib) {
    DibInfo info;
    if (!CheckPackedDib(dib.data(), dib.size(), &info).empty()) return "damaged bitmap";
    return std::to_string(info.width) + "x" + std::to_string(info.height) + ", " + std::to_string(info.bits) + " bits";
}

// The first words of a text, on one line.
std::string FirstWords(const std::string &text, size_t most = 40) {
    std::string line;
    for (char c : text) {
        if (c == 0) break;
        if (line.size() >= most) {
            line += "...";
            break;
        }
        line += (unsigned char)c < 32 ? ' ' : c;
    }
    return "\"" + line + "\"";
}

size_t CountLines(const Bytes &script) {
    size_t lines = 0;
    bool content = false;
    for (uint8_t c : script) {
        if (c == 0) break;
        if (c == '\n') {
            ++lines;
            content = false;
        } else if (c != '\r') {
            content = true;
        }
    }
    return lines + (content ? 1 : 0);
}

std::string AnimationText(const Bytes &data) {
    std::string wrong;
    const Animation animation = ReadAnimationData(data, &wrong);
    if (!wrong.empty()) return "damaged animation: " + wrong;
    std::string text = std::to_string(animation.wide) + "x" + std::to_string(animation.deep) + ", " +
                       std::to_string(animation.frames.size()) + " frames, delays";
    for (size_t i = 0; i < animation.frames.size() && i < 8; ++i) text += " " + std::to_string(animation.frames[i].delay);
    if (animation.frames.size() > 8) text += " ...";
    text += " ms, " + (animation.loopcount ? std::to_string(animation.loopcount) + " loops" : std::string("looping"));
    return text;
}

}  // namespace

std::vector<std::string> BlockProblems(const ReadBlock &block) {
    std::vector<std::string> out;
    if (block.cutShort) out.push_back("the compressed stream is cut short");
    switch (block.type) {
        case TAG_IMAG: PictureProblems(block, out); break;
        case TAG_TEXT: TextProblems(block, out); break;
        case TAG_APPL: AppletProblems(block, out); break;
        case TAG_SOND: SoundProblem(out, "sound", block.As<SCRSOUND>().kind, block.data); break;
        case TAG_ANIM: AnimationProblems(block, out); break;
        case TAG_ENDB: break;
        default:
            if (block.length == 0) out.push_back("a block of length 0 ends the chain before the trailer");
            else out.push_back("block of unknown type \"" + TagName(block.type) + "\" is skipped by the player");
    }
    return out;
}

std::string JpegDecodeProblem(const Bytes &jpeg) {
    const std::string failure = JpegDecodeFailure(jpeg);
    return failure.empty() ? "" : "the JPEG picture does not decode (" + failure + "): the player will pass it over";
}

std::string DateText(uint32_t yyyymmdd) {
    if (!ml::ValidDateNumber(yyyymmdd)) return std::to_string(yyyymmdd);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned(yyyymmdd / 10000), unsigned(yyyymmdd / 100 % 100),
                  unsigned(yyyymmdd % 100));
    return text;
}

std::string FadeText(uint32_t milliseconds) {
    if (milliseconds == 0) milliseconds = DEFAULT_FADE_MS;
    std::string text = std::to_string(milliseconds / 1000);
    if (const uint32_t rest = milliseconds % 1000) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03u", unsigned(rest));
        text += fraction;
        while (text.back() == '0') text.pop_back();
    }
    return text;
}

std::string OrderText(const SCRIMAGE &h) {
    return h.flags & SCRF_RANDOMORDER ? "random (group " + std::to_string(h.group) + ")" : "as stored";
}

std::string Presentation(const ReadBlock &block) {
    const SCRIMAGE h = block.As<SCRIMAGE>();
    std::string text = ", fit " + FitName(h.flags) + ", order " + OrderText(h) + ", caption " + CaptionName(h.flags);
    if (!block.caption.empty()) text += " " + FirstWords(block.caption);
    if (h.flags & SCRF_PANZOOM) text += ", motion " + MotionName(h.flags);
    if (h.flags & SCRF_BACKDROP) text += ", backdrop " + BackdropName(h.flags);
    if (h.flags & SCRF_PORTRAITPAIRS) text += ", pair " + PairName(h.flags);
    if (h.takendate) text += ", taken " + DateText(h.takendate);
    return text;
}

std::string PictureForm(const ReadBlock &block) {
    if (block.flags & SCRF_JPEG) return "jpeg";
    return block.flags & SCRF_COMPRESSED ? "deflated bitmap" : "bitmap";
}

std::vector<std::string> ShowProblems(const ShowFile &show) {
    std::vector<std::string> out;
    const SCRHEAD &head = show.head;
    const size_t expected = SCRHEAD_SIZE + show.preview.size();
    if (head.length != expected)
        out.push_back("HEAD length " + std::to_string(head.length) + ", the header and preview take " + std::to_string(expected));
    if (head.preview != 0 && head.preview != 1) out.push_back("preview field " + std::to_string(head.preview) + " is neither 0 nor 1");
    if (!show.preview.empty()) DibProblem(out, "preview", show.preview);
    if (!Terminated(head.title) || !Terminated(head.description) || !Terminated(head.author) || !Terminated(head.owner) ||
        !Terminated(head.organisation))
        out.push_back("a text field of the header has no terminating zero");
    if (!ItemCountProblem(show.items).empty()) out.push_back(ItemCountProblem(show.items));
    if ((head.flags & SCRF_MONITORMASK) == SCRF_MONITORMASK)
        out.push_back("both EACHMONITOR and MIRRORMONITORS are set: the show plays on the primary monitor only");
    if ((head.flags & SCRF_CLOCKMASK) == SCRF_CLOCKDATE) out.push_back("CLOCKDATE without CLOCKTIME: the player shows no clock");
    // The pictures of one random order are one run, the runs numbered from 1.
    uint32_t lastGroup = 0, previous = 0;
    for (const ReadBlock &block : show.blocks) {
        const SCRIMAGE h = block.As<SCRIMAGE>();
        const uint32_t group = block.type == TAG_IMAG && (h.flags & SCRF_RANDOMORDER) ? h.group : 0;
        if (group && group != previous) {
            if (group != lastGroup + 1)
                out.push_back("random-order group " + std::to_string(group) + " at " + std::to_string(block.offset) +
                              (group <= lastGroup ? " comes again after another run" : " is not the next number, " + std::to_string(lastGroup + 1)));
            lastGroup = std::max(lastGroup, group);
        }
        previous = group;
    }
    if (!show.chainReachesTrailer)
        out.push_back("the chain ends at " + std::to_string(show.chainEnd) + ", not at the trailer (" +
                      std::to_string(show.size - SCREND_SIZE) + ")");
    return out;
}

std::string ItemCountProblem(size_t items) {
    if (items <= MAX_SHOW_ITEMS) return std::string();
    return std::to_string(items) + " items, more than the " + std::to_string(MAX_SHOW_ITEMS) +
           " a show may hold: the player numbers its items with 16 bits";
}

std::string DescribeHead(const ShowFile &show) {
    const SCRHEAD &h = show.head;
    std::string text = FirstWords(std::string(h.title, strnlen(h.title, sizeof h.title)), 60);
    if (h.author[0]) text += " by " + std::string(h.author, strnlen(h.author, sizeof h.author));
    text += ", background " + ColourText(h.backgroundcolour);
    text += show.preview.empty() ? ", no preview" : ", preview " + DibText(show.preview);
    text += ", monitors " + MonitorsName(h.flags);
    if (h.flags & SCRF_CLOCKTIME) text += ", clock " + ClockName(h.flags);
    if (h.flags & SCRF_BROWSEKEYS) text += ", keys " + KeysName(h.flags);
    return text;
}

std::string DescribeBlock(const ReadBlock &block) {
    const bool compressed = block.flags & SCRF_COMPRESSED;
    switch (block.type) {
        case TAG_IMAG: {
            const SCRIMAGE h = block.As<SCRIMAGE>();
            std::string effects = ", " + NameOr(EffectNames(), h.appeareffect) + " / " + NameOr(EffectNames(), h.disappeareffect);
            if (h.fade || h.appeareffect == CROSSFADE_EFFECT || h.disappeareffect == CROSSFADE_EFFECT)
                effects += ", fade " + FadeText(h.fade) + " s";
            if (h.flags & SCRF_JPEG) return "picture, JPEG " + JpegText(block.data) + effects + Presentation(block);
            return "picture, " + PictureForm(block) + " " + DibText(block.data) +
                   (compressed ? ", " + Ratio(block.storedSize, block.data.size()) : "") + effects + Presentation(block);
        }
        case TAG_TEXT: {
            const SCRTEXT h = block.As<SCRTEXT>();
            return "text " + FirstWords(std::string(block.data.begin(), block.data.end())) + ", style " +
                   NameOr(TextStyleNames(), h.style) + ", " + std::string(h.facename, strnlen(h.facename, sizeof h.facename)) + " " +
                   std::to_string(h.fontheight);
        }
        case TAG_APPL:
            return "applet of " + std::to_string(CountLines(block.data)) + " lines, " + std::to_string(block.pictures.size()) +
                   " pictures, " + std::to_string(block.sounds.size()) + " sounds";
        case TAG_SOND: return "sound " + DescribeSound(block.As<SCRSOUND>().kind, block.data);
        case TAG_ANIM:
            return "animation " + AnimationText(block.data) + (compressed ? ", " + Ratio(block.storedSize, block.data.size()) : "");
        case TAG_ENDB: return "trailer";
        default: return block.length == 0 ? "end of chain (length 0)" : "unknown block, skipped";
    }
}

}  // namespace mlshow
