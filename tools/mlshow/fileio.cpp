// Whole-file reads and atomic writes.
#include "fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "errors.h"

namespace mlshow {

namespace fs = std::filesystem;

Bytes ReadWholeFile(const std::string &path, size_t limit) {
    std::error_code error;
    if (fs::is_directory(path, error)) throw InputError("cannot read " + path + ": it is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("cannot read " + path + ": " + std::strerror(errno));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw InputError("cannot read " + path + ": cannot tell its size");
    if (uint64_t(size) > limit)
        throw InputError("cannot read " + path + ": " + std::to_string(size) + " bytes is more than the limit of " +
                         std::to_string(limit));
    in.seekg(0, std::ios::beg);
    Bytes bytes(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char *>(bytes.data()), size))
        throw InputError("cannot read " + path + ": read failed");
    return bytes;
}

AtomicFile::AtomicFile(const std::string &path) : path_(path), temporary_(path + ".mlshow-tmp") {
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) throw InputError("cannot write " + path_ + ": " + std::strerror(errno));
}

AtomicFile::~AtomicFile() {
    if (done_) return;
    out_.close();
    std::remove(temporary_.c_str());
}

void AtomicFile::Fail(const std::string &why) {
    out_.close();
    std::remove(temporary_.c_str());
    done_ = true;  // the temporary file is gone
    throw InputError("cannot write " + path_ + ": " + why);
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
    done_ = true;
}

void WriteFileAtomic(const std::string &path, const Bytes &bytes) {
    AtomicFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace mlshow
