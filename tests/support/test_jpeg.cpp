// JPEG files for the tests.
#include "support/test_jpeg.h"

#include <cstring>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace testing_support {

namespace {

void Append(void *context, void *data, int size) {
    Bytes *out = (Bytes *)context;
    out->insert(out->end(), (const uint8_t *)data, (const uint8_t *)data + size);
}

}  // namespace

Bytes TestJpeg(int width, int height, int quality) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *p = &rgb[(size_t(y) * width + x) * 3];
            p[0] = uint8_t(x * 255 / (width > 1 ? width - 1 : 1));
            p[1] = uint8_t(y * 255 / (height > 1 ? height - 1 : 1));
            p[2] = uint8_t((x + y) * 3);
        }
    Bytes jpeg;
    stbi_write_jpg_to_func(Append, &jpeg, width, height, 3, rgb.data(), quality);
    return jpeg;
}

std::vector<COLORREF> JpegColours(const Bytes &jpeg) {
    int w = 0, h = 0, n = 0;
    unsigned char *rgb = stbi_load_from_memory(jpeg.data(), int(jpeg.size()), &w, &h, &n, 3);
    std::vector<COLORREF> colours;
    for (int i = 0; rgb && i < w * h; ++i) colours.push_back(RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]));
    stbi_image_free(rgb);
    return colours;
}

size_t JpegSegment(const Bytes &jpeg, uint8_t code) {
    for (size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i + 2;
    return 0;
}

Bytes WithSegment(const Bytes &jpeg, uint8_t marker, size_t payload) {
    Bytes out(jpeg.size() + 4 + payload, 0x5A);
    std::memcpy(out.data(), jpeg.data(), 2);
    out[2] = 0xFF, out[3] = marker;
    out[4] = uint8_t((payload + 2) >> 8), out[5] = uint8_t(payload + 2);
    std::memcpy(out.data() + 6 + payload, jpeg.data() + 2, jpeg.size() - 2);
    return out;
}

}  // namespace testing_support
