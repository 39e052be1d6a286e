// Animated GIF import through stb_image.
#include "gif_import.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "errors.h"
#include "image_limits.h"

namespace mlshow {

namespace {

using StbPixels = std::unique_ptr<stbi_uc, void (*)(void *)>;

}  // namespace

uint32_t GifLoops(const Bytes &file) {
    // The application extension stb does not report: introducer 0x21 0xFF,
    // an 11-byte block "NETSCAPE2.0", then a 3-byte sub-block 1, lo, hi.
    static const uint8_t kMarker[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01};
    const auto found = std::search(file.begin(), file.end(), std::begin(kMarker), std::end(kMarker));
    if (found == file.end() || file.end() - found < long(sizeof kMarker) + 2) return 1;
    const size_t at = size_t(found - file.begin()) + sizeof kMarker;
    const uint32_t repeats = uint32_t(file[at]) | uint32_t(file[at + 1]) << 8;
    // 0 repeats forever; n repeats n times after the first pass.
    return repeats == 0 ? 0 : repeats + 1;
}

GifAnimation DecodeGif(const Bytes &file) {
    if (!IsGif(file)) throw InputError("not a GIF file");
    int width = 0, height = 0, channels = 0, frames = 0;
    const int length = file.size() > size_t(INT32_MAX) ? INT32_MAX : int(file.size());
    if (!stbi_info_from_memory(file.data(), length, &width, &height, &channels))
        throw InputError(std::string("the GIF cannot be read: ") + stbi_failure_reason());
    // Every decoded frame holds the whole canvas: check what one costs first.
    if (uint64_t(width) * uint64_t(height) * 4 > MAX_DECODE_BYTES / 2 || uint32_t(width) > MAX_PICTURE_SIDE ||
        uint32_t(height) > MAX_PICTURE_SIDE)
        throw InputError("the GIF is " + std::to_string(width) + "x" + std::to_string(height) +
                         " pixels, too large for an animation");
    int *delays = nullptr;
    StbPixels pixels(stbi_load_gif_from_memory(file.data(), length, &delays, &width, &height, &frames, &channels, 4),
                     stbi_image_free);
    std::unique_ptr<int, void (*)(void *)> delayList(delays, stbi_image_free);
    if (!pixels)
        throw InputError(std::string("the GIF cannot be decoded (") + stbi_failure_reason() +
                         "; its frames together may exceed " + std::to_string(MAX_DECODE_BYTES >> 20) + " MB)");
    if (frames <= 0) throw InputError("the GIF has no frames");
    if (uint32_t(frames) > MAX_ANIMATION_FRAMES)
        throw InputError("the GIF has " + std::to_string(frames) + " frames, more than " +
                         std::to_string(MAX_ANIMATION_FRAMES));

    GifAnimation gif;
    gif.width = uint32_t(width);
    gif.height = uint32_t(height);
    gif.loops = GifLoops(file);
    const size_t frameBytes = size_t(width) * size_t(height) * 4;
    for (int i = 0; i < frames; ++i) {
        Image frame;
        frame.width = gif.width;
        frame.height = gif.height;
        frame.rgba.assign(pixels.get() + frameBytes * size_t(i), pixels.get() + frameBytes * size_t(i + 1));
        gif.frames.push_back(std::move(frame));
        gif.delays.push_back(delays && delays[i] > 0 ? uint32_t(delays[i]) : 100);
    }
    return gif;
}

}  // namespace mlshow
