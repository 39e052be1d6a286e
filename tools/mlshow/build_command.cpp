// mlshow build: manifest and player in, show file out.
#include <ctime>
#include <fstream>
#include <sstream>
#include <variant>

#include "build.h"
#include "checks.h"
#include "commands.h"
#include "errors.h"
#include "fileio.h"
#include "names.h"
#include "reader.h"
#include "script_check.h"

namespace mlshow {

namespace {

// What was written, read back block by block.
void ListBlocks(const std::string &path, std::ostream &out) {
    std::vector<std::string> lines;
    const ShowFile show = ScanShowFile(path, [&](const ReadBlock &block) {
        if (block.type != TAG_ENDB) lines.push_back("  " + TagName(block.type) + "  " + DescribeBlock(block));
    });
    out << "  HEAD  " << DescribeHead(show) << "\n";
    for (const std::string &line : lines) out << line << "\n";
}

// Every applet's script is checked as `mlshow check` does; what is found is
// reported and the show is built all the same, as the player would run it.
void CheckScripts(const Manifest &manifest, std::ostream &out) {
    for (const Item &item : manifest.items) {
        const AppletItem *applet = std::get_if<AppletItem>(&item);
        if (!applet) continue;
        std::ifstream in(applet->script.path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (in) ReportScriptProblems(applet->script.given, text.str(), out);
    }
}

}  // namespace

int RunBuild(const BuildOptions &options, std::ostream &out) {
    BuildManifest(LoadManifest(options.manifest), options, out);
    return 0;
}

std::string BuildManifest(const Manifest &manifest, const BuildOptions &options, std::ostream &out) {
    Bytes player;
    try {
        player = ReadWholeFile(PathOf(options.player));
    } catch (const InputError &error) {
        throw InputError(std::string("the player: ") + error.what());
    }
    const Bytes program = ProgramPart(player);
    BuildSettings settings;
    settings.quiet = options.quiet;
    settings.now = uint32_t(std::time(nullptr));
    const std::string output = options.output.empty() ? DefaultOutputName(manifest.show.title) : options.output;
    BuildResult result;
    {
        AtomicFile file(PathOf(output));
        result = BuildShowTo(manifest, program, settings, file);
        file.Commit();
    }
    CheckScripts(manifest, out);
    if (options.verbose) ListBlocks(output, out);
    if (!options.quiet)
        out << "built " << output << ": " << result.items << " items, " << result.size << " bytes ("
            << result.size - program.size() << " of show); the player holds " << result.memory.Text() << "\n";
    return output;
}

}  // namespace mlshow
