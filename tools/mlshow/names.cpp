// Name tables for stored numbers.
#include "names.h"

#include <cstdio>
#include <iterator>

#include "content/effects.h"
#include "content/format.h"

namespace mlshow {

const std::vector<std::string_view> &EffectNames() {
    static const std::vector<std::string_view> names(std::begin(EFFECTNAMES), std::end(EFFECTNAMES));
    return names;
}

const std::vector<std::string_view> &PlacementNames() {
    static const std::vector<std::string_view> names = {"centre", "top-left", "top-right", "bottom-left",
                                                        "bottom-right"};
    return names;
}

const std::vector<std::string_view> &TextStyleNames() {
    static const std::vector<std::string_view> names = {"line", "band", "scroll", "band-scroll", "box",
                                                        "paragraph"};
    return names;
}

const std::vector<std::string_view> &TextStyleMeanings() {
    static const std::vector<std::string_view> meanings = {
        "one line in a box of its own size, drawn once",
        "one line in a screen-wide band, placed by its alignment, drawn once",
        "one line scrolling left inside its own box, one pass",
        "one line entering at the right edge and scrolling across the screen, one pass",
        "the text as written, word-wrapped in a box of the given width and height",
        "the text as written, word-wrapped in a box of the given width, as high as the text"};
    return meanings;
}

const std::vector<std::string_view> &AlignmentNames() {
    static const std::vector<std::string_view> names = {"left", "centre", "right"};
    return names;
}

std::optional<uint32_t> FindName(const std::vector<std::string_view> &names, std::string_view name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return uint32_t(i);
    return std::nullopt;
}

std::string ListNames(const std::vector<std::string_view> &names) {
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) list += i + 1 == names.size() ? " or " : ", ";
        list += "\"" + std::string(names[i]) + "\"";
    }
    return list;
}

std::string NameOr(const std::vector<std::string_view> &names, uint32_t index) {
    return index < names.size() ? std::string(names[index]) : std::to_string(index);
}

std::string PlacementName(uint32_t value) {
    return value >= 1 && value <= 4 ? std::string(PlacementNames()[value]) : "centre";
}

namespace {

struct FlagName {
    uint32_t bit;
    const char *name;
    uint32_t types[3];  // block types where the bit means something; 0 ends
};

const FlagName kFlags[] = {
    {SCRF_VALID, "VALID", {0}},
    {SCRF_REMAP, "REMAP", {TAG_IMAG}},
    {SCRF_SCREENBACK, "SCREENBACK", {TAG_TEXT}},
    {SCRF_BOLD, "BOLD", {TAG_TEXT}},
    {SCRF_ITALIC, "ITALIC", {TAG_TEXT}},
    {SCRF_UNDERLINE, "UNDERLINE", {TAG_TEXT}},
    {SCRF_RESTORE, "RESTORE", {TAG_TEXT}},
    {SCRF_WAIT, "WAIT", {TAG_SOND}},
    {SCRF_COMPRESSED, "COMPRESSED", {TAG_IMAG, TAG_ANIM, TAG_APPL}},
    {SCRF_ENDWITHITEM, "ENDWITHITEM", {TAG_ANIM}},
    {SCRF_ENDWITHROUND, "ENDWITHROUND", {TAG_ANIM}},
    {SCRF_JPEG, "JPEG", {TAG_IMAG}},
    {SCRF_FIT, "FIT", {TAG_IMAG}},
    {SCRF_FILL, "FILL", {TAG_IMAG}},
    {SCRF_CAPTIONDATE, "CAPTIONDATE", {TAG_IMAG}},
    {SCRF_CAPTIONNAME, "CAPTIONNAME", {TAG_IMAG}},
    {SCRF_RANDOMORDER, "RANDOMORDER", {TAG_IMAG}},
    {SCRF_PANZOOM, "PANZOOM", {TAG_IMAG}},
    {SCRF_EACHMONITOR, "EACHMONITOR", {TAG_HEAD}},
    {SCRF_MIRRORMONITORS, "MIRRORMONITORS", {TAG_HEAD}},
    {SCRF_BACKDROP, "BACKDROP", {TAG_IMAG}},
    {SCRF_PORTRAITPAIRS, "PORTRAITPAIRS", {TAG_IMAG}},
    {SCRF_CLOCKTIME, "CLOCKTIME", {TAG_HEAD}},
    {SCRF_CLOCKDATE, "CLOCKDATE", {TAG_HEAD}},
    {SCRF_BROWSEKEYS, "BROWSEKEYS", {TAG_HEAD}},
};

bool Applies(const FlagName &flag, uint32_t type) {
    if (flag.types[0] == 0) return true;
    for (uint32_t t : flag.types)
        if (t == type) return true;
    return false;
}

}  // namespace

std::string FlagNames(uint32_t type, uint32_t flags) {
    std::string text;
    uint32_t rest = flags;
    for (const FlagName &flag : kFlags) {
        if (!(flags & flag.bit) || !Applies(flag, type)) continue;
        text += (text.empty() ? "" : "|") + std::string(flag.name);
        rest &= ~flag.bit;
    }
    if (rest) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", unsigned(rest));
        text += (text.empty() ? "" : "|") + std::string(hex);
    }
    return text.empty() ? "-" : text;
}

std::string TagName(uint32_t tag) {
    std::string name;
    for (int i = 0; i < 4; ++i) {
        const char c = char((tag >> (8 * i)) & 0xFF);
        name += c >= 32 && c < 127 ? c : '?';
    }
    return name;
}

std::string ColourText(uint32_t colourref) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(colourref & 0xFF), unsigned((colourref >> 8) & 0xFF),
                  unsigned((colourref >> 16) & 0xFF));
    return text;
}

std::optional<uint32_t> ParseColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        const char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f') digit = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = uint32_t(c - 'A' + 10);
        else return std::nullopt;
        rgb = rgb << 4 | digit;
    }
    // #RRGGBB to 0x00BBGGRR.
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

}  // namespace mlshow
