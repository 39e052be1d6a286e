// Sounds for SOND blocks and applet sound objects: PCM WAV files become a
// 16-byte format record followed by the samples; MIDI files are stored as
// they are, after a check of their structure.
#pragma once

#include <cstdint>
#include <string>

#include "content/writer.h"

namespace mlshow {

// The largest sound accepted.
constexpr size_t MAX_SOUND_BYTES = size_t(256) << 20;

struct Sound {
    uint32_t kind = 0;  // TAG_WAVE or TAG_MIDI
    Bytes data;         // as stored in the show
};

// Reads a WAV or MIDI file image by its content; InputError otherwise.
Sound ImportSound(const Bytes &file);
// PCM WAV only: anything else is refused with the reason.
Bytes ImportWave(const Bytes &file);
// A standard MIDI file, checked chunk by chunk.
Bytes ImportMidi(const Bytes &file);

// What is wrong with stored "wave" or "midi" data, or "" when it is sound.
std::string CheckWaveData(const Bytes &data);
std::string CheckMidiData(const Bytes &data);

// "PCM 22050 Hz, 16-bit, stereo, 2.50 s" / "MIDI format 1, 4 tracks".
std::string DescribeSound(uint32_t kind, const Bytes &data);

// A WAV file holding stored "wave" data, so that ImportWave gives it back.
Bytes WavFileFromData(const Bytes &data);

}  // namespace mlshow
