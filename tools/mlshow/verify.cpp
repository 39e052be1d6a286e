// mlshow verify: the loader's checks, then the deeper ones, the decoding of
// every JPEG picture and the player's memory for the show. Reads the show
// block by block.
#include "checks.h"
#include "commands.h"
#include "memory.h"
#include "names.h"
#include "reader.h"

namespace mlshow {

int RunVerify(const std::string &path, bool quiet, std::ostream &out) {
    std::vector<std::string> blockProblems;
    PlayerMemory memory;
    const ShowFile show = ScanShowFile(path, [&](const ReadBlock &block) {
        const std::string where = TagName(block.type) + " block at " + std::to_string(block.offset) +
                                  (block.sequence >= 0 ? " (item " + std::to_string(block.sequence + 1) + ")" : "") + ": ";
        for (const std::string &problem : BlockProblems(block)) blockProblems.push_back(where + problem);
        const std::string undecodable = DecodeProblem(block);
        if (!undecodable.empty()) blockProblems.push_back(where + undecodable);
        memory.AddBlock(block);
    });
    for (const CheckResult &check : show.checks) {
        if (!check.ok) out << path << ": " << check.name << " FAILED: " << check.detail << "\n";
        else if (!quiet) out << path << ": " << check.name << " ok: " << check.detail << "\n";
    }
    if (!show.loads) {
        out << path << ": the player rejects this file " << show.failure << "\n";
        return 1;
    }
    std::vector<std::string> problems = ShowProblems(show);
    problems.insert(problems.end(), blockProblems.begin(), blockProblems.end());
    memory.bitmaps += show.preview.size();
    if (memory.TooMuch()) problems.push_back(memory.Warning());
    for (const std::string &problem : problems) out << path << ": " << problem << "\n";
    if (!problems.empty()) {
        out << path << ": " << problems.size() << " problem" << (problems.size() == 1 ? "" : "s")
            << ": the player loads this file but cannot play all of it\n";
        return 1;
    }
    if (!quiet) out << path << ": ok: the player loads and plays every block; it holds " << memory.Text() << "\n";
    return 0;
}

}  // namespace mlshow
