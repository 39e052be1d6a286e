// Whole-file reads with a size limit, and writes that never leave a
// half-written file behind. Paths stay std::filesystem paths from the
// manifest or the folder listing to the file itself, so names outside
// ASCII open on every system; text that names a path is UTF-8.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "content/writer.h"

namespace mlshow {

// Largest input file read: anything bigger is refused before reading.
constexpr size_t MAX_INPUT_BYTES = size_t(1) << 30;

// The path a UTF-8 name stands for (the manifest's names, the command line's).
std::filesystem::path PathOf(const std::string &utf8);
// A path as UTF-8 text, for messages and manifests.
std::string PathText(const std::filesystem::path &path);

// The whole file; InputError "cannot read PATH: why" when it cannot be read
// or is bigger than `limit`.
Bytes ReadWholeFile(const std::filesystem::path &path, size_t limit = MAX_INPUT_BYTES);

// A file written piece by piece into a temporary file beside `path`, of a
// name no other write shares, and renamed over `path` by Commit, so a failed
// write leaves nothing behind: the temporary file is removed when the object
// goes uncommitted, and when the program is interrupted or terminated
// while it is open (SIGINT, SIGTERM; on Windows Ctrl+C, Ctrl+Break, the
// console closed, the user logging off or the system shutting down).
// InputError "cannot write PATH: why" on any failure.
class AtomicFile : public ByteSink {
public:
    explicit AtomicFile(const std::filesystem::path &path);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    void Write(const uint8_t *data, size_t size) override;
    void Commit();

private:
    [[noreturn]] void Fail(const std::string &why);
    bool Close();  // false when the file was not open or its last writes failed
    void Remove();
    void Unlist();  // takes the temporary file off the interrupt handlers' list

    std::filesystem::path path_;
    std::filesystem::path temporary_;
    int slot_ = -1;  // where the temporary file is listed for removal on an interrupt
    std::FILE *out_ = nullptr;
    bool done_ = false;  // committed, or failed and removed
};

// Removes the temporary file of every AtomicFile open at the moment, as the
// interrupt handlers do; their writes fail from then on.
void RemoveOpenTemporaries();

// Writes `bytes` to `path` through an AtomicFile.
void WriteFileAtomic(const std::filesystem::path &path, const Bytes &bytes);

}  // namespace mlshow
