// Whole-file reads with a size limit, and writes that never leave a
// half-written file behind.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

#include "content/writer.h"

namespace mlshow {

// Largest input file read: anything bigger is refused before reading.
constexpr size_t MAX_INPUT_BYTES = size_t(1) << 30;

// The whole file; InputError "cannot read PATH: why" when it cannot be read
// or is bigger than `limit`.
Bytes ReadWholeFile(const std::string &path, size_t limit = MAX_INPUT_BYTES);

// A file written piece by piece into a temporary file beside `path` and
// renamed over `path` by Commit, so a failed write leaves nothing behind:
// the temporary file is removed when the object goes uncommitted.
// InputError "cannot write PATH: why" on any failure.
class AtomicFile : public ByteSink {
public:
    explicit AtomicFile(const std::string &path);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    void Write(const uint8_t *data, size_t size) override;
    void Commit();

private:
    [[noreturn]] void Fail(const std::string &why);

    std::string path_;
    std::string temporary_;
    std::ofstream out_;
    bool done_ = false;  // committed, or failed and removed
};

// Writes `bytes` to `path` through an AtomicFile.
void WriteFileAtomic(const std::string &path, const Bytes &bytes);

}  // namespace mlshow
