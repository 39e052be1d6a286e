// Fuzz target: the applet line reader, the line cleaner and the script
// checks, on any bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "script_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string script(reinterpret_cast<const char *>(data), size);
    mlshow::CheckScript(script);
    return 0;
}
