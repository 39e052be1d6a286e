// EXIF data of JPEG photos: the orientation and the day taken, read only
// inside the bytes given. The reader is portable and shared by mlshow and
// the player; these cases run natively in mlshow_test, on the sanitized
// build, with mlshow's helpers making the JPEGs and their EXIF segments.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "content/exif.h"
#include "exif.h"
#include "support.h"

using namespace ml;
using mlshow::WithExifTaken;
using testing_mlshow::Cut;
using testing_mlshow::Jpeg;
using testing_mlshow::Patched;
using testing_mlshow::Quadrants;
using testing_mlshow::WithExif;

namespace {

const Bytes &Picture() {
    static const Bytes jpeg = Jpeg(Quadrants(64, 32));
    return jpeg;
}

}  // namespace

TEST(Exif, FindsTheOrientationInEitherByteOrder) {
    for (bool bigEndian : {false, true})
        for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(std::to_string(orientation) + (bigEndian ? " MM" : " II"));
            const Bytes file = WithExif(Picture(), orientation, bigEndian);
            EXPECT_EQ(ExifOrientation(file.data(), file.size()), orientation);
            EXPECT_EQ(OrientationSwapsSides(orientation), orientation >= 5);
        }
}

TEST(Exif, DamagedOrMissingTagsReadOnlyWhatIsThere) {
    // WithExif's TIFF data starts at 12: order, 42, directory offset at 16,
    // entry count at 20, the orientation entry's tag at 34, type 36, count 38, value 42.
    const Bytes six = WithExif(Picture(), 6, true);
    Bytes xmpFirst = {0xFF, 0xD8, 0xFF, 0xE1, 0, 8, 'h', 't', 't', 'p', ':', '/'};
    xmpFirst.insert(xmpFirst.end(), six.begin() + 2, six.end());
    Bytes afterScan = Picture();
    afterScan.insert(afterScan.end() - 2, six.begin() + 2, six.begin() + 12 + 46);
    const std::tuple<const char *, Bytes, uint32_t> cases[] = {
        {"no EXIF", Picture(), 1},
        {"orientation 0", WithExif(Picture(), 0, true), 1},
        {"orientation 9", WithExif(Picture(), 9, false), 1},
        {"unknown byte order", Patched(six, 12, {'X', 'X'}), 1},
        {"not TIFF", Patched(six, 14, {0, 43}), 1},
        {"directory past the end", Patched(six, 16, {0, 0, 0xFF, 0xF0}), 1},
        {"directory inside the header", Patched(six, 16, {0, 0, 0, 2}), 1},
        {"more entries than the segment holds", Patched(six, 20, {0xFF, 0xFF}), 6},
        {"one entry only", Patched(six, 20, {0, 1}), 1},
        {"orientation as a LONG", Patched(six, 36, {0, 4}), 1},
        {"no values", Patched(six, 38, {0, 0, 0, 0}), 1},
        {"segment cut before the orientation", Patched(six, 4, {0, 30}), 1},
        {"segment longer than the file", Patched(six, 4, {0xFF, 0xFF}), 1},
        {"an XMP segment first", xmpFirst, 6},
        {"EXIF after the scan", afterScan, 1},
        {"the file cut inside the EXIF data", Cut(six, 30), 1},
        {"a PNG", testing_mlshow::Png(Quadrants(4, 4)), 1},
        {"nothing", Bytes(), 1},
    };
    for (const auto &[description, file, expected] : cases)
        EXPECT_EQ(ExifOrientation(file.data(), file.size()), expected) << description;
}

TEST(Exif, TheDayTakenComesFromDateTimeOriginal) {
    const std::tuple<const char *, Bytes, uint32_t> cases[] = {
        {"Intel order", WithExifTaken(Picture(), "2024:06:01 10:20:30", false), 20240601},
        {"Motorola order, a leap day", WithExifTaken(Picture(), "2000:02:29 23:59:59", true), 20000229},
        {"no EXIF", Picture(), 0},
        {"EXIF without the date", WithExif(Picture(), 6, false), 0},
        {"blank date", WithExifTaken(Picture(), "0000:00:00 00:00:00", false), 0},
        {"no such day", WithExifTaken(Picture(), "2023:02:29 12:00:00", true), 0},
        {"not EXIF's form", WithExifTaken(Picture(), "2024-06-01 10:20:30", false), 0},
    };
    for (const auto &[description, jpeg, taken] : cases) EXPECT_EQ(ExifTakenDate(jpeg.data(), jpeg.size()), taken) << description;
    // The walk stays inside the bytes it is given: the date counts only
    // once the whole EXIF segment is there.
    const Bytes dated = WithExifTaken(Picture(), "2024:06:01 10:20:30", false);
    const size_t segmentEnd = 2 + 10 + 64;  // start of image, segment header, TIFF data
    for (size_t size = 0; size < segmentEnd; ++size) EXPECT_EQ(ExifTakenDate(dated.data(), size), 0u) << size;
    EXPECT_EQ(ExifTakenDate(dated.data(), segmentEnd), 20240601u);
}
