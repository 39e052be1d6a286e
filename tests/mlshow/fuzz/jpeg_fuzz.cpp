// Fuzz target: the JPEG path of a build: the check of the markers the player
// makes, the EXIF orientation and day taken, the end marker, and storing the picture as
// a show does (as it is, turned or scaled and encoded again, or as a bitmap),
// then the decoding verify does.
#include <cstddef>
#include <cstdint>

#include "build.h"
#include "content/jpeg.h"
#include "errors.h"
#include "exif.h"
#include "image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ml::JPEGINFO info;
    ml::CheckJpeg(data, size, &info);
    const Bytes file(data, data + size);
    mlshow::ExifOrientation(data, size);
    mlshow::ExifTakenDate(data, size);
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
