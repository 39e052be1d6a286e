// The commands of mlshow, each writing its report to `out` and returning
// the exit status: 0 success, 1 a problem with the input. They throw
// InputError / InputErrors for input they cannot handle at all.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace mlshow {

struct Manifest;

struct BuildOptions {
    std::string manifest;
    std::string output;  // empty: named after the title, in the current folder
    std::string player;
    bool quiet = false;
    bool verbose = false;
};

int RunBuild(const BuildOptions &options, std::ostream &out);
// Builds a loaded manifest as RunBuild does; returns the show file's name.
std::string BuildManifest(const Manifest &manifest, const BuildOptions &options, std::ostream &out);
enum class DroppedKind { folder, manifest, neither };
// What a path given alone on the command line names.
DroppedKind KindDropped(const std::string &path);
// A folder of pictures or a manifest dropped onto mlshow: builds the show
// beside it, named after its title, and says how to install it. Throws as
// the other commands do, each message ending in what to do about it.
int RunDropped(const std::string &path, const std::string &player, std::ostream &out);
int RunInfo(const std::string &path, bool json, std::ostream &out);
int RunVerify(const std::string &path, bool quiet, std::ostream &out);
int RunExtract(const std::string &path, const std::string &folder, bool quiet, std::ostream &out);
// Checks an applet script without running it.
int RunCheck(const std::string &path, std::ostream &out);
int RunNew(const std::string &folder, bool quiet, std::ostream &out);

}  // namespace mlshow
