// Loading speed: a show of 1920x1080 photo-like pictures loaded with
// LoadScrFile, against zlib inflating the same streams into buffers of the
// right size, and (stored uncompressed) against reading the file in 1 MB
// chunks. Then photo shows of 10 and 10,000 JPEGs, each behind a 60 KB
// segment as a camera's EXIF with its thumbnail: the time and the bytes
// read from the start of the load to the first picture read, and the time
// from the real player's start, as the host starts it, to its first photo
// on the screen.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "content/loader.h"
#include "content/scrfile.h"
#include "support/player_process.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"
#include "bench_clock.h"

using namespace testing_support;

namespace {

constexpr int kPictures = 6;
constexpr int kWidth = 1920, kHeight = 1080;

template <typename Work>
double BestOf(int runs, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        best = std::min(best, Now() - start);
    }
    return best;
}

// Smooth colour fields with grain: compresses about as well as a photo.
Bytes PhotoLike(int seed) {
    Bytes dib = TestDib(kWidth, kHeight, 24);
    const uint32_t row = DibRowBytes(kWidth, 24);
    uint32_t noise = 2463534242u + seed;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            uint8_t *p = &dib[DIBHEADER_SIZE + size_t(y) * row + 3 * x];
            const double u = x / 300.0 + seed, v = y / 200.0;
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t(std::clamp(128 + 90 * std::sin(u * (c + 1) + v) + int(noise >> (28 - c)) % 3 - 1,
                                          0.0, 255.0));
        }
    return dib;
}

double LoadTime(const char *path) {
    return BestOf(3, [&] {
        TestStore store;
        if (!LoadScrFile(store.list(), store.set(), path)) std::printf("load failed\n");
    });
}

// Writes a show straight to a file, so a large one is never in memory.
struct FileSink : ByteSink {
    FILE *file;
    bool ok;
    explicit FileSink(const char *path) : file(std::fopen(path, "wb")), ok(file != nullptr) {}
    void Write(const uint8_t *data, size_t size) override { ok = ok && std::fwrite(data, 1, size, file) == size; }
    bool Close() { return file && std::fclose(file) == 0 && ok; }
};

// Writes a show of `count` copies of `photo` after `program`.
bool WritePhotoShow(const char *path, const Bytes &program, int count, const Bytes &photo) {
    FileSink sink(path);
    ShowStream stream(sink, program, TestHead(), Bytes());
    for (int i = 0; i < count; ++i) stream.AddJpegPicture(SCRIMAGE{}, photo);
    stream.Finish();
    return sink.Close();
}

// A show of `count` copies of `photo`: the load to the first picture read
// from the file, in ms and bytes read (best of three).
void PhotoShow(int count, const Bytes &photo) {
    TempFile file;
    if (!WritePhotoShow(file.path(), FakeProgram(600 * 1024), count, photo))
        return (void)std::printf("%d photos: the show cannot be written\n", count);
    ULONGLONG bytes = 0;
    double ms = 1e30;
    for (int run = 0; run < 3; ++run) {
        TestStore store;  // made and freed outside the time
        const ULONGLONG before = ScrFile::BytesRead();
        const double start = Now();
        const BLOCK first = LoadScrFile(store.list(), store.set(), file.path()) ? store.Block(1) : BLOCK{};
        HGLOBAL picture = ReadJpegPicture(&first, file.path());
        ms = std::min(ms, Now() - start), bytes = ScrFile::BytesRead() - before;
        if (!picture) std::printf("%d photos: the first picture cannot be read\n", count);
        GlobalFree(picture);
    }
    std::printf("%5d photos of %.0f KB (%.0f MB show): start to the first picture %.1f ms, %.2f MB read\n", count,
                photo.size() / 1e3, count * photo.size() / 1e6, ms, bytes / 1e6);
}

// The real player on a show of `count` copies of `photo`: ms from its start
// to the photo at the screen's centre (best of three), or -1.
double FirstPhotoOnScreen(int count, const Bytes &photo) {
    TempFile file;
    if (!WritePhotoShow(file.path(), ReadFileBytes(PlayerPath()), count, photo)) return -1;
    // The photo is shown at its own size, centred: the screen's centre is
    // one of the pixels about the photo's.
    const std::vector<COLORREF> pixels = JpegColours(photo);
    const int w = 320, h = 240, x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    auto shown = [&] {
        const COLORREF centre = ScreenPixel(x, y);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (pixels[size_t(h / 2 + dy) * w + size_t(w / 2 + dx)] == centre) return true;
        return false;
    };
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const double start = Now();
        Process player(file.path(), "/s");
        bool seen = false;
        while (!(seen = shown()) && Now() - start < 30000) Sleep(2);
        if (seen) best = std::min(best, Now() - start);
        if (HWND window = player.SaverWindow()) PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        player.ExitCode();
        Sleep(500);  // the screen settles before the next start
    }
    return best < 1e30 ? best : -1;
}

}  // namespace

int main() {
    std::vector<Bytes> pictures;
    for (int i = 0; i < kPictures; ++i) pictures.push_back(PhotoLike(i));
    const Bytes program = FakeProgram(600 * 1024);

    ShowWriter compressed(TestHead()), plain(TestHead());
    std::vector<Bytes> streams;
    for (const Bytes &picture : pictures) {
        streams.push_back(CompressStream(picture));
        compressed.AddPicture(SCRIMAGE{}, picture, true);
        plain.AddPicture(SCRIMAGE{}, picture, false);
    }
    TempFile compressedFile, plainFile;
    compressedFile.Write(compressed.Build(program));
    const Bytes plainBytes = plain.Build(program);
    plainFile.Write(plainBytes);

    const double load = LoadTime(compressedFile.path());
    const double inflate = BestOf(3, [&] {
        for (size_t i = 0; i < streams.size(); ++i) {
            uLongf size = uLongf(pictures[i].size());
            std::vector<Bytef> out(size);
            uncompress(out.data(), &size, streams[i].data(), uLong(streams[i].size()));
        }
    });
    const double loadPlain = LoadTime(plainFile.path());
    const double read = BestOf(3, [&] {
        HANDLE file = CreateFileA(plainFile.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::vector<char> buffer(plainBytes.size());
        DWORD got = 0;
        for (size_t at = 0; ReadFile(file, &buffer[at], 1 << 20, &got, nullptr) && got; at += got) {}
        CloseHandle(file);
    });

    size_t stored = 0;
    for (const Bytes &s : streams) stored += s.size();
    std::printf("%d pictures of %dx%d, 24 bits; %.1f MB stored compressed, %.1f MB plain\n", kPictures, kWidth,
                kHeight, stored / 1e6, plainBytes.size() / 1e6);
    std::printf("compressed: LoadScrFile %.1f ms, zlib inflate alone %.1f ms: ratio %.2f (goal <= 1.25)\n", load,
                inflate, load / inflate);
    std::printf("plain: LoadScrFile %.1f ms (%.0f MB/s), 1 MB reads %.1f ms (%.0f MB/s): speed ratio %.2f "
                "(goal >= 0.5)\n",
                loadPlain, plainBytes.size() / 1e3 / loadPlain, read, plainBytes.size() / 1e3 / read,
                read / loadPlain);

    const Bytes photo = WithSegment(TestJpeg(320, 240), 0xE1, 60000);
    PhotoShow(10, photo);
    PhotoShow(10000, photo);
    const double few = FirstPhotoOnScreen(10, photo), many = FirstPhotoOnScreen(10000, photo);
    std::printf("the player's start to its first photo on the screen: 10 photos %.0f ms, 10,000 photos %.0f ms: "
                "ratio %.2f (goal <= 1.2)\n",
                few, many, many / few);
    return 0;
}
