// Whole-file reads and atomic writes.
#include "fileio.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <system_error>
#include <type_traits>

#include "errors.h"

namespace mlshow {

namespace fs = std::filesystem;

namespace {

// The temporary files open at the moment, for the signal handler to
// remove. Each slot points at the name its AtomicFile keeps.
constexpr int kSlots = 64;
std::atomic<const fs::path::value_type *> gTemporaries[kSlots];

// Inside the handler: the C library's call where names are narrow.
template <typename Char>
void RemoveNow(const Char *name) {
    if constexpr (std::is_same_v<Char, char>) {
        std::remove(name);
    } else {
        std::error_code error;
        fs::remove(name, error);
    }
}

extern "C" void RemoveTemporariesAndStop(int signal) {
    for (auto &slot : gTemporaries)
        if (const fs::path::value_type *name = slot.exchange(nullptr)) RemoveNow(name);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int ListTemporary(const fs::path &temporary) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        std::signal(SIGINT, RemoveTemporariesAndStop);
        std::signal(SIGTERM, RemoveTemporariesAndStop);
    });
    for (int i = 0; i < kSlots; ++i) {
        const fs::path::value_type *empty = nullptr;
        if (gTemporaries[i].compare_exchange_strong(empty, temporary.c_str())) return i;
    }
    return -1;  // more files open than slots: this one is not removed on a signal
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
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) {
        const int why = errno;
        Remove();
        throw InputError("cannot write " + PathText(path_) + ": " + std::strerror(why));
    }
}

AtomicFile::~AtomicFile() {
    if (done_) return;
    out_.close();
    Remove();
}

void AtomicFile::Remove() {
    std::error_code error;
    fs::remove(temporary_, error);
    if (slot_ >= 0) gTemporaries[slot_] = nullptr;
    slot_ = -1;
}

void AtomicFile::Fail(const std::string &why) {
    out_.close();
    Remove();
    done_ = true;  // the temporary file is gone
    throw InputError("cannot write " + PathText(path_) + ": " + why);
}

void AtomicFile::Write(const uint8_t *data, size_t size) {
    if (done_) throw std::logic_error("a write to a finished file");
    out_.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    if (!out_) Fail("write failed");
}

void AtomicFile::Commit() {
    if (done_) throw std::logic_error("a file committed twice");
    out_.close();
    if (!out_) Fail("write failed");
    std::error_code error;
    fs::rename(temporary_, path_, error);  // replaces an existing file on every platform
    if (error) Fail(error.message());
    if (slot_ >= 0) gTemporaries[slot_] = nullptr;
    done_ = true;
}

void WriteFileAtomic(const fs::path &path, const Bytes &bytes) {
    AtomicFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace mlshow
