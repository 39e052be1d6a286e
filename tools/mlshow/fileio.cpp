// Whole-file reads and atomic writes.
#include "fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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

void WriteFileAtomic(const std::string &path, const Bytes &bytes) {
    const std::string temporary = path + ".mlshow-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw InputError("cannot write " + path + ": " + std::strerror(errno));
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            throw InputError("cannot write " + path + ": write failed");
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);  // replaces an existing file on every platform
    if (error) {
        std::remove(temporary.c_str());
        throw InputError("cannot write " + path + ": " + error.message());
    }
}

}  // namespace mlshow
