// Milliseconds to make a photo file into the picture a screen shows, read,
// decoded, turned and fitted: a 12-megapixel JPEG fitted to 1080p and 4K,
// upright and turned a quarter by its EXIF orientation (6), and a
// 12-megapixel PNG; and the look at a header alone that tells a portrait
// partner from a landscape.
#include <algorithm>
#include <cstdio>
#include <string>

#include "content/format.h"
#include "imaging/photo_file.h"
#include "support/test_jpeg.h"
#include "support/test_photos.h"
#include "support/test_support.h"
#include "bench_clock.h"

using namespace testing_support;

namespace {

constexpr int kWide = 4000, kDeep = 3000, kRuns = 5;

std::wstring Wide(const char *path) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    return wide;
}

// A photo-like picture for the PNG: smooth gradients with sensor noise, so
// it compresses about as a photo does.
TestPixels NoisyPicture() {
    TestPixels pixels{kWide, kDeep, 3, std::vector<uint8_t>(size_t(kWide) * kDeep * 3)};
    uint32_t noise = 12345;
    for (int y = 0; y < kDeep; ++y)
        for (int x = 0; x < kWide; ++x) {
            uint8_t *p = &pixels.bytes[(size_t(y) * kWide + x) * 3];
            noise = noise * 1103515245u + 12345u;
            const int grain = int(noise >> 28) - 8;
            p[0] = uint8_t(std::clamp(x * 255 / kWide + grain, 0, 255));
            p[1] = uint8_t(std::clamp(y * 255 / kDeep + grain, 0, 255));
            p[2] = uint8_t(std::clamp((x + y) % 256 + grain, 0, 255));
        }
    return pixels;
}

void Measure(const char *what, const TempFile &file, int screenwide, int screendeep) {
    const std::wstring path = Wide(file.path());
    double best = 1e9, total = 0;
    int wide = 0, deep = 0;
    for (int i = 0; i < kRuns; ++i) {
        LARGE_INTEGER from, to, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&from);
        HGLOBAL picture = DecodePhotoFile(path.c_str(), SCRF_FIT, screenwide, screendeep, nullptr, nullptr);
        QueryPerformanceCounter(&to);
        if (const BITMAPINFOHEADER *header = picture ? (const BITMAPINFOHEADER *)GlobalLock(picture) : nullptr) {
            wide = header->biWidth, deep = header->biHeight;
            GlobalUnlock(picture);
        }
        if (picture) GlobalFree(picture);
        const double ms = double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
        best = std::min(best, ms);
        total += ms;
    }
    std::printf("%-36s to %4dx%-4d -> %4dx%-4d: %6.1f ms mean, %6.1f ms best\n", what, screenwide, screendeep, wide,
                deep, total / kRuns, best);
}

// The mean time of ReadPhotoSize over many looks at the file.
void MeasureHeader(const char *what, const TempFile &file) {
    const std::wstring path = Wide(file.path());
    constexpr int kLooks = 200;
    int wide = 0, deep = 0;
    const double from = Now();
    for (int i = 0; i < kLooks; ++i) ReadPhotoSize(path.c_str(), &wide, &deep);
    const double us = (Now() - from) * 1000.0 / kLooks;
    std::printf("%-36s header alone -> %4dx%-4d: %6.0f us a look\n", what, wide, deep, us);
}

}  // namespace

int main() {
    const Bytes jpeg = TestJpeg(kWide, kDeep, 90);
    TempFile upright(".jpg"), turned(".jpg"), png(".png");
    upright.Write(jpeg);
    turned.Write(WithExif(jpeg, 6));
    png.Write(PhotoFile(PhotoFormat::PNG, NoisyPicture()));
    std::printf("12-megapixel photos (%dx%d): JPEG %lu KB, PNG %lu KB\n", kWide, kDeep,
                (unsigned long)(jpeg.size() / 1024), (unsigned long)(ReadFileBytes(png.path()).size() / 1024));
    for (auto screen : {std::pair<int, int>{1920, 1080}, {3840, 2160}}) {
        Measure("JPEG, upright", upright, screen.first, screen.second);
        Measure("JPEG, EXIF orientation 6 (turned)", turned, screen.first, screen.second);
    }
    Measure("PNG", png, 1920, 1080);
    MeasureHeader("JPEG, EXIF orientation 6 (turned)", turned);
    MeasureHeader("PNG", png);
    return 0;
}
