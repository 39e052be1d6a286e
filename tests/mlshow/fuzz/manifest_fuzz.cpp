// Fuzz target: the manifest reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "errors.h"
#include "manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    try {
        mlshow::ParseManifest(std::string_view(reinterpret_cast<const char *>(data), size), "show.toml", ".");
    } catch (const mlshow::InputErrors &) {
    }
    return 0;
}
