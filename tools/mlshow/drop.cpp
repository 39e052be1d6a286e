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
#include "manifest.h"
#include "names.h"
#include "toml_writer.h"

namespace mlshow {

namespace {

namespace fs = std::filesystem;

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
// photo fitted to the monitor, in an order the player draws afresh, one
// dissolving into the next.
Manifest FolderShow(const fs::path &folder) {
    if (!folder.has_filename())
        throw InputError(PathText(folder) + " is a whole drive: put the photos in a folder and drop that onto mlshow");
    if (!HoldsPictures(folder))
        throw InputError(PathText(folder) + " holds no pictures (.jpg, .jpeg, .png, .bmp or .gif files): " +
                         "put the photos for the show in it and drop it onto mlshow again");
    TomlWriter toml;
    toml.Table("[show]");
    toml.String("title", CutUtf8(PathText(folder.filename()), sizeof SCRHEAD{}.title - 1));
    toml.Table("[[item]]");
    toml.String("type", "pictures");
    toml.String("folder", PathText(folder.filename()));
    toml.String("fit", "fit");
    toml.String("order", "random");
    // Each photo dissolves into the next: it leaves nothing to clear, and the
    // next one's Crossfade blends from it.
    toml.String("appear", EFFECTNAMES[CROSSFADE_EFFECT]);
    toml.String("disappear", EFFECTNAMES[NOCLEAR_EFFECT]);
    try {
        return CompleteManifest(toml.Text(), PathText(folder), PathText(folder.parent_path()));
    } catch (const InputErrors &errors) {
        Fail(errors.messages(), "mend or take out the files named above and drop the folder onto mlshow again");
    }
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
    options.output = PathText(dropped.parent_path() / PathOf(DefaultOutputName(manifest.show.title)));
    try {
        BuildManifest(manifest, options, out);
    } catch (const InputErrors &errors) {
        Fail(errors.messages(), "mend or take out the files named above and drop it onto mlshow again");
    } catch (const InputError &error) {
        Fail({error.what()}, "when the folder cannot be written, copy what you dropped into a folder of your own "
                             "(Documents, say) and drop it from there");
    }
    const std::string name = PathText(PathOf(options.output).filename());
    out << "\nMade the screen saver " << name << " in " << PathText(dropped.parent_path()) << ".\n"
        << "To install it, right-click " << name << " and choose Install,\n"
        << "or copy it into the Windows system folder (C:\\Windows\\System32).\n";
    return 0;
}

}  // namespace mlshow
