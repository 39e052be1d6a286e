// Times the colour reduction and cropping of a 1920x1080 24-bit photo-like
// picture against a plain Floyd-Steinberg loop with the same arithmetic over
// the same bytes, so the figures read as ratios on any machine. Writes the
// picture and the display palette as PPM files into the folder given, for the
// ImageMagick comparison run by colour_reduction_bench.sh.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/colour_reduction.h"
#include "imaging/dib.h"
#include "imaging/drawing.h"
#include "imaging/palette.h"

namespace {

constexpr int WIDTH = 1920, HEIGHT = 1080, RUNS = 9;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Smooth gradients and shapes with a little grain, like a photograph.
HGLOBAL PhotoLikePicture() {
    HGLOBAL dib = CreateDib(WIDTH, HEIGHT, nullptr, 24);
    BYTE *start = (BYTE *)GlobalLock(dib);
    DIBLAYOUT layout;
    GetDibLayout(start, GlobalSize(dib), &layout);
    uint32_t seed = 12345;
    for (int y = 0; y < HEIGHT; ++y) {
        BYTE *row = DibRow(start, layout, y);
        for (int x = 0; x < WIDTH; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 27) - 16;
            const double u = x / double(WIDTH), v = y / double(HEIGHT);
            const double sky = 0.5 + 0.5 * std::sin(6.0 * u + 2.0 * v);
            const double hill = v > 0.55 + 0.1 * std::sin(9.0 * u) ? 1.0 : 0.0;
            const double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.25) * (v - 0.25)) * 40.0);
            auto channel = [&](double a, double b, double c) {
                return BYTE(std::clamp(int(255.0 * (a * sky * (1 - hill) + b * hill * (0.6 + 0.4 * v) + c * sun)) + grain, 0, 255));
            };
            row[3 * x + 2] = channel(0.45, 0.25, 0.9);  // red
            row[3 * x + 1] = channel(0.6, 0.55, 0.8);   // green
            row[3 * x + 0] = channel(0.9, 0.15, 0.3);   // blue
        }
    }
    GlobalUnlock(dib);
    return dib;
}

// Floyd-Steinberg written plainly: the same clamping, 3-3-2 index, shares and
// traversal as DitherDib, over the picture's bytes, with no call per pixel.
void PlainFloydSteinberg(const BYTE *pixels, DWORD rowbytes, BYTE *out, DWORD outrowbytes, const BYTE *palette) {
    std::vector<int16_t> current(3 * WIDTH), next(3 * WIDTH);
    for (int row = 0; row < HEIGHT; ++row) {
        const BYTE *source = pixels + SIZE_T(row) * rowbytes;
        BYTE *target = out + SIZE_T(row) * outrowbytes;
        for (int x = 0; x < WIDTH; ++x) {
            current[3 * x] = int16_t(current[3 * x] + source[3 * x + 2]);
            current[3 * x + 1] = int16_t(current[3 * x + 1] + source[3 * x + 1]);
            current[3 * x + 2] = int16_t(current[3 * x + 2] + source[3 * x]);
        }
        const bool below = row + 1 < HEIGHT;
        for (int x = 0; x < WIDTH; ++x) {
            int v[3];
            for (int c = 0; c < 3; ++c) v[c] = std::min(255, std::max(0, int(current[3 * x + c])));
            const int index = (v[0] & 0xE0) | ((v[1] >> 3) & 0x1C) | ((v[2] >> 6) & 3);
            target[x] = BYTE(index);
            for (int c = 0; c < 3; ++c) {
                const int e = v[c] - palette[3 * index + c];
                if (x + 1 < WIDTH) current[3 * (x + 1) + c] = int16_t(current[3 * (x + 1) + c] + ((7 * e) >> 4));
                if (below) {
                    if (x >= 1) next[3 * (x - 1) + c] = int16_t(next[3 * (x - 1) + c] + ((3 * e) >> 4));
                    if (x + 1 < WIDTH) next[3 * (x + 1) + c] = int16_t(next[3 * (x + 1) + c] + (e >> 4));
                    next[3 * x + c] = int16_t(next[3 * x + c] + ((5 * e) >> 4));
                }
            }
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), int16_t(0));
    }
}

// The fastest and the middle of RUNS timings of `step`, in milliseconds.
template <typename Step>
void Time(const char *name, Step step) {
    std::vector<double> times;
    for (int i = 0; i < RUNS; ++i) {
        const double start = NowMs();
        step();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%s_ms %.2f %.2f\n", name, times[0], times[RUNS / 2]);
    std::fflush(stdout);
}

bool WritePpm(const std::string &path, int width, int height, const std::vector<BYTE> &rgb) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const bool ok = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    return std::fclose(file) == 0 && ok;
}

// The picture top row first as RGB bytes, and the palette as a 16x16 image.
bool WriteImageMagickInputs(const std::string &folder, HGLOBAL dib, const BYTE *palette) {
    std::vector<BYTE> rgb(size_t(3) * WIDTH * HEIGHT);
    const BYTE *start = (const BYTE *)GlobalLock(dib);
    DIBLAYOUT layout;
    GetDibLayout(start, GlobalSize(dib), &layout);
    for (int y = 0; y < HEIGHT; ++y) {
        const BYTE *row = DibRow(start, layout, y);
        for (int x = 0; x < WIDTH; ++x)
            for (int c = 0; c < 3; ++c) rgb[(size_t(y) * WIDTH + x) * 3 + c] = row[3 * x + 2 - c];
    }
    GlobalUnlock(dib);
    return WritePpm(folder + "\\picture.ppm", WIDTH, HEIGHT, rgb) &&
           WritePpm(folder + "\\palette.ppm", 16, 16, std::vector<BYTE>(palette, palette + 768));
}

}  // namespace

int main(int argc, char **argv) {
    BYTE palette[768];
    GetDefaultPalette(palette, nullptr, PALETTE_DISPLAY);
    HGLOBAL picture = PhotoLikePicture();
    if (!picture) return 2;
    if (argc > 1 && !WriteImageMagickInputs(argv[1], picture, palette)) {
        std::printf("cannot write the ImageMagick inputs to %s\n", argv[1]);
        return 2;
    }
    std::printf("picture %dx%d 24-bit, best and median of %d runs\n", WIDTH, HEIGHT, RUNS);

    const BYTE *source = (const BYTE *)GlobalLock(picture);
    DIBLAYOUT layout;
    GetDibLayout(source, GlobalSize(picture), &layout);
    const DWORD outrowbytes = (WIDTH + 3) & ~3;
    // The reference writes into fresh memory, as every conversion that
    // returns a new picture must: under Wine the first touch of a fresh page
    // costs about as much as the dithering of it. The same loop into a buffer
    // used again is shown for information.
    std::vector<BYTE> plain;
    Time("PlainLoop", [&] {
        std::vector<BYTE> fresh(size_t(outrowbytes) * HEIGHT);
        PlainFloydSteinberg(source + layout.pixels, layout.rowbytes, fresh.data(), outrowbytes, palette);
        plain.swap(fresh);
    });
    Time("PlainLoopReusedBuffer", [&] {
        PlainFloydSteinberg(source + layout.pixels, layout.rowbytes, plain.data(), outrowbytes, palette);
    });
    GlobalUnlock(picture);

    HGLOBAL dithered = 0;
    Time("DitherDib", [&] {
        if (dithered) GlobalFree(dithered);
        dithered = DitherDib(picture, palette, 8, 0);
    });
    const BYTE *result = dithered ? (const BYTE *)GlobalLock(dithered) : nullptr;
    const bool same = result && std::memcmp(result + 40 + 1024, plain.data(), plain.size()) == 0;
    if (result) GlobalUnlock(dithered);
    std::printf("DitherDib_matches_plain_loop %s\n", same ? "yes" : "NO");
    GlobalFree(dithered);

    Time("RemapDib", [&] { GlobalFree(RemapDib(picture, palette, 8, 0)); });
    // The saver's own use: a picture larger than the screen cut to the
    // centred screen-sized part.
    const RECT centre = {(WIDTH - 1280) / 2, (HEIGHT - 720) / 2, (WIDTH + 1280) / 2, (HEIGHT + 720) / 2};
    Time("CropImage_1280x720", [&] { GlobalFree(CropImage(picture, &centre)); });
    const RECT whole = {0, 0, WIDTH, HEIGHT};
    Time("CropImage_1920x1080", [&] { GlobalFree(CropImage(picture, &whole)); });
    GlobalFree(picture);
    return same ? 0 : 1;
}
