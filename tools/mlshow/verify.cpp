// mlshow verify: the loader's checks, then the deeper ones.
#include "checks.h"
#include "commands.h"
#include "fileio.h"
#include "names.h"
#include "reader.h"

namespace mlshow {

int RunVerify(const std::string &path, bool quiet, std::ostream &out) {
    const ShowFile show = ReadShowFile(ReadWholeFile(path, UINT32_MAX));
    size_t problems = 0;
    auto report = [&](const std::string &line) {
        ++problems;
        out << path << ": " << line << "\n";
    };
    for (const CheckResult &check : show.checks) {
        if (!check.ok) report(check.name + " FAILED: " + check.detail);
        else if (!quiet) out << path << ": " << check.name << " ok: " << check.detail << "\n";
    }
    if (!show.loads) {
        out << path << ": the player rejects this file " << show.failure << "\n";
        return 1;
    }
    for (const std::string &problem : ShowProblems(show)) report(problem);
    for (const ReadBlock &block : show.blocks)
        for (const std::string &problem : BlockProblems(block))
            report(TagName(block.type) + " block at " + std::to_string(block.offset) +
                   (block.sequence >= 0 ? " (item " + std::to_string(block.sequence + 1) + ")" : "") + ": " + problem);
    if (problems) {
        out << path << ": " << problems << " problem" << (problems == 1 ? "" : "s")
            << ": the player loads this file but cannot play all of it\n";
        return 1;
    }
    if (!quiet) out << path << ": ok: the player loads and plays every block\n";
    return 0;
}

}  // namespace mlshow
