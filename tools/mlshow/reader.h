// The container reader behind info, verify and extract. It walks a show file
// exactly as the player's loader does, with the same checks in the same
// order, and stops where the loader would stop. It reads block by block:
// each block is handed over with its data (inflated where compressed) for
// the deeper checks and for extraction, so a show larger than memory can be
// read a block at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
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
    std::string caption;  // IMAG: the caption text stored between the header and the data
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
    uint64_t size = 0;        // of the whole file
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
    size_t items = 0;     // blocks the loader numbers (BLOCK.sequence), so far as read
};

// Where a show file's bytes come from.
class ShowSource {
public:
    virtual ~ShowSource() = default;
    virtual uint64_t Size() const = 0;
    // `size` bytes from `offset` into `out`; false when they cannot all be read.
    virtual bool Read(uint64_t offset, void *out, size_t size) = 0;
};

class MemorySource : public ShowSource {
public:
    explicit MemorySource(const Bytes &bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, void *out, size_t size) override;

private:
    const Bytes &bytes_;
};

// A file read piece by piece; InputError "cannot read PATH: why" when it
// cannot be opened.
class FileSource : public ShowSource {
public:
    explicit FileSource(const std::string &path);
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, void *out, size_t size) override;

private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

// Sees every block the walk reads, with its data, before the walk goes on;
// the block that stopped the loader comes last, with what could be read.
using BlockVisitor = std::function<void(const ReadBlock &)>;

// Walks a show. Never throws for bad content: everything wrong is in
// `loads`, `failure` and `checks`. The blocks in the result keep their data
// only with `keepData`; `visit` (when set) sees each with its data.
ShowFile ReadShow(ShowSource &source, const BlockVisitor &visit, bool keepData);

// A whole show file held in memory, every block's data kept.
ShowFile ReadShowFile(const Bytes &file);

// A show file read block by block: `visit` sees each block's data, the
// result keeps every block without it. InputError when it cannot be opened.
ShowFile ScanShowFile(const std::string &path, const BlockVisitor &visit);

// The program part of a player that may already carry a show: the bytes
// before its content when it ends in a trailer whose content length fits,
// else the whole file.
Bytes ProgramPart(const Bytes &player);

// Whether the file at `path` carries a show: it ends in a trailer whose
// content starts with a show header (what ProgramPart strips). False when
// it cannot be read.
bool IsShowFile(const std::string &path);

// Inflates one zlib stream as the loader does: a stream cut short yields
// what was inflated up to the cut. False on a zlib error, empty output or
// more than `limit` bytes.
bool InflateStream(const uint8_t *data, size_t size, Bytes *out, bool *cutShort, size_t limit = MAX_INFLATED_BYTES);

}  // namespace mlshow
