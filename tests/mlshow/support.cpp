// Helpers of mlshow's tests.
#include "support.h"

#include <stb/stb_image_write.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "build.h"
#include "commands.h"
#include "fileio.h"
#include "image.h"
#include "manifest.h"

namespace testing_mlshow {

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::mt19937_64 random{std::random_device{}()};
    for (;;) {
        fs::path candidate = fs::temp_directory_path() / ("mlshow-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code error;
    fs::remove_all(path_, error);
}

void TempDir::Write(const std::string &name, const Bytes &bytes) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    mlshow::WriteFileAtomic(Path(name), bytes);
}
void TempDir::Write(const std::string &name, const std::string &text) const { Write(name, Bytes(text.begin(), text.end())); }

bool Exists(const std::string &path) { return fs::exists(path); }
std::vector<std::string> FilesEndingIn(const std::string &folder, const std::string &suffix) {
    std::vector<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}
Bytes ReadBytes(const std::string &path) { return mlshow::ReadWholeFile(path); }
std::string SourcePath(const std::string &relative) { return std::string(ML_SOURCE_DIR) + "/" + relative; }

mlshow::Image Pattern(uint32_t width, uint32_t height, const std::vector<uint32_t> &colours) {
    mlshow::Image image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        const uint32_t c = colours[i % colours.size()];
        image.rgba[4 * i] = uint8_t(c >> 16);
        image.rgba[4 * i + 1] = uint8_t(c >> 8);
        image.rgba[4 * i + 2] = uint8_t(c);
        image.rgba[4 * i + 3] = 255;
    }
    return image;
}

Bytes Png(const mlshow::Image &image) {
    Bytes out;
    stbi_write_png_to_func(
        [](void *context, void *data, int size) {
            auto *bytes = static_cast<Bytes *>(context);
            bytes->insert(bytes->end(), static_cast<uint8_t *>(data), static_cast<uint8_t *>(data) + size);
        },
        &out, int(image.width), int(image.height), 4, image.rgba.data(), int(image.width * 4));
    return out;
}

Bytes Jpeg(const mlshow::Image &image, int quality) { return mlshow::EncodeJpeg(image, quality); }

mlshow::Image Quadrants(uint32_t width, uint32_t height) {
    mlshow::Image image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    static const uint32_t kColours[4] = {0xDC1E1E, 0x1EC828, 0x283CDC, 0xE6DC28};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t c = kColours[(y >= height / 2) * 2 + (x >= width / 2)];
            uint8_t *p = image.Pixel(x, y);
            p[0] = uint8_t(c >> 16);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c);
            p[3] = 255;
        }
    return image;
}

char QuadrantColour(const uint8_t *p) {
    static const struct {
        char name;
        int r, g, b;
    } kColours[] = {{'r', 0xDC, 0x1E, 0x1E}, {'g', 0x1E, 0xC8, 0x28}, {'b', 0x28, 0x3C, 0xDC}, {'y', 0xE6, 0xDC, 0x28}};
    for (const auto &c : kColours)
        if (std::abs(p[0] - c.r) < 40 && std::abs(p[1] - c.g) < 40 && std::abs(p[2] - c.b) < 40) return c.name;
    return '?';
}

Bytes WithExif(const Bytes &jpeg, uint16_t orientation, bool bigEndian) {
    auto u16 = [&](Bytes &out, uint32_t v) {
        if (bigEndian) out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
        else out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
    };
    auto u32 = [&](Bytes &out, uint32_t v) {
        if (bigEndian) out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
        else out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    };
    // TIFF header, then IFD0 with an image description first and the orientation.
    Bytes tiff = bigEndian ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    u16(tiff, 42);
    u32(tiff, 8);
    u16(tiff, 2);
    u16(tiff, 0x010E), u16(tiff, 2), u32(tiff, 4), tiff.insert(tiff.end(), {'a', 'b', 'c', 0});
    u16(tiff, 0x0112), u16(tiff, 3), u32(tiff, 1), u16(tiff, orientation), u16(tiff, 0);
    u32(tiff, 0);  // no next directory
    Bytes segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = uint8_t((segment.size() - 2) >> 8);
    segment[3] = uint8_t(segment.size() - 2);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

Bytes DataFile(const std::string &name) { return mlshow::ReadWholeFile(SourcePath("tests/mlshow/data/" + name)); }

Bytes Wav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t samples) {
    Bytes data(16 + samples, 0x80);
    const uint16_t align = uint16_t(channels * bits / 8);
    const uint32_t average = rate * align;
    std::memcpy(&data[0], &tag, 2);
    std::memcpy(&data[2], &channels, 2);
    std::memcpy(&data[4], &rate, 4);
    std::memcpy(&data[8], &average, 4);
    std::memcpy(&data[12], &align, 2);
    std::memcpy(&data[14], &bits, 2);
    Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0};
    file.insert(file.end(), data.begin(), data.begin() + 16);
    const uint32_t size = uint32_t(samples);
    const uint8_t header[] = {'d', 'a', 't', 'a', uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    file.insert(file.end(), header, header + 8);
    file.insert(file.end(), data.begin() + 16, data.end());
    const uint32_t riff = uint32_t(file.size() - 8);
    std::memcpy(&file[4], &riff, 4);
    return file;
}

Bytes FakePlayer(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + (i >> 8));
    bytes[0] = 'M';
    bytes[1] = 'Z';
    return bytes;
}

Bytes Built(const std::string &manifest, const Bytes &program) {
    mlshow::BuildSettings settings;
    settings.quiet = true;
    settings.now = 1234;
    return mlshow::BuildShow(mlshow::LoadManifest(manifest), program, settings);
}

::testing::AssertionResult ComesBack(const TempDir &dir, const Bytes &show, const Bytes &program) {
    dir.Write("show.scr", show);
    std::ostringstream out;
    if (mlshow::RunVerify(dir.Path("show.scr"), true, out) != 0) return ::testing::AssertionFailure() << out.str();
    if (mlshow::RunExtract(dir.Path("show.scr"), dir.Path("back"), true, out) != 0)
        return ::testing::AssertionFailure() << "extract failed: " << out.str();
    if (Built(dir.Path("back/show.toml"), program) != show) return ::testing::AssertionFailure() << "the extract builds other bytes";
    return ::testing::AssertionSuccess();
}

int RunMlshow(const std::string &arguments, std::string *output) {
    TempDir scratch;
    const std::string log = scratch.Path("output.txt");
    const int status = std::system((std::string(ML_MLSHOW) + " " + arguments + " >" + log + " 2>&1").c_str());
    if (output) {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        *output = text.str();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testing_mlshow
