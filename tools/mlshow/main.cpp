// mlshow: builds Marrowlight shows from a manifest and inspects, verifies and
// extracts them; a folder or a manifest given alone (dropped onto
// mlshow.exe) is built into a show beside it. Exit status: 0 success, 1 a
// problem with the input, 2 wrong usage.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "errors.h"
#include "fileio.h"
#include "ml_version.h"

namespace {

namespace fs = std::filesystem;

// The player beside mlshow's own program, where the installation puts it.
std::string DefaultPlayer(const char *argv0) {
    if (const char *player = std::getenv("MLSHOW_PLAYER")) return player;
    std::string self = mlshow::OwnProgramPath();
    if (self.empty()) self = argv0;
    return mlshow::PathText(mlshow::PathOf(self).parent_path() / "marrowlight.scr");
}

int Report(const std::exception &error) {
    std::cerr << "mlshow: " << error.what() << "\n";
    return 1;
}

// Runs `command`, reporting what it throws as the exit status and messages.
template <typename Command>
int Reported(Command command) {
    try {
        return command();
    } catch (const mlshow::InputErrors &errors) {
        for (const std::string &message : errors.messages()) std::cerr << message << "\n";
        std::cerr << "mlshow: nothing was written\n";
        return 1;
    } catch (const std::bad_alloc &) {
        std::cerr << "mlshow: out of memory\n";
        return 1;
    } catch (const std::exception &error) {
        return Report(error);
    }
}

// What was dropped onto mlshow.exe has been handled: the console Windows
// opened for it alone stays until a key is pressed, so that what was made,
// or what went wrong, can be read.
int AfterDrop(int status) {
    if (mlshow::ConsoleIsOursAlone()) {
        std::cout << "\nPress any key to close this window." << std::flush;
        mlshow::WaitForKey();
    }
    return status;
}

// A folder or a manifest alone on the command line, as Explorer passes one
// dropped onto mlshow.exe.
int Dropped(const std::string &path, const char *argv0) {
    int status = 2;
    if (mlshow::KindDropped(path) == mlshow::DroppedKind::neither)
        std::cerr << "mlshow: " << path << " is neither a folder nor a show's .toml manifest: drop a folder of "
                  << "pictures or a manifest onto mlshow, or see `mlshow --help` for its commands\n";
    else
        status = Reported([&] { return mlshow::RunDropped(path, DefaultPlayer(argv0), std::cout); });
    return AfterDrop(status);
}

bool IsCommandName(const std::string &word) {
    for (const char *name : {"new", "build", "info", "verify", "extract", "check", "help"})
        if (word == name) return true;
    return false;
}

// Whether the arguments look like what Explorer passes for a selection
// dropped onto mlshow.exe: no command, no option, each an existing path.
bool SeveralDropped(int argc, char **argv) {
    if (argc < 3 || IsCommandName(argv[1])) return false;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (argv[i][0] == '-' || !fs::exists(mlshow::PathOf(argv[i]), error)) return false;
    }
    return true;
}

// Every argument in UTF-8, as mlshow takes names everywhere.
int Main(int argc, char **argv) {
    if (argc == 2 && argv[1][0] != '-' && !IsCommandName(argv[1])) return Dropped(argv[1], argv[0]);
    if (SeveralDropped(argc, argv)) {
        std::cerr << "mlshow: " << argc - 1 << " items were dropped onto mlshow at once: drop one folder or one "
                  << "manifest (put the photos for a show in one folder and drop that folder)\n";
        return AfterDrop(2);
    }
    CLI::App app{"mlshow: build, inspect, verify and extract Marrowlight shows\n"
                 "mlshow FOLDER or mlshow SHOW.toml: build that show beside it, named after its title"};
    app.set_version_flag("--version", "mlshow " ML_VERSION_TEXT);
    app.require_subcommand(1);
    bool quiet = false, verbose = false;
    app.add_flag("-q,--quiet", quiet, "print nothing but errors");
    app.add_flag("-v,--verbose", verbose, "print more about what is done");
    app.fallthrough();

    std::string folder;
    auto *newCommand = app.add_subcommand("new", "make a starting show in DIR");
    newCommand->add_option("DIR", folder, "folder for the new show")->required();

    mlshow::BuildOptions build;
    auto *buildCommand = app.add_subcommand("build", "build a show file from a manifest");
    buildCommand->add_option("MANIFEST", build.manifest, "the show's manifest (show.toml)")->required();
    buildCommand->add_option("-o,--output", build.output, "the show file to write (default: named after the title)");
    buildCommand->add_option("--player", build.player, "the player program (default: marrowlight.scr beside mlshow)");

    std::string file;
    bool json = false;
    auto *infoCommand = app.add_subcommand("info", "list every block of a show and every check");
    infoCommand->add_option("FILE", file, "a show file")->required();
    infoCommand->add_flag("--json", json, "write the report as JSON");

    auto *verifyCommand = app.add_subcommand("verify", "check a show as the player loads and plays it");
    verifyCommand->add_option("FILE", file, "a show file")->required();

    auto *extractCommand = app.add_subcommand("extract", "write a show's manifest and files into a folder");
    extractCommand->add_option("FILE", file, "a show file")->required();
    extractCommand->add_option("-o,--output", folder, "the folder to write")->required();

    auto *checkCommand = app.add_subcommand("check", "check an applet script without running it");
    checkCommand->add_option("SCRIPT", file, "an applet script")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        return app.exit(error) == 0 ? 0 : 2;
    }

    return Reported([&] {
        if (*newCommand) return mlshow::RunNew(folder, quiet, std::cout);
        if (*buildCommand) {
            build.quiet = quiet;
            build.verbose = verbose && !quiet;
            if (build.player.empty()) build.player = DefaultPlayer(argv[0]);
            return mlshow::RunBuild(build, std::cout);
        }
        if (*infoCommand) return mlshow::RunInfo(file, json, std::cout);
        if (*verifyCommand) return mlshow::RunVerify(file, quiet, std::cout);
        if (*checkCommand) return mlshow::RunCheck(file, std::cout);
        if (*extractCommand) return mlshow::RunExtract(file, folder, quiet, std::cout);
        return 2;
    });
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over in UTF-16 (with -municode): they become
// UTF-8, so that a name in any script reaches the file system whole.
int wmain(int argc, wchar_t **wide) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(fs::path(wide[i]).u8string());
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return Main(argc, argv.data());
}
#else
int main(int argc, char **argv) { return Main(argc, argv); }
#endif
