// Building a show: imports every file the manifest names (in parallel, each
// picture compressed on its own core), then lays out the player followed by
// the show with the container writer.
#pragma once

#include <cstdint>
#include <string>

#include "content/writer.h"
#include "manifest.h"

namespace mlshow {

// The size the preview picture is scaled down to fit: the host's preview
// window.
constexpr uint32_t PREVIEW_WIDTH = 152;
constexpr uint32_t PREVIEW_HEIGHT = 112;

struct BuildSettings {
    bool quiet = false;
    unsigned threads = 0;  // 0: one per core
    uint32_t now = 0;      // the creation time when neither the manifest nor SOURCE_DATE_EPOCH gives one
};

// The whole file: `program` (the player without any show) and the show.
// Throws InputErrors naming the manifest position of every file that
// cannot be imported.
Bytes BuildShow(const Manifest &manifest, const Bytes &program, const BuildSettings &settings);

// The creation time: the manifest's, else SOURCE_DATE_EPOCH, else `now`.
uint32_t CreationTime(const Manifest &manifest, uint32_t now);

// "My Show!" -> "My-Show.scr": a file name made from the title.
std::string DefaultOutputName(const std::string &title);

// Makes text line ends CR LF, as the player draws and runs them.
std::string CrLfLines(std::string_view text);

// One picture file as the packed bitmap the show stores: BMP files in the
// player's own layout as they are, everything else decoded, flattened onto
// `background` and scaled down to fit maxWidth x maxHeight (0: no limit).
Bytes ImportPicture(const Bytes &file, uint32_t background, uint32_t maxWidth, uint32_t maxHeight);

}  // namespace mlshow
