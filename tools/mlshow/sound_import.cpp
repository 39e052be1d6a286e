// WAV and MIDI import. Both are chunked files whose sizes come from the
// file: every size is checked against what is left before it is used.
#include "sound_import.h"

#include <cstdio>
#include <cstring>

#include "content/format.h"
#include "errors.h"

namespace mlshow {

namespace {

uint32_t Le32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint32_t Be32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Be16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }

bool Starts(const Bytes &file, size_t at, const char *tag) {
    return file.size() >= at + 4 && std::memcmp(&file[at], tag, 4) == 0;
}

std::string FormatName(uint16_t tag) {
    switch (tag) {
        case 2: return "Microsoft ADPCM";
        case 3: return "IEEE float";
        case 6: return "A-law";
        case 7: return "mu-law";
        case 0x11: return "IMA ADPCM";
        case 0x55: return "MP3";
        case 0xFFFE: return "extensible";
        default: return "format " + std::to_string(tag);
    }
}

// What is wrong with a PCM format record, or "".
std::string CheckFormat(const SOUNDFORMAT &format) {
    if (format.wFormatTag != 1)
        return "only PCM sound is supported, this is " + FormatName(format.wFormatTag) + " (format tag " +
               std::to_string(format.wFormatTag) + ")";
    if (format.nChannels < 1 || format.nChannels > 8) return std::to_string(format.nChannels) + " channels";
    const unsigned bits = format.wBitsPerSample;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::to_string(bits) + " bits per sample";
    if (format.nSamplesPerSec < 1000 || format.nSamplesPerSec > 384000)
        return std::to_string(format.nSamplesPerSec) + " samples per second";
    if (format.nBlockAlign != format.nChannels * bits / 8)
        return "block alignment " + std::to_string(format.nBlockAlign) + " does not match the channels and bits";
    if (format.nAvgBytesPerSec != format.nSamplesPerSec * format.nBlockAlign)
        return "bytes per second " + std::to_string(format.nAvgBytesPerSec) + " do not match the rate";
    return "";
}

}  // namespace

Bytes ImportWave(const Bytes &file) {
    if (!Starts(file, 0, "RIFF") || !Starts(file, 8, "WAVE")) throw InputError("not a WAV file");
    Bytes format, samples;
    bool haveData = false;
    // Chunks: 4-byte id, 4-byte size, data padded to an even length.
    for (size_t at = 12; at + 8 <= file.size();) {
        const uint32_t size = Le32(&file[at + 4]);
        if (size > file.size() - at - 8)
            throw InputError("WAV chunk \"" + std::string(reinterpret_cast<const char *>(&file[at]), 4) + "\" claims " +
                             std::to_string(size) + " bytes, but only " + std::to_string(file.size() - at - 8) +
                             " remain");
        const uint8_t *body = &file[at + 8];
        if (Starts(file, at, "fmt ") && format.empty()) {
            if (size < SOUNDFORMAT_SIZE) throw InputError("WAV format chunk of " + std::to_string(size) + " bytes");
            format.assign(body, body + SOUNDFORMAT_SIZE);
        } else if (Starts(file, at, "data") && !haveData) {
            if (size > MAX_SOUND_BYTES) throw InputError("the sound has more than 256 MB of samples");
            samples.assign(body, body + size);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (format.empty()) throw InputError("the WAV file has no format chunk");
    if (!haveData) throw InputError("the WAV file has no data chunk");
    SOUNDFORMAT record;
    std::memcpy(&record, format.data(), sizeof record);
    const std::string wrong = CheckFormat(record);
    if (!wrong.empty()) throw InputError("unsupported WAV sound: " + wrong);
    format.insert(format.end(), samples.begin(), samples.end());
    return format;
}

std::string CheckMidiData(const Bytes &data) {
    if (!Starts(data, 0, "MThd") || data.size() < 14) return "not a standard MIDI file (no MThd header)";
    const uint32_t headerSize = Be32(&data[4]);
    if (headerSize < 6 || headerSize > data.size() - 8) return "MIDI header of " + std::to_string(headerSize) + " bytes";
    const uint16_t format = Be16(&data[8]), tracks = Be16(&data[10]);
    if (format > 2) return "MIDI format " + std::to_string(format);
    if (tracks == 0) return "the MIDI file has no tracks";
    size_t found = 0;
    for (size_t at = 8 + headerSize; at < data.size();) {
        if (data.size() - at < 8) return "the MIDI file ends inside a chunk header";
        const uint32_t size = Be32(&data[at + 4]);
        if (size > data.size() - at - 8)
            return "MIDI chunk claims " + std::to_string(size) + " bytes, only " + std::to_string(data.size() - at - 8) +
                   " remain";
        if (Starts(data, at, "MTrk")) ++found;
        at += 8 + size;
    }
    if (found < tracks) return "the MIDI header announces " + std::to_string(tracks) + " tracks, the file has " + std::to_string(found);
    return "";
}

Bytes ImportMidi(const Bytes &file) {
    const std::string wrong = CheckMidiData(file);
    if (!wrong.empty()) throw InputError(wrong);
    if (file.size() > MAX_SOUND_BYTES) throw InputError("the MIDI file is larger than 256 MB");
    return file;
}

Sound ImportSound(const Bytes &file) {
    if (Starts(file, 0, "RIFF") && Starts(file, 8, "WAVE")) return {TAG_WAVE, ImportWave(file)};
    if (Starts(file, 0, "MThd")) return {TAG_MIDI, ImportMidi(file)};
    throw InputError("not a sound mlshow can read (a PCM WAV or a standard MIDI file)");
}

std::string CheckWaveData(const Bytes &data) {
    if (data.size() < SOUNDFORMAT_SIZE) return "wave data of " + std::to_string(data.size()) + " bytes, shorter than its format record";
    SOUNDFORMAT format;
    std::memcpy(&format, data.data(), sizeof format);
    const std::string wrong = CheckFormat(format);
    if (!wrong.empty()) return wrong;
    if (data.size() == SOUNDFORMAT_SIZE) return "the sound has no samples";
    return "";
}

std::string DescribeSound(uint32_t kind, const Bytes &data) {
    char text[160];
    if (kind == TAG_MIDI) {
        if (!CheckMidiData(data).empty()) return "MIDI (damaged)";
        std::snprintf(text, sizeof text, "MIDI format %u, %u tracks, %zu bytes", unsigned(Be16(&data[8])),
                      unsigned(Be16(&data[10])), data.size());
        return text;
    }
    if (kind != TAG_WAVE || data.size() < SOUNDFORMAT_SIZE) return "unknown sound";
    SOUNDFORMAT f;
    std::memcpy(&f, data.data(), sizeof f);
    const double seconds = f.nAvgBytesPerSec ? double(data.size() - SOUNDFORMAT_SIZE) / f.nAvgBytesPerSec : 0;
    std::snprintf(text, sizeof text, "%s %u Hz, %u-bit, %u channel%s, %.2f s", f.wFormatTag == 1 ? "PCM" : "non-PCM",
                  unsigned(f.nSamplesPerSec), unsigned(f.wBitsPerSample), unsigned(f.nChannels),
                  f.nChannels == 1 ? "" : "s", seconds);
    return text;
}

Bytes WavFileFromData(const Bytes &data) {
    const size_t format = data.size() < SOUNDFORMAT_SIZE ? data.size() : SOUNDFORMAT_SIZE;
    const size_t samples = data.size() - format;
    // RIFF header, "fmt " chunk, "data" chunk padded to an even length.
    Bytes file(12 + 8 + format + 8 + samples + (samples & 1));
    auto put = [&file](size_t at, const void *bytes, size_t count) {
        if (count) std::memcpy(&file[at], bytes, count);
    };
    auto put32 = [&put](size_t at, uint32_t value) {
        const uint8_t le[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        put(at, le, 4);
    };
    put(0, "RIFF", 4);
    put32(4, uint32_t(file.size() - 8));
    put(8, "WAVEfmt ", 8);
    put32(16, uint32_t(format));
    put(20, data.data(), format);
    put(20 + format, "data", 4);
    put32(24 + format, uint32_t(samples));
    put(28 + format, data.data() + format, samples);
    return file;
}

}  // namespace mlshow
