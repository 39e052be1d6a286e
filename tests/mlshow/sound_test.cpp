// WAV and MIDI import.
#include <gtest/gtest.h>

#include <cstring>

#include "content/format.h"
#include "errors.h"
#include "sound_import.h"
#include "support.h"

using namespace mlshow;
using testing_mlshow::Wav;

namespace {

std::string Refusal(const Bytes &file) {
    try {
        ImportSound(file);
    } catch (const InputError &error) {
        return error.what();
    }
    return "";
}

void Put32(Bytes &file, size_t at, uint32_t value) { std::memcpy(&file[at], &value, 4); }

}  // namespace

TEST(SoundImport, PcmWaveBecomesFormatRecordAndSamples) {
    const Bytes file = Wav(1, 2, 22050, 16, 400);
    const Sound sound = ImportSound(file);
    EXPECT_EQ(sound.kind, TAG_WAVE);
    ASSERT_EQ(sound.data.size(), 16u + 400);
    SOUNDFORMAT format;
    std::memcpy(&format, sound.data.data(), 16);
    EXPECT_EQ(format.nSamplesPerSec, 22050u);
    EXPECT_EQ(format.nBlockAlign, 4u);
    EXPECT_EQ(CheckWaveData(sound.data), "");
    EXPECT_EQ(ImportWave(WavFileFromData(sound.data)), sound.data);
    EXPECT_EQ(DescribeSound(TAG_WAVE, sound.data), "PCM 22050 Hz, 16-bit, 2 channels, 0.00 s");
}

TEST(SoundImport, RefusesWhatThePlayerCannotPlay) {
    Bytes lying = Wav(1, 1, 8000, 8, 100);
    Put32(lying, 40, 0x7FFFFFFF);  // the data chunk claims 2 GB
    Bytes noFormat = Wav(1, 1, 8000, 8, 10);
    std::memcpy(&noFormat[12], "junk", 4);
    Bytes badAlign = Wav(1, 2, 8000, 16, 10);
    badAlign[32] = 3;
    struct Case {
        const char *description;
        Bytes file;
        const char *expected;
    };
    const Case cases[] = {
        {"float", Wav(3, 1, 44100, 32, 64), "only PCM sound is supported, this is IEEE float"},
        {"ADPCM", Wav(2, 1, 44100, 4, 64), "Microsoft ADPCM"},
        {"extensible", Wav(0xFFFE, 2, 44100, 16, 64), "extensible"},
        {"lying chunk", lying, "claims 2147483647 bytes"},
        {"no format", noFormat, "no format chunk"},
        {"bad alignment", badAlign, "block alignment"},
        {"odd bits", Wav(1, 1, 8000, 12, 10), "12 bits per sample"},
        {"text", Bytes{'h', 'i'}, "not a sound"},
        {"cut header", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm'}, "no format chunk"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_NE(Refusal(c.file).find(c.expected), std::string::npos) << Refusal(c.file);
    }
}

TEST(SoundImport, MidiFilesAreCheckedAndKept) {
    const Bytes tune = testing_mlshow::ReadBytes(testing_mlshow::SourcePath("examples/demo/tune.mid"));
    const Sound sound = ImportSound(tune);
    EXPECT_EQ(sound.kind, TAG_MIDI);
    EXPECT_EQ(sound.data, tune);
    Bytes lying = tune;
    Put32(lying, 18, 0x00FFFFFF);  // the track claims more than the file
    Bytes tracks = tune;
    tracks[11] = 2;  // two tracks announced, one present
    Bytes header = tune;
    header[7] = 200;
    struct Case {
        const char *description;
        Bytes file;
        const char *expected;
    };
    const Case cases[] = {{"lying track", lying, "MIDI chunk claims"},
                          {"missing track", tracks, "announces 2 tracks"},
                          {"header size", header, "MIDI header of 200 bytes"},
                          {"short", Bytes{'M', 'T', 'h', 'd'}, "no MThd header"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_NE(Refusal(c.file).find(c.expected), std::string::npos) << Refusal(c.file);
    }
}
