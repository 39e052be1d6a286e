// mlshow with a folder or a manifest as its only argument, which is how
// Windows runs it when one is dropped onto mlshow.exe: the show is built
// beside what was dropped, named after its title, and mlshow says how to
// install it. Every message ends in what to do about it.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "build.h"
#include "commands.h"
#include "content/effects.h"
#include "content/format.h"
#include "errors.h"
#include "fileio.h"
#include "json.h"
#include "manifest.h"
#include "names.h"
#include "reader.h"
#include "toml_writer.h"

namespace mlshow {

namespace {

namespace fs = std::filesystem;

// The largest a dropped folder's photos are stored: a 4K monitor.
constexpr int64_t DROP_MAX_WIDTH = 3840, DROP_MAX_HEIGHT = 2160;

// The messages, then what to do about them.
[[noreturn]] void Fail(std::vector<std::string> messages, const std::string &todo) {
    messages.push_back(todo);
    throw InputErrors(std::move(messages));
}

// The dropped path as a whole absolute path, without a trailing separator.
fs::path Whole(const std::string &path) {
    std::error_code error;
    fs::path whole = fs::absolute(PathOf(path), error);
    if (error) whole = PathOf(path);
    whole = whole.lexically_normal();
    return whole.has_filename() ? whole : whole.parent_path();
}

bool HoldsPictures(const fs::path &folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (IsPictureFileName(PathText(entry->path().filename())) && entry->is_regular_file(error)) return true;
    return false;
}

// A photo show of every picture in `folder`, titled after the folder: each
// photo fitted to the monitor on a blurred backdrop of itself, in an order the player draws afresh, one
// dissolving into the next.
Manifest FolderShow(const fs::path &folder) {
    if (!folder.has_filename())
        throw InputError(PathText(folder) + " is a whole drive: put the photos in a folder and drop that onto mlshow");
    if (!HoldsPictures(folder))
        throw InputError(PathText(folder) + " holds no pictures (.jpg, .jpeg, .png, .bmp or .gif files): " +
                         "put the photos for the show in it and drop it onto mlshow again");
    // A name in no encoding the title can tell is taken as Latin-1, as
    // the manifest takes it, before it is cut to the title's length.
    const std::string name = PathText(folder.filename());
    TomlWriter toml;
    toml.Table("[show]");
    toml.String("title", CutUtf8(IsUtf8(name) ? name : Latin1ToUtf8(name), sizeof SCRHEAD{}.title - 1));
    toml.Table("[[item]]");
    toml.String("type", "pictures");
    // A manifest is UTF-8: a folder whose name is not (Linux allows any
    // bytes) is named from inside itself.
    const bool named = IsUtf8(name);
    toml.String("folder", named ? name : ".");
    toml.String("fit", "fit");
    // What the photo leaves of the monitor shows its own colours, blurred.
    toml.String("backdrop", "blur");
    // Photos larger than a 4K monitor are scaled to fit one, so a folder of
    // large photos stays small enough for the player to hold.
    toml.Pair("max_size", DROP_MAX_WIDTH, DROP_MAX_HEIGHT);
    toml.String("order", "random");
    // Each photo dissolves into the next: it leaves nothing to clear, and the
    // next one's Crossfade blends from it.
    toml.String("appear", EFFECTNAMES[CROSSFADE_EFFECT]);
    toml.String("disappear", EFFECTNAMES[NOCLEAR_EFFECT]);
    try {
        return CompleteManifest(toml.Text(), PathText(folder), PathText(named ? folder.parent_path() : folder));
    } catch (const InputErrors &errors) {
        Fail(errors.messages(), "mend or take out the files named above and drop the folder onto mlshow again");
    }
}

// Where the show named `name` goes in `folder`: NAME.scr, or when that is
// a file other than an earlier Marrowlight show, or the player itself,
// NAME (2).scr, NAME (3).scr and so on. `replaced` says an earlier show is
// written over.
fs::path ShowFileIn(const fs::path &folder, const std::string &name, const fs::path &player, bool *replaced) {
    const std::string stem = name.substr(0, name.size() - std::string(".scr").size());
    for (unsigned n = 1; n <= 1000; ++n) {
        const fs::path candidate = folder / PathOf(n == 1 ? name : stem + " (" + std::to_string(n) + ").scr");
        std::error_code error;
        const fs::file_status status = fs::status(candidate, error);
        *replaced = status.type() != fs::file_type::not_found;
        if (!*replaced) return candidate;
        if (fs::is_regular_file(status) && !fs::equivalent(candidate, player, error) && IsShowFile(PathText(candidate)))
            return candidate;
    }
    throw InputError(PathText(folder / PathOf(name)) + " and a thousand numbered names beside it are taken");
}

}  // namespace

DroppedKind KindDropped(const std::string &path) {
    std::error_code error;
    const fs::path whole = Whole(path);
    if (fs::is_directory(whole, error)) return DroppedKind::folder;
    std::string extension = PathText(whole.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) { return char(std::tolower(uint8_t(c))); });
    if (extension == ".toml" && fs::is_regular_file(whole, error)) return DroppedKind::manifest;
    return DroppedKind::neither;
}

int RunDropped(const std::string &path, const std::string &player, std::ostream &out) {
    const fs::path dropped = Whole(path);
    const DroppedKind kind = KindDropped(path);
    if (kind == DroppedKind::neither)
        throw InputError(path + " is neither a folder nor a show's .toml manifest: drop a folder of pictures or a " +
                         "manifest onto mlshow (`mlshow --help` lists its commands)");
    std::error_code error;
    if (!fs::is_regular_file(PathOf(player), error))
        throw InputError("the player " + player + " is missing: keep marrowlight.scr beside mlshow, as the zip holds them");
    Manifest manifest;
    if (kind == DroppedKind::folder) {
        manifest = FolderShow(dropped);
    } else {
        try {
            manifest = LoadManifest(PathText(dropped));
        } catch (const InputErrors &errors) {
            Fail(errors.messages(), "mend the manifest as said above (docs/manifest.md describes every key) and drop it "
                                    "onto mlshow again");
        }
    }
    BuildOptions options;
    options.player = player;
    bool replaced = false;
    options.output = PathText(ShowFileIn(dropped.parent_path(), DefaultOutputName(manifest.show.title), PathOf(player), &replaced));
    try {
        BuildManifest(manifest, options, out);
    } catch (const InputErrors &errors) {
        Fail(errors.messages(), "mend or take out the files named above and drop it onto mlshow again");
    } catch (const InputError &error) {
        Fail({error.what()}, "when the folder cannot be written, copy what you dropped into a folder of your own "
                             "(Documents, say) and drop it from there");
    }
    const std::string name = PathText(PathOf(options.output).filename());
    out << "\nMade the screen saver " << name << " in " << PathText(dropped.parent_path())
        << (replaced ? " (it replaced the earlier show of that name)" : "") << ".\n"
        << "To install it, right-click " << name << " and choose Install,\n"
        << "or copy it into the Windows system folder (C:\\Windows\\System32).\n";
    return 0;
}

}  // namespace mlshow
