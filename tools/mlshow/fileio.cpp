// Whole-file reads and atomic writes.
#include "fileio.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <system_error>

#include "errors.h"
#include "temporary_file.h"

namespace mlshow {

namespace fs = std::filesystem;

namespace {

// The temporary files open at the moment, for the interrupt handlers to
// remove. Each slot points at the name its AtomicFile keeps.
constexpr int kSlots = 64;
std::atomic<const fs::path::value_type *> gTemporaries[kSlots];

int ListTemporary(const fs::path &temporary) {
    static std::once_flag installed;
    std::call_once(installed, RemoveTemporariesOnInterrupt);
    for (int i = 0; i < kSlots; ++i) {
        const fs::path::value_type *empty = nullptr;
        if (gTemporaries[i].compare_exchange_strong(empty, temporary.c_str())) return i;
    }
    return -1;  // more files open than slots: this one is not removed on an interrupt
}

// A name beside `path` that no other write uses: two builds of one output
// never write into the same temporary file.
fs::path TemporaryBeside(const fs::path &path) {
    static std::atomic<uint64_t> counter{0};
    uint64_t random = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        random ^= uint64_t(device()) << 32 ^ device();
    } catch (const std::exception &) {  // no random device: time and counter still differ
    }
    for (;;) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".%016llx.mlshow-tmp", (unsigned long long)(random + counter++));
        fs::path temporary = path;
        temporary += suffix;
        std::error_code error;
        if (!fs::exists(temporary, error)) return temporary;
    }
}

}  // namespace

void RemoveOpenTemporaries() {
    for (auto &slot : gTemporaries)
        if (const fs::path::value_type *name = slot.exchange(nullptr)) RemoveTemporaryNow(name);
}

fs::path PathOf(const std::string &utf8) { return fs::u8path(utf8); }

std::string PathText(const fs::path &path) { return path.u8string(); }

Bytes ReadWholeFile(const fs::path &path, size_t limit) {
    const std::string name = PathText(path);
    std::error_code error;
    if (fs::is_directory(path, error)) throw InputError("cannot read " + name + ": it is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("cannot read " + name + ": " + std::strerror(errno));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw InputError("cannot read " + name + ": cannot tell its size");
    if (uint64_t(size) > limit)
        throw InputError("cannot read " + name + ": " + std::to_string(size) + " bytes is more than the limit of " +
                         std::to_string(limit));
    in.seekg(0, std::ios::beg);
    Bytes bytes(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char *>(bytes.data()), size))
        throw InputError("cannot read " + name + ": read failed");
    return bytes;
}

AtomicFile::AtomicFile(const fs::path &path) : path_(path), temporary_(TemporaryBeside(path)) {
    slot_ = ListTemporary(temporary_);
    std::string why;
    out_ = CreateTemporaryFile(temporary_, &why);
    if (!out_) {
        Remove();
        throw InputError("cannot write " + PathText(path_) + ": " + why);
    }
}

AtomicFile::~AtomicFile() {
    if (done_) return;
    Close();
    Remove();
}

bool AtomicFile::Close() {
    if (!out_) return false;
    const bool closed = std::fclose(out_) == 0;
    out_ = nullptr;
    return closed;
}

void AtomicFile::Remove() {
    std::error_code error;
    fs::remove(temporary_, error);
    Unlist();
}

void AtomicFile::Unlist() {
    // The slot may have been emptied by RemoveOpenTemporaries and taken since.
    const fs::path::value_type *mine = temporary_.c_str();
    if (slot_ >= 0) gTemporaries[slot_].compare_exchange_strong(mine, nullptr);
    slot_ = -1;
}

void AtomicFile::Fail(const std::string &why) {
    Close();
    Remove();
    done_ = true;  // the temporary file is gone
    throw InputError("cannot write " + PathText(path_) + ": " + why);
}

void AtomicFile::Write(const uint8_t *data, size_t size) {
    if (done_) throw std::logic_error("a write to a finished file");
    if (size && std::fwrite(data, 1, size, out_) != size) Fail(std::string("write failed: ") + std::strerror(errno));
}

void AtomicFile::Commit() {
    if (done_) throw std::logic_error("a file committed twice");
    if (!Close()) Fail("write failed");
    std::error_code error;
    fs::rename(temporary_, path_, error);  // replaces an existing file on every platform
    if (error) Fail(error.message());
    Unlist();
    done_ = true;
}

void WriteFileAtomic(const fs::path &path, const Bytes &bytes) {
    AtomicFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace mlshow
