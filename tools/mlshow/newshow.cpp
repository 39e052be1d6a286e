// mlshow new: a starting show that builds and plays as it is, with pictures
// it draws itself, among them a folder of JPEG photos.
#include <cmath>
#include <filesystem>
#include <vector>

#include "commands.h"
#include "dib.h"
#include "errors.h"
#include "exif.h"
#include "fileio.h"
#include "image.h"

namespace mlshow {

namespace {

namespace fs = std::filesystem;

// A smooth diagonal blend of three colours: a 24-bit picture.
Image Gradient(uint32_t width, uint32_t height) {
    Image image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t *p = image.Pixel(x, y);
            p[0] = uint8_t(40 + 200 * x / width);
            p[1] = uint8_t(60 + 120 * y / height);
            p[2] = uint8_t(200 - 150 * (x + y) / (width + height));
            p[3] = 255;
        }
    return image;
}

// Concentric rings in eight colours: a 4-bit picture.
Image Rings(uint32_t size) {
    static const uint8_t kColours[8][3] = {{255, 200, 0}, {255, 120, 0}, {200, 40, 40}, {120, 0, 120},
                                           {40, 40, 200}, {0, 140, 200}, {0, 180, 90}, {240, 240, 240}};
    Image image{size, size, std::vector<uint8_t>(size_t(size) * size * 4)};
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const double dx = double(x) - size / 2.0, dy = double(y) - size / 2.0;
            const uint8_t *c = kColours[size_t(std::sqrt(dx * dx + dy * dy) / 12) % 8];
            uint8_t *p = image.Pixel(x, y);
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
            p[3] = 255;
        }
    return image;
}

// A landscape in the colours of one time of day: sky, sun and hills.
Image Landscape(uint32_t width, uint32_t height, const uint8_t (&sky)[3], const uint8_t (&land)[3]) {
    Image image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    const double sunX = width * 0.7, sunY = height * 0.3, sunRadius = height * 0.08;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const double hill = height * (0.62 + 0.08 * std::sin(x * 6.0 / width) + 0.04 * std::sin(x * 17.0 / width));
            const double dx = x - sunX, dy = y - sunY;
            const bool sun = dx * dx + dy * dy < sunRadius * sunRadius;
            const double shade = double(y) / height;
            uint8_t *p = image.Pixel(x, y);
            for (int c = 0; c < 3; ++c)
                p[c] = sun ? 255 : y > hill ? uint8_t(land[c] * (1.2 - shade * 0.5)) : uint8_t(sky[c] * (0.6 + shade * 0.5));
            p[3] = 255;
        }
    return image;
}

const char kManifest[] = R"(# A starting show: build it with `mlshow build show.toml`.
# docs/manifest.md describes every key.

[show]
title = "My First Show"
description = "A show made with mlshow new."
author = "Me"
background = "#000020"
preview = "gradient.bmp"
# On several monitors the show plays on the primary one, the others black;
# "each" plays it on every monitor, "mirror" shows the same item on all.
# monitors = "each"
# A clock in the top right corner ("time" or "date and time"), and keys to
# browse: the arrows step through the pictures, Space pauses; any other key
# still ends the saver.
# clock = "time"
# keys = "browse"

[[item]]
type = "text"
message = "Welcome to Marrowlight"
font = "Arial"
height = 48
bold = true
colour = "#FFD040"
box_colour = "#000020"
style = "line"
duration = 4

[[item]]
type = "picture"
file = "gradient.bmp"
appear = "Wipe in from Left"
disappear = "Sandstorm"
speed = 60
hold = 3

[[item]]
type = "picture"
file = "rings.bmp"
placement = "centre"
appear = "Tile"
disappear = "Plummet"
speed = 70
hold = 3

# Every picture in the folder "photos", each a picture item with these
# keys; the effects are taken in turn. JPEG photos are stored as they are.
# Each photo is scaled to fit the monitor it plays on, on a blurred and
# darkened copy of itself where it leaves the monitor; the player draws a
# fresh order each time it starts; the caption gives the day the photo was
# taken (from its EXIF data, where it has one) and its name. Photos larger
# than a 4K monitor are scaled down to fit one.
[[item]]
type = "pictures"
folder = "photos"
fit = "fit"
backdrop = "blur"
order = "random"
caption = "date and name"
appear = ["Wipe in from Right", "Quadrants", "Vertical Split"]
disappear = ["Sandstorm", "Tile"]
speed = 60
hold = 3
max_size = [3840, 2160]

[[item]]
type = "text"
message = "Edit show.toml to make this show your own."
height = 28
colour = "#FFFFFF"
box_colour = "#000020"
style = "band-scroll"
speed = 70
duration = 0
)";

}  // namespace

int RunNew(const std::string &folder, bool quiet, std::ostream &out) {
    std::error_code error;
    const fs::path root = PathOf(folder), manifest = root / "show.toml";
    // Each photo says when it was "taken", as a camera's would.
    static const struct {
        const char *name;
        uint8_t sky[3], land[3];
        const char *taken;
    } kPhotos[] = {{"1-dawn.jpg", {250, 170, 140}, {70, 110, 60}, "2024:06:01 05:40:00"},
                   {"2-noon.jpg", {110, 170, 250}, {60, 150, 50}, "2024:06:01 12:00:00"},
                   {"3-dusk.jpg", {120, 60, 130}, {40, 50, 60}, "2024:06:02 21:15:00"}};
    // Nothing of the user's is written over: every file is looked for first.
    std::vector<fs::path> made = {manifest, root / "gradient.bmp", root / "rings.bmp"};
    for (const auto &photo : kPhotos) made.push_back(root / "photos" / photo.name);
    std::string taken;
    for (const fs::path &path : made)
        if (fs::symlink_status(path, error).type() != fs::file_type::not_found) taken += (taken.empty() ? "" : ", ") + PathText(path);
    if (!taken.empty()) throw InputError(taken + " exist" + (taken.find(", ") == std::string::npos ? "s" : "") +
                                         " already; nothing was written: make the new show in a folder of its own");
    fs::create_directories(root, error);
    if (error) throw InputError("cannot make " + folder + ": " + error.message());
    WriteFileAtomic(root / "gradient.bmp", BmpFromDib(PackDib(Gradient(640, 400))));
    WriteFileAtomic(root / "rings.bmp", BmpFromDib(PackDib(Rings(300))));
    fs::create_directories(root / "photos", error);
    if (error) throw InputError("cannot make " + PathText(root / "photos") + ": " + error.message());
    for (const auto &photo : kPhotos)
        WriteFileAtomic(root / "photos" / photo.name,
                        WithExifTaken(EncodeJpeg(Landscape(640, 400, photo.sky, photo.land), 90), photo.taken));
    WriteFileAtomic(manifest, Bytes(kManifest, kManifest + sizeof kManifest - 1));
    if (!quiet) out << "made a new show in " << folder << ": build it with `mlshow build " << PathText(manifest) << "`\n";
    return 0;
}

}  // namespace mlshow
