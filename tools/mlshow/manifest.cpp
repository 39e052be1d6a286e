// Reading the TOML manifest with toml++ and checking every key and value.
#include "manifest.h"

#define TOML_HEADER_ONLY 1
#include <toml++/toml.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "errors.h"
#include "fileio.h"
#include "names.h"

namespace mlshow {

namespace fs = std::filesystem;

std::string Where::Message(const std::string &message) const {
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

namespace {

// Collects the mistakes of one manifest.
struct Diagnostics {
    std::string name;
    std::string folder;
    std::vector<std::string> messages;

    Where At(const toml::source_region &region) const { return {name, region.begin.line, region.begin.column}; }
    void Error(const toml::source_region &region, const std::string &message) {
        messages.push_back(At(region).Message(message));
    }
};

// One table of the manifest: typed getters that check each value where it
// is, remember which keys were used, and report every other key as unknown.
class Fields {
public:
    Fields(const toml::table &table, std::string context, Diagnostics &diagnostics)
        : table_(table), context_(std::move(context)), d_(diagnostics) {}

    const toml::node *Node(std::string_view key) {
        used_.insert(std::string(key));
        return table_.get(key);
    }
    bool Has(std::string_view key) const { return table_.contains(key); }
    const toml::source_region &Source() const { return table_.source(); }

    std::optional<std::string> String(std::string_view key) {
        const toml::node *node = Node(key);
        if (!node) return std::nullopt;
        if (const auto *s = node->as_string()) return s->get();
        Wrong(*node, key, "a string");
        return std::nullopt;
    }

    std::optional<bool> Bool(std::string_view key) {
        const toml::node *node = Node(key);
        if (!node) return std::nullopt;
        if (const auto *b = node->as_boolean()) return b->get();
        Wrong(*node, key, "true or false");
        return std::nullopt;
    }

    std::optional<int64_t> Integer(std::string_view key, int64_t min, int64_t max) {
        const toml::node *node = Node(key);
        return node ? IntegerValue(*node, key, min, max) : std::nullopt;
    }

    std::optional<int64_t> IntegerValue(const toml::node &node, std::string_view key, int64_t min, int64_t max) {
        const auto *i = node.as_integer();
        if (!i) {
            Wrong(node, key, "an integer");
            return std::nullopt;
        }
        if (i->get() < min || i->get() > max) {
            d_.Error(node.source(), "\"" + std::string(key) + "\" is " + std::to_string(i->get()) +
                                        ", out of range " + std::to_string(min) + ".." + std::to_string(max));
            return std::nullopt;
        }
        return i->get();
    }

    // A name from `names`, returned as its index.
    std::optional<uint32_t> Name(std::string_view key, const std::vector<std::string_view> &names,
                                 std::string_view what) {
        const toml::node *node = Node(key);
        if (!node) return std::nullopt;
        const auto *s = node->as_string();
        if (!s) {
            Wrong(*node, key, "a string");
            return std::nullopt;
        }
        std::optional<uint32_t> index = FindName(names, s->get());
        if (!index) d_.Error(node->source(), "unknown " + std::string(what) + " \"" + s->get() + "\"; expected " + ListNames(names));
        return index;
    }

    std::optional<uint32_t> Colour(std::string_view key) {
        const toml::node *node = Node(key);
        if (!node) return std::nullopt;
        const auto *s = node->as_string();
        std::optional<uint32_t> colour = s ? ParseColour(s->get()) : std::nullopt;
        if (!colour) d_.Error(node->source(), "\"" + std::string(key) + "\" must be a colour written \"#RRGGBB\"");
        return colour;
    }

    // [a, b] of two integers in min..max.
    std::optional<std::pair<int64_t, int64_t>> Pair(std::string_view key, int64_t min, int64_t max) {
        const toml::node *node = Node(key);
        if (!node) return std::nullopt;
        const auto *array = node->as_array();
        if (!array || array->size() != 2) {
            Wrong(*node, key, "two integers [width, height]");
            return std::nullopt;
        }
        auto a = IntegerValue(*array->get(0), key, min, max);
        auto b = IntegerValue(*array->get(1), key, min, max);
        if (!a || !b) return std::nullopt;
        return std::make_pair(*a, *b);
    }

    std::optional<AssetRef> File(std::string_view key) {
        const toml::node *node = Node(key);
        if (!node) return std::nullopt;
        const auto *s = node->as_string();
        if (!s || s->get().empty()) {
            Wrong(*node, key, "a file name");
            return std::nullopt;
        }
        AssetRef ref;
        ref.given = s->get();
        ref.path = fs::path(ref.given).is_absolute() ? ref.given : (fs::path(d_.folder) / ref.given).string();
        ref.where = d_.At(node->source());
        return ref;
    }

    // A required key that is missing.
    void Missing(std::string_view key) {
        d_.Error(table_.source(), context_ + " needs \"" + std::string(key) + "\"");
    }

    void ReportUnknown() {
        for (auto &&[key, node] : table_)
            if (!used_.count(std::string(key.str())))
                d_.Error(key.source(), "unknown key \"" + std::string(key.str()) + "\" in " + context_);
    }

    Diagnostics &diagnostics() { return d_; }

private:
    void Wrong(const toml::node &node, std::string_view key, std::string_view expected) {
        d_.Error(node.source(), "\"" + std::string(key) + "\" must be " + std::string(expected));
    }

    const toml::table &table_;
    std::string context_;
    Diagnostics &d_;
    std::set<std::string> used_;
};

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

std::optional<uint32_t> CreatedTime(Fields &fields) {
    const toml::node *node = fields.Node("created");
    if (!node) return std::nullopt;
    int64_t seconds = -1;
    if (node->is_integer()) {
        seconds = node->as_integer()->get();
    } else if (const auto *dt = node->as_date_time()) {
        const toml::date_time &t = dt->get();
        seconds = DaysFromCivil(t.date.year, t.date.month, t.date.day) * 86400 + t.time.hour * 3600 +
                  t.time.minute * 60 + t.time.second - (t.offset ? t.offset->minutes * 60 : 0);
    }
    if (seconds < 0 || seconds > int64_t(UINT32_MAX)) {
        fields.diagnostics().Error(node->source(),
                                   "\"created\" must be seconds since 1970 or a date-time between 1970 and 2106");
        return std::nullopt;
    }
    return uint32_t(seconds);
}

// Copies text into a fixed field, reporting text that does not fit.
template <size_t N>
void TextField(Fields &fields, std::string_view key, char (&field)[N], std::string *copy = nullptr) {
    const toml::node *node = fields.Node(key);
    if (!node) return;
    const auto *s = node->as_string();
    if (!s) {
        fields.diagnostics().Error(node->source(), "\"" + std::string(key) + "\" must be a string");
        return;
    }
    if (s->get().size() > N - 1 || s->get().find('\0') != std::string::npos) {
        fields.diagnostics().Error(node->source(), "\"" + std::string(key) + "\" is longer than " +
                                                       std::to_string(N - 1) + " bytes");
        return;
    }
    SetField(field, s->get());
    if (copy) *copy = s->get();
}

void ReadShow(const toml::table &table, Diagnostics &d, ShowSettings &show) {
    Fields f(table, "[show]", d);
    SCRHEAD head{};
    TextField(f, "title", head.title, &show.title);
    TextField(f, "description", head.description, &show.description);
    TextField(f, "author", head.author, &show.author);
    TextField(f, "owner", head.owner, &show.owner);
    TextField(f, "organisation", head.organisation, &show.organisation);
    if (!f.Has("title")) f.Missing("title");
    show.background = f.Colour("background").value_or(0);
    show.preview = f.File("preview");
    show.created = CreatedTime(f);
    if (auto screen = f.Pair("screen", 0, 65535)) {
        show.screenWide = uint32_t(screen->first);
        show.screenDeep = uint32_t(screen->second);
    }
    f.ReportUnknown();
}

uint32_t Flag(Fields &f, std::string_view key, uint32_t bit, bool byDefault = false) {
    return f.Bool(key).value_or(byDefault) ? bit : 0;
}

// The keys pictures, texts and animations share for their position.
template <typename Header>
void ReadPlacement(Fields &f, Header &header) {
    header.placement = f.Name("placement", PlacementNames(), "placement").value_or(0);
    header.x = int32_t(f.Integer("x", -32768, 32767).value_or(0));
    header.y = int32_t(f.Integer("y", -32768, 32767).value_or(0));
}

// A picture's duration: seconds, or "cycle" (1) / "endless" (0).
uint32_t ReadDuration(Fields &f) {
    const toml::node *node = f.Node("duration");
    if (!node) return 1;
    if (const auto *s = node->as_string()) {
        if (s->get() == "cycle") return 1;
        if (s->get() == "endless") return 0;
    } else if (node->is_integer()) {
        return uint32_t(f.IntegerValue(*node, "duration", 0, 86400).value_or(1));
    }
    f.diagnostics().Error(node->source(), "\"duration\" must be seconds, \"cycle\" or \"endless\"");
    return 1;
}

PictureItem ReadPicture(Fields &f) {
    PictureItem item;
    if (auto file = f.File("file")) item.file = *file;
    else if (!f.Has("file")) f.Missing("file");
    SCRIMAGE &h = item.header;
    ReadPlacement(f, h);
    h.appeareffect = f.Name("appear", EffectNames(), "effect").value_or(0);
    h.disappeareffect = f.Name("disappear", EffectNames(), "effect").value_or(0);
    h.speed = uint32_t(f.Integer("speed", 1, 80).value_or(40));
    h.holdtime = uint32_t(f.Integer("hold", 0, 86400).value_or(5));
    h.duration = ReadDuration(f);
    h.flags = Flag(f, "remap", SCRF_REMAP);
    item.compress = f.Bool("compress").value_or(true);
    if (auto size = f.Pair("max_size", 1, 16384)) {
        item.maxWidth = uint32_t(size->first);
        item.maxHeight = uint32_t(size->second);
    }
    return item;
}

TextItem ReadText(Fields &f) {
    TextItem item;
    SCRTEXT &h = item.header;
    if (auto message = f.String("message")) item.message = *message;
    item.file = f.File("file");
    if (f.Has("message") == f.Has("file"))
        f.diagnostics().Error(f.Source(), "a text item needs either \"message\" or \"file\"");
    item.raw = f.Bool("raw").value_or(false);
    ReadPlacement(f, h);
    SetField(h.facename, "Arial");
    TextField(f, "font", h.facename);
    h.fontheight = int32_t(f.Integer("height", -1000, 1000).value_or(32));
    h.flags = Flag(f, "bold", SCRF_BOLD) | Flag(f, "italic", SCRF_ITALIC) | Flag(f, "underline", SCRF_UNDERLINE) |
              Flag(f, "restore", SCRF_RESTORE) | Flag(f, "screen_background", SCRF_SCREENBACK);
    h.textcolour = f.Colour("colour").value_or(0xFFFFFF);
    h.boxcolour = f.Colour("box_colour").value_or(0);
    if (auto box = f.Pair("box", 0, 65535)) {
        h.boxwide = uint32_t(box->first);
        h.boxdeep = uint32_t(box->second);
    }
    h.style = f.Name("style", TextStyleNames(), "text style").value_or(0);
    h.alignment = f.Name("alignment", AlignmentNames(), "alignment").value_or(1);
    h.margin = uint32_t(f.Integer("margin", 0, 4096).value_or(0));
    h.speed = uint32_t(f.Integer("speed", 1, 80).value_or(40));
    h.duration = uint32_t(f.Integer("duration", 0, 86400).value_or(5));
    // Boxed styles draw into the box: it must have a size.
    if ((h.style == 4 && (h.boxwide == 0 || h.boxdeep == 0)) || (h.style == 5 && h.boxwide == 0))
        f.diagnostics().Error(f.Source(), std::string("text style \"") + std::string(TextStyleNames()[h.style]) +
                                              "\" needs \"box\" = [width, height]" + (h.style == 5 ? " (width above 0)" : ""));
    return item;
}

// pictures = [ { number = 1, file = "a.png" }, ... ]
std::vector<NumberedAsset> ReadNumbered(Fields &f, std::string_view key) {
    std::vector<NumberedAsset> list;
    const toml::node *node = f.Node(key);
    if (!node) return list;
    const auto *array = node->as_array();
    if (!array) {
        f.diagnostics().Error(node->source(), "\"" + std::string(key) + "\" must be a list of { number, file } tables");
        return list;
    }
    std::set<int64_t> numbers;
    for (const toml::node &element : *array) {
        const auto *table = element.as_table();
        if (!table) {
            f.diagnostics().Error(element.source(), "each of \"" + std::string(key) + "\" must be { number = N, file = \"...\" }");
            continue;
        }
        Fields entry(*table, "an entry of \"" + std::string(key) + "\"", f.diagnostics());
        NumberedAsset asset;
        auto number = entry.Integer("number", 1, 16383);
        auto file = entry.File("file");
        if (!entry.Has("number")) entry.Missing("number");
        if (!entry.Has("file")) entry.Missing("file");
        if (number && !numbers.insert(*number).second)
            f.diagnostics().Error(table->source(), "number " + std::to_string(*number) + " is used twice in \"" + std::string(key) + "\"");
        entry.ReportUnknown();
        if (!number || !file) continue;
        asset.number = uint32_t(*number);
        asset.file = *file;
        list.push_back(asset);
    }
    return list;
}

AppletItem ReadApplet(Fields &f) {
    AppletItem item;
    if (auto script = f.File("script")) item.script = *script;
    else if (!f.Has("script")) f.Missing("script");
    item.raw = f.Bool("raw").value_or(false);
    item.compress = f.Bool("compress").value_or(true);
    item.header.stacksize = uint32_t(f.Integer("stack", 0, 1 << 20).value_or(0));
    item.pictures = ReadNumbered(f, "pictures");
    item.sounds = ReadNumbered(f, "sounds");
    return item;
}

SoundItem ReadSound(Fields &f) {
    SoundItem item;
    if (auto file = f.File("file")) item.file = *file;
    else if (!f.Has("file")) f.Missing("file");
    item.header.flags = Flag(f, "wait", SCRF_WAIT);
    return item;
}

std::vector<FrameSpec> ReadFrames(Fields &f, uint32_t defaultDelay) {
    std::vector<FrameSpec> frames;
    const toml::node *node = f.Node("frames");
    if (!node) return frames;
    const auto *array = node->as_array();
    if (!array || array->empty()) {
        f.diagnostics().Error(node->source(), "\"frames\" must be a list of { file = \"...\", delay = ms } tables");
        return frames;
    }
    for (const toml::node &element : *array) {
        const auto *table = element.as_table();
        if (!table) {
            f.diagnostics().Error(element.source(), "each frame must be a table { file = \"...\" }");
            continue;
        }
        Fields entry(*table, "a frame", f.diagnostics());
        FrameSpec frame;
        auto file = entry.File("file");
        if (!entry.Has("file")) entry.Missing("file");
        frame.delay = uint32_t(entry.Integer("delay", 0, 600000).value_or(defaultDelay));
        frame.x = int32_t(entry.Integer("x", -32768, 32767).value_or(0));
        frame.y = int32_t(entry.Integer("y", -32768, 32767).value_or(0));
        frame.restore = entry.Bool("restore").value_or(false);
        frame.transparent = entry.Bool("transparent");
        if (auto key = entry.Integer("key", 0, 0xFFFFFF)) frame.key = uint32_t(*key);
        entry.ReportUnknown();
        if (!file) continue;
        frame.file = *file;
        frames.push_back(frame);
    }
    if (frames.size() > 4096) f.diagnostics().Error(node->source(), "more than 4096 frames");
    return frames;
}

AnimationItem ReadAnimation(Fields &f) {
    AnimationItem item;
    item.where = f.diagnostics().At(f.Source());
    ReadPlacement(f, item.header);
    item.gif = f.File("file");
    const uint32_t delay = uint32_t(f.Integer("delay", 0, 600000).value_or(100));
    item.frames = ReadFrames(f, delay);
    if (f.Has("file") == f.Has("frames"))
        f.diagnostics().Error(f.Source(), "an animation needs either \"file\" (a GIF) or \"frames\"");
    if (auto loops = f.Integer("loops", 0, 1000000)) item.loops = uint32_t(*loops);
    if (auto size = f.Pair("size", 1, 16384)) {
        item.wide = uint32_t(size->first);
        item.deep = uint32_t(size->second);
    }
    item.header.flags = Flag(f, "end_with_item", SCRF_ENDWITHITEM) | Flag(f, "end_with_lap", SCRF_ENDWITHROUND);
    item.compress = f.Bool("compress").value_or(true);
    return item;
}

std::optional<Item> ReadItem(const toml::table &table, size_t index, Diagnostics &d) {
    Fields f(table, "item " + std::to_string(index + 1), d);
    const auto type = f.String("type");
    std::optional<Item> item;
    if (!type) {
        if (!f.Has("type")) f.Missing("type");
        return std::nullopt;
    }
    if (*type == "picture") item = ReadPicture(f);
    else if (*type == "text") item = ReadText(f);
    else if (*type == "applet") item = ReadApplet(f);
    else if (*type == "sound") item = ReadSound(f);
    else if (*type == "animation") item = ReadAnimation(f);
    else {
        d.Error(table.get("type")->source(), "unknown item type \"" + *type +
                                                 "\"; expected \"picture\", \"text\", \"applet\", \"sound\" or \"animation\"");
        return std::nullopt;
    }
    f.ReportUnknown();
    return item;
}

void ReadDocument(const toml::table &root, Diagnostics &d, Manifest &manifest) {
    for (auto &&[key, node] : root)
        if (key.str() != "show" && key.str() != "item")
            d.Error(key.source(), "unknown key \"" + std::string(key.str()) + "\"; expected [show] and [[item]] tables");
    const toml::node *show = root.get("show");
    if (!show) d.Error(root.source(), "the manifest needs a [show] table");
    else if (const auto *table = show->as_table()) ReadShow(*table, d, manifest.show);
    else d.Error(show->source(), "\"show\" must be a table");

    const toml::node *items = root.get("item");
    if (!items) return;
    const auto *array = items->as_array();
    if (!array) {
        d.Error(items->source(), "items are written as [[item]] tables");
        return;
    }
    for (size_t i = 0; i < array->size(); ++i) {
        const auto *table = array->get(i)->as_table();
        if (!table) {
            d.Error(array->get(i)->source(), "items are written as [[item]] tables");
            continue;
        }
        if (auto item = ReadItem(*table, i, d)) manifest.items.push_back(std::move(*item));
    }
}

}  // namespace

Manifest ParseManifest(std::string_view text, const std::string &name, const std::string &folder) {
    Diagnostics d{name, folder, {}};
    Manifest manifest;
    manifest.name = name;
    try {
        const toml::table root = toml::parse(text, name);
        ReadDocument(root, d, manifest);
    } catch (const toml::parse_error &error) {
        d.Error(error.source(), std::string(error.description()));
    }
    if (!d.messages.empty()) throw InputErrors(d.messages);
    return manifest;
}

std::vector<const AssetRef *> ManifestAssets(const Manifest &manifest) {
    std::vector<const AssetRef *> assets;
    if (manifest.show.preview) assets.push_back(&*manifest.show.preview);
    for (const Item &item : manifest.items) {
        if (const auto *p = std::get_if<PictureItem>(&item)) assets.push_back(&p->file);
        if (const auto *t = std::get_if<TextItem>(&item); t && t->file) assets.push_back(&*t->file);
        if (const auto *s = std::get_if<SoundItem>(&item)) assets.push_back(&s->file);
        if (const auto *a = std::get_if<AppletItem>(&item)) {
            assets.push_back(&a->script);
            for (const NumberedAsset &n : a->pictures) assets.push_back(&n.file);
            for (const NumberedAsset &n : a->sounds) assets.push_back(&n.file);
        }
        if (const auto *a = std::get_if<AnimationItem>(&item)) {
            if (a->gif) assets.push_back(&*a->gif);
            for (const FrameSpec &frame : a->frames) assets.push_back(&frame.file);
        }
    }
    return assets;
}

Manifest LoadManifest(const std::string &path) {
    Bytes bytes;
    try {
        bytes = ReadWholeFile(path, 16 << 20);
    } catch (const InputError &error) {
        throw InputErrors({error.what()});
    }
    const std::string folder = fs::path(path).parent_path().string();
    Manifest manifest = ParseManifest(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()),
                                      path, folder.empty() ? "." : folder);
    std::vector<std::string> missing;
    for (const AssetRef *asset : ManifestAssets(manifest)) {
        std::error_code error;
        if (!fs::exists(asset->path, error))
            missing.push_back(asset->where.Message("file not found: " + asset->given));
        else if (!fs::is_regular_file(asset->path, error))
            missing.push_back(asset->where.Message("not a file: " + asset->given));
        else if (!std::ifstream(asset->path, std::ios::binary))
            missing.push_back(asset->where.Message("cannot read " + asset->given));
    }
    if (!missing.empty()) throw InputErrors(missing);
    return manifest;
}

}  // namespace mlshow
