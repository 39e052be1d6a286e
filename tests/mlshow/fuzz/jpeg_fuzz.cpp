// Fuzz target: the JPEG path of a build: the check of the markers the player
// makes, the EXIF orientation and day taken, the end marker, and storing the picture as
// a show does (as it is, turned or scaled and encoded again, or as a bitmap),
// then the decoding verify does.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "build.h"
#include "content/exif.h"
#include "content/jpeg.h"
#include "errors.h"
#include "image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ml::JPEGINFO info, pieces;
    const ml::JPEGCHECK whole = ml::CheckJpeg(data, size, &info);
    // Read piece by piece as the player reads a stored picture: the same result.
    ml::JPEGWALK walk;
    walk.size = size;
    const size_t piece = size ? data[size - 1] % 16 + 1 : 1;
    ml::JPEGCHECK check;
    do check = ml::StepJpegCheck(data + walk.at, size_t(std::min<uint64_t>(std::max<uint64_t>(walk.need, piece), size - walk.at)), &walk, &pieces);
    while (check == ml::JPEG_MORE);
    if (check != whole || pieces.width != info.width || pieces.height != info.height) __builtin_trap();
    const Bytes file(data, data + size);
    ml::ExifOrientation(data, size);
    ml::ExifTakenDate(data, size);
    mlshow::JpegHasEnd(file);
    mlshow::PictureOptions options;
    for (uint32_t side : {0u, 24u}) {
        options.maxWidth = options.maxHeight = side;
        try {
            const mlshow::StoredPicture stored = mlshow::StorePicture(file, options);
            if (stored.jpeg) mlshow::JpegDecodeFailure(stored.data);
        } catch (const mlshow::InputError &) {
        }
    }
    return 0;
}
