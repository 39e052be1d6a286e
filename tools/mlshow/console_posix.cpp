// Elsewhere mlshow always runs in a terminal or a script that stays open.
#include <filesystem>

#include "console.h"

namespace mlshow {

bool ConsoleIsOursAlone() { return false; }
void WaitForKey() {}

std::string OwnProgramPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.u8string();
}

}  // namespace mlshow
