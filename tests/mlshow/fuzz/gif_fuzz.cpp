// Fuzz target: animated GIF import and packing of its frames.
#include <cstddef>
#include <cstdint>

#include "dib.h"
#include "errors.h"
#include "gif_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    try {
        const mlshow::GifAnimation gif = mlshow::DecodeGif(Bytes(data, data + size));
        for (const mlshow::Image &frame : gif.frames) mlshow::PackFrameDib(frame);
    } catch (const mlshow::InputError &) {
    }
    return 0;
}
