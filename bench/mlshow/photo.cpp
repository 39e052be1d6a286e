// Photo-like pictures for the benchmarks.
#include "photo.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace bench {

mlshow::Image Photo(int index) {
    std::mt19937 random(uint32_t(index) * 7919u);
    std::normal_distribution<float> grain(0.f, 3.f);
    mlshow::Image image{PHOTO_WIDTH, PHOTO_HEIGHT, std::vector<uint8_t>(size_t(PHOTO_WIDTH) * PHOTO_HEIGHT * 4)};
    const double phase = index * 0.37;
    for (int y = 0; y < PHOTO_HEIGHT; ++y)
        for (int x = 0; x < PHOTO_WIDTH; ++x) {
            const double u = x / double(PHOTO_WIDTH), v = y / double(PHOTO_HEIGHT);
            const double light = 0.5 + 0.5 * std::sin(6.0 * u + phase) * std::cos(4.0 * v - phase);
            uint8_t *p = image.Pixel(uint32_t(x), uint32_t(y));
            const double base[3] = {200 * light + 30 * v, 150 * light + 60 * u, 90 + 120 * (1 - light) * v};
            for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(base[c] + grain(random), 0.0, 255.0));
            p[3] = 255;
        }
    return image;
}

}  // namespace bench
