// mlshow verify: the loader's checks, then the deeper ones, the decoding of
// every JPEG picture and the player's memory for the show. Reads the show
// block by block, then decodes the JPEG pictures on every core, each read
// again on its own.
#include "checks.h"
#include "commands.h"
#include "memory.h"
#include "names.h"
#include "parallel.h"
#include "reader.h"

namespace mlshow {

namespace {

// A JPEG picture to decode: where its data lies, and whose problems it adds to.
struct JpegToDecode {
    size_t block = 0;  // index into the list of each block's problems
    size_t offset = 0;
    size_t size = 0;
};

// Decodes every JPEG picture, adding a problem to its block's list when it
// does not decode. One picture per core is held at a time.
void DecodeJpegs(const std::string &path, const std::vector<JpegToDecode> &jpegs,
                 std::vector<std::vector<std::string>> &problems) {
    std::vector<std::string> found(jpegs.size());
    RunParallel(jpegs.size(), 0, [&](size_t i) {
        try {
            FileSource source(path);
            Bytes jpeg(jpegs[i].size);
            found[i] = source.Read(jpegs[i].offset, jpeg.data(), jpeg.size()) ? JpegDecodeProblem(jpeg)
                                                                             : "the JPEG picture cannot be read again";
        } catch (const std::exception &error) {  // the file went, or out of memory
            found[i] = std::string("the JPEG picture cannot be decoded here: ") + error.what();
        }
    });
    for (size_t i = 0; i < jpegs.size(); ++i)
        if (!found[i].empty()) problems[jpegs[i].block].push_back(found[i]);
}

}  // namespace

int RunVerify(const std::string &path, bool quiet, std::ostream &out) {
    std::vector<std::string> where;
    std::vector<std::vector<std::string>> blockProblems;
    std::vector<JpegToDecode> jpegs;
    PlayerMemory memory;
    const ShowFile show = ScanShowFile(path, [&](const ReadBlock &block) {
        where.push_back(TagName(block.type) + " block at " + std::to_string(block.offset) +
                        (block.sequence >= 0 ? " (item " + std::to_string(block.sequence + 1) + ")" : "") + ": ");
        blockProblems.push_back(BlockProblems(block));
        if (block.type == TAG_IMAG && (block.flags & SCRF_JPEG))
            jpegs.push_back({blockProblems.size() - 1, block.offset + SCRIMAGE_SIZE + block.caption.size(), block.data.size()});
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
    DecodeJpegs(path, jpegs, blockProblems);
    std::vector<std::string> problems = ShowProblems(show);
    for (size_t i = 0; i < blockProblems.size(); ++i)
        for (const std::string &problem : blockProblems[i]) problems.push_back(where[i] + problem);
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
