// Temporary files where signals interrupt the program: SIGINT and SIGTERM
// remove them, then end the program as the signal would have.
#include <cerrno>
#include <csignal>
#include <cstring>

#include "fileio.h"
#include "temporary_file.h"

namespace mlshow {

namespace {

extern "C" void RemoveTemporariesAndStop(int signal) {
    RemoveOpenTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

std::FILE *CreateTemporaryFile(const std::filesystem::path &path, std::string *why) {
    std::FILE *file = std::fopen(path.c_str(), "wbx");
    if (!file) *why = std::strerror(errno);
    return file;
}

void RemoveTemporaryNow(const std::filesystem::path::value_type *name) { std::remove(name); }

void RemoveTemporariesOnInterrupt() {
    std::signal(SIGINT, RemoveTemporariesAndStop);
    std::signal(SIGTERM, RemoveTemporariesAndStop);
}

}  // namespace mlshow
