// The container reader behind info, verify and extract. It walks a show file
// exactly as the player's loader does, with the same checks in the same
// order, and stops where the loader would stop. What it read is kept for
// the deeper checks and for extraction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "content/format.h"
#include "content/writer.h"

namespace mlshow {

// The most one compressed item may inflate to; more is refused as damage.
constexpr size_t MAX_INFLATED_BYTES = size_t(512) << 20;

// A picture or sound object of an APPL block.
struct ReadObject {
    APPLETOBJECT record{};  // as stored
    Bytes data;             // inflated for compressed pictures
    size_t storedSize = 0;
    bool cutShort = false;  // the compressed stream ended before its end marker
};

struct ReadBlock {
    size_t offset = 0;
    uint32_t type = 0;
    uint32_t length = 0;
    uint32_t flags = 0;
    int sequence = -1;  // the loader's number; -1 for blocks it skips
    Bytes header;       // the header as stored (only for block types it reads)
    Bytes data;         // as the player holds it: inflated where compressed; the script for APPL
    size_t storedSize = 0;
    bool cutShort = false;
    std::vector<ReadObject> pictures;
    std::vector<ReadObject> sounds;

    template <typename Header>
    Header As() const {
        Header h{};
        if (!header.empty()) std::memcpy(&h, header.data(), std::min(header.size(), sizeof h));
        return h;
    }
};

// The result of one check, in the order the loader makes them.
struct CheckResult {
    std::string name;
    bool ok = false;
    std::string detail;
};

struct ShowFile {
    size_t size = 0;
    size_t contentStart = 0;  // S
    bool loads = false;       // the player's loader accepts the whole file
    std::string failure;      // why it does not, with the offset
    std::vector<CheckResult> checks;
    SCRHEAD head{};
    bool haveHead = false;
    Bytes preview;  // the preview's packed bitmap, if any
    std::vector<ReadBlock> blocks;  // every block after HEAD, in file order, the trailer last
    bool chainReachesTrailer = false;
    size_t chainEnd = 0;  // where the chain ended
};

// Reads a whole show file held in memory. Never throws for bad content:
// everything wrong is in `loads`, `failure` and `checks`.
ShowFile ReadShowFile(const Bytes &file);

// The program part of a player that may already carry a show: the bytes
// before its content when it ends in a trailer whose content length fits,
// else the whole file.
Bytes ProgramPart(const Bytes &player);

// Inflates one zlib stream as the loader does: a stream cut short yields
// what was inflated up to the cut. False on a zlib error, empty output or
// more than `limit` bytes.
bool InflateStream(const uint8_t *data, size_t size, Bytes *out, bool *cutShort, size_t limit = MAX_INFLATED_BYTES);

}  // namespace mlshow
