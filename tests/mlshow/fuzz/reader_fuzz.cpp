// Fuzz target: the container reader behind info, verify and extract, with
// the deeper checks and the descriptions run on whatever it read.
#include <cstddef>
#include <cstdint>

#include "checks.h"
#include "reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const Bytes file(data, data + size);
    const mlshow::ShowFile show = mlshow::ReadShowFile(file);
    if (show.loads) mlshow::ShowProblems(show);
    if (show.haveHead) mlshow::DescribeHead(show);
    for (const mlshow::ReadBlock &block : show.blocks) {
        mlshow::BlockProblems(block);
        mlshow::DescribeBlock(block);
    }
    mlshow::ProgramPart(file);
    return 0;
}
