// Fuzz target: picture import (PNG, JPEG, BMP and the player's own BMP
// layout), packing at every depth, and the scaled preview.
#include <cstddef>
#include <cstdint>

#include "build.h"
#include "dib.h"
#include "errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const Bytes file(data, data + size);
    try {
        const Bytes dib = mlshow::ImportPicture(file, 0x123456, 0, 0);
        mlshow::CheckPackedDib(dib.data(), dib.size());
        mlshow::ImportPicture(file, 0, 152, 112);
    } catch (const mlshow::InputError &) {
    }
    return 0;
}
