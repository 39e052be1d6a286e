// Fuzz target: WAV and MIDI import and the sound checks.
#include <cstddef>
#include <cstdint>

#include "content/format.h"
#include "errors.h"
#include "sound_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const Bytes file(data, data + size);
    mlshow::CheckWaveData(file);
    mlshow::CheckMidiData(file);
    mlshow::DescribeSound(TAG_WAVE, file);
    mlshow::DescribeSound(TAG_MIDI, file);
    try {
        const mlshow::Sound sound = mlshow::ImportSound(file);
        mlshow::WavFileFromData(sound.data);
    } catch (const mlshow::InputError &) {
    }
    return 0;
}
