// Helpers of mlshow's tests: a temporary folder, files, pictures and sounds
// made on the spot, and shows built from manifest text.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/writer.h"
#include "errors.h"
#include "image.h"

namespace testing_mlshow {

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string Path(const std::string &name) const { return path_ + "/" + name; }
    const std::string &path() const { return path_; }
    // Writes a file, making the folders on its way.
    void Write(const std::string &name, const Bytes &bytes) const;
    void Write(const std::string &name, const std::string &text) const;

private:
    std::string path_;
};

bool Exists(const std::string &path);
// The names of the files in `folder` whose names end in `suffix`, sorted.
std::vector<std::string> FilesEndingIn(const std::string &folder, const std::string &suffix);
Bytes ReadBytes(const std::string &path);
// A file of the source tree, e.g. "examples/demo/spinner.gif".
std::string SourcePath(const std::string &relative);

// An image whose pixel i has colour colours[i % colours.size()] (0xRRGGBB),
// all opaque.
mlshow::Image Pattern(uint32_t width, uint32_t height, const std::vector<uint32_t> &colours);
// The image as PNG file bytes; as a baseline JPEG file.
Bytes Png(const mlshow::Image &image);
Bytes Jpeg(const mlshow::Image &image, int quality = 90);
// A picture of four flat quadrants: red top left, green top right, blue
// bottom left, yellow bottom right; they survive JPEG coding recognisably.
mlshow::Image Quadrants(uint32_t width, uint32_t height);
// The quadrant colour nearest to a pixel: 'r', 'g', 'b', 'y', or '?'.
char QuadrantColour(const uint8_t *rgba);
// `jpeg` with an EXIF segment giving `orientation`, in Motorola (big-endian)
// or Intel byte order, right after its start-of-image marker.
Bytes WithExif(const Bytes &jpeg, uint16_t orientation, bool bigEndian);
// `file` with `bytes` written over it from `at` on, and its first `size` bytes.
inline Bytes Patched(Bytes file, size_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) file.at(at++) = b;
    return file;
}
inline Bytes Cut(const Bytes &file, size_t size) { return Bytes(file.begin(), file.begin() + long(size)); }
// A file of tests/mlshow/data.
Bytes DataFile(const std::string &name);

// A PCM WAV file of `samples` bytes of silence in the given format.
Bytes Wav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t samples);

// A deterministic stand-in for the player program.
Bytes FakePlayer(size_t size = 3000);

// Builds the show of the manifest file `manifest` quietly, made at time 1234
// unless the manifest says otherwise.
Bytes Built(const std::string &manifest, const Bytes &program = FakePlayer());
// Writes `show` into `dir` as show.scr, verifies it and extracts it into
// dir/back; whether all went well and that extract builds the same bytes on
// `program`.
::testing::AssertionResult ComesBack(const TempDir &dir, const Bytes &show, const Bytes &program = FakePlayer());

// Runs mlshow with `arguments` in a shell; its exit status. stdout and
// stderr go to `output` when given.
int RunMlshow(const std::string &arguments, std::string *output = nullptr);

// The messages of the InputErrors `work` throws; none when it throws none.
template <typename Work>
std::vector<std::string> ErrorsOf(Work work) {
    try {
        work();
    } catch (const mlshow::InputErrors &errors) {
        return errors.messages();
    }
    return {};
}

}  // namespace testing_mlshow
