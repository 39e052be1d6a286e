// The sound player under Wine with an ALSA device that captures what is
// played to a WAV file: the samples played are compared with those stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sound/player.h"
#include "support/saver_in_process.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// The capture file as this program sees it (the variable holds a host path).
std::string CapturePath() {
    const char *host = getenv("ML_SOUND_CAPTURE");
    if (!host) return "";
    std::string path = std::string("Z:") + host;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

// The sample bytes of the captured WAV: everything after its "data" chunk
// header (the chunk's length may not be final while the device is open).
Bytes CapturedFile() {
    const Bytes file = ReadFileBytes(CapturePath());
    for (size_t i = 12; i + 8 <= file.size(); ++i)
        if (std::memcmp(file.data() + i, "data", 4) == 0) return Bytes(file.begin() + i + 8, file.end());
    return {};
}

// The samples without the silence the device adds. Wine's mixer writes a
// period of silent frames (0 in 16 bits, 0x80 in 8) whenever its buffer runs
// dry while the stream runs: after the last sample until the player closes
// the device, and in the middle when a busy machine does not let it refill
// the buffer in time. Samples() holds no silent frame, so what is left is
// exactly what was played of the stored samples, in order.
Bytes WithoutSilence(const Bytes &captured, WORD bits, WORD channels) {
    const size_t frame = size_t(channels) * (bits / 8);
    const BYTE silent = bits == 8 ? 0x80 : 0;
    Bytes played;
    for (size_t at = 0; frame && at + frame <= captured.size(); at += frame)
        if (std::count(captured.begin() + at, captured.begin() + at + frame, silent) != long(frame))
            played.insert(played.end(), captured.begin() + at, captured.begin() + at + frame);
    return played;
}

// The played samples once at least `count` bytes of them have reached the
// file: the device may still be writing its last period when the sound
// reports done.
Bytes CapturedSamples(size_t count, WORD bits = 16, WORD channels = 1) {
    Bytes captured = WithoutSilence(CapturedFile(), bits, channels);
    for (int i = 0; i < 200 && captured.size() < count; ++i) {
        Sleep(10);
        captured = WithoutSilence(CapturedFile(), bits, channels);
    }
    return captured;
}

// No byte is 0x80 and no two bytes in a row are 0, so no frame of 8 or 16
// bits, mono or stereo, is silence.
Bytes Samples(size_t count, int seed) {
    Bytes samples(count);
    for (size_t i = 0; i < count; ++i) {
        const BYTE value = BYTE((i * 7 + seed * 31 + (i >> 5)) & 0xFF);
        samples[i] = value == 0x80 ? 0x7F : value;
    }
    return samples;
}

// "wave" data: the PCM format record, then the samples.
Bytes Wave(const Bytes &samples, WORD channels = 1, DWORD rate = 22050, WORD bits = 16, WORD tag = WAVE_FORMAT_PCM) {
    PCMWAVEFORMAT format = {};
    format.wf.wFormatTag = tag;
    format.wf.nChannels = channels;
    format.wf.nSamplesPerSec = rate;
    format.wf.nBlockAlign = WORD(channels * bits / 8);
    format.wf.nAvgBytesPerSec = rate * format.wf.nBlockAlign;
    format.wBitsPerSample = bits;
    Bytes data(sizeof format + samples.size());
    std::memcpy(data.data(), &format, sizeof format);
    if (!samples.empty()) std::memcpy(data.data() + sizeof format, samples.data(), samples.size());
    return data;
}

HGLOBAL Global(const Bytes &bytes) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (void *p = GlobalLock(handle)) {
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(handle);
    }
    return handle;
}

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    APPLETHandleMessage(window, message, wparam, lparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

// A window that routes the completions as the saver window does.
class Listener {
public:
    Listener() {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = ListenerProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "MarrowlightSoundListener";
        RegisterClassA(&cls);
        window_ = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, cls.hInstance,
                                  nullptr);
    }
    ~Listener() {
        APPLETKillSound(window_);
        DestroyWindow(window_);
    }
    HWND window() const { return window_; }

private:
    HWND window_;
};

// Dispatches messages until the sound has ended or `ms` have passed.
bool WaitForSilence(DWORD ms = 5000) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (APPLETIsPlaying() && int(end - GetTickCount()) > 0) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            Sleep(5);
    }
    return !APPLETIsPlaying();
}

bool StateIsIdle() {
    return !APPLETwavehandle && !APPLETwaveheader && !APPLEThwaveout && APPLETid == APPLETNOSOUNDID &&
           APPLETtemppath[0] == 0;
}

int CountTempFiles(const char *pattern) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string wildcard = std::string(folder) + pattern;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(wildcard.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

class Sound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CapturePath().empty()) << "ML_SOUND_CAPTURE names the capture file";
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "the ALSA capture device is configured";
    }
    Listener listener;
};

}  // namespace

TEST_F(Sound, AWaveIsPlayedExactlyAsStored) {
    struct Case {
        const char *name;
        WORD channels;
        DWORD rate;
        WORD bits;
    } cases[] = {{"16-bit mono", 1, 22050, 16}, {"16-bit stereo", 2, 44100, 16}, {"8-bit mono", 1, 11025, 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes samples = Samples(8000, c.channels);
        HGLOBAL data = Global(Wave(samples, c.channels, c.rate, c.bits));
        ASSERT_EQ(APPLETPlaySound(listener.window(), data, TAG_WAVE), 1);
        EXPECT_EQ(APPLETIsPlaying(), 1);
        GlobalFree(data);  // the player plays its own copy
        EXPECT_TRUE(WaitForSilence());
        EXPECT_TRUE(StateIsIdle());
        EXPECT_EQ(CapturedSamples(samples.size(), c.bits, c.channels), samples);
    }
}

TEST_F(Sound, ASecondSoundReplacesTheFirst) {
    const Bytes first = Samples(22050 * 2 * 4, 1), second = Samples(6000, 2);
    HGLOBAL a = Global(Wave(first)), b = Global(Wave(second));
    ASSERT_EQ(APPLETPlaySound(listener.window(), a, TAG_WAVE), 1);
    ASSERT_EQ(APPLETPlaySound(listener.window(), b, TAG_WAVE), 1);
    EXPECT_EQ(APPLETIsPlaying(), 1);
    EXPECT_TRUE(WaitForSilence());
    EXPECT_EQ(CapturedSamples(second.size()), second);
    GlobalFree(a);
    GlobalFree(b);
}

TEST_F(Sound, IsPlayingUntilCompletionOrKill) {
    HGLOBAL data = Global(Wave(Samples(22050 * 2 * 4, 3)));
    EXPECT_EQ(APPLETKillSound(listener.window()), 1) << "nothing playing";
    EXPECT_EQ(APPLETIsPlaying(), 0);
    ASSERT_EQ(APPLETPlaySound(listener.window(), data, TAG_WAVE), 1);
    EXPECT_EQ(APPLETIsPlaying(), 1);
    EXPECT_EQ(APPLETKillSound(listener.window()), 1);
    EXPECT_EQ(APPLETIsPlaying(), 0);
    EXPECT_TRUE(StateIsIdle());
    GlobalFree(data);
}

TEST_F(Sound, ALateCompletionOfAStoppedSoundReleasesNothing) {
    HGLOBAL a = Global(Wave(Samples(22050 * 2 * 4, 4))), b = Global(Wave(Samples(22050 * 2 * 4, 5)));
    ASSERT_EQ(APPLETPlaySound(listener.window(), a, TAG_WAVE), 1);
    const HWAVEOUT oldDevice = APPLEThwaveout;
    WAVEHDR *const oldHeader = APPLETpwaveheader;
    ASSERT_EQ(APPLETPlaySound(listener.window(), b, TAG_WAVE), 1);
    const HGLOBAL playing = APPLETwavehandle;
    // The device handle and header address may well be the same again.
    SendMessageA(listener.window(), MM_WOM_DONE, (WPARAM)oldDevice, (LPARAM)oldHeader);
    EXPECT_EQ(APPLETwavehandle, playing);
    EXPECT_EQ(APPLETIsPlaying(), 1);
    EXPECT_TRUE(WaitForSilence());
    GlobalFree(a);
    GlobalFree(b);
}

TEST_F(Sound, FailedStartsLeaveNothingBehind) {
    struct Case {
        const char *name;
        Bytes data;
    } cases[] = {
        {"format not PCM", Wave(Samples(4000, 1), 1, 22050, 16, 0x55)},
        {"12-bit samples", Wave(Samples(4000, 1), 1, 22050, 12)},
        {"block alignment that is not a sample frame", [] {
             Bytes data = Wave(Samples(4000, 1));
             data[12] = 3;
             return data;
         }()},
        {"no channels", Wave(Samples(4000, 1), 0, 22050, 16)},
        {"rate zero", Wave(Samples(4000, 1), 1, 0, 16)},
        {"shorter than the format record", Bytes(10, 1)},
        {"format record only", Wave(Bytes())},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HGLOBAL data = Global(c.data);
        EXPECT_EQ(APPLETPlaySound(listener.window(), data, TAG_WAVE), 0);
        EXPECT_EQ(APPLETIsPlaying(), 0);
        EXPECT_TRUE(StateIsIdle());
        GlobalFree(data);
    }
    // Repeated failures of a large sound hold no memory.
    HGLOBAL big = Global(Wave(Samples(1 << 20, 1), 1, 22050, 16, 0x55));
    const size_t before = CommittedPrivateBytes();
    for (int i = 0; i < 200; ++i) APPLETPlaySound(listener.window(), big, TAG_WAVE);
    EXPECT_LT(CommittedPrivateBytes(), before + (16u << 20));
    GlobalFree(big);
}

TEST_F(Sound, KindsOtherThanWaveAndMidiPlayNothing) {
    HGLOBAL data = Global(Wave(Samples(100, 1)));
    EXPECT_EQ(APPLETPlaySound(listener.window(), data, TAG_PICT), 1);
    EXPECT_EQ(APPLETIsPlaying(), 0);
    GlobalFree(data);
}

TEST_F(Sound, AMidiSongWithoutAMidiDeviceFailsAndLeavesNoFile) {
    ASSERT_EQ(midiOutGetNumDevs(), 0u) << "this check is for machines without MIDI output";
    static const BYTE kSong[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    HGLOBAL data = Global(Bytes(kSong, kSong + sizeof kSong));
    const int files = CountTempFiles("MID*.tmp");
    EXPECT_EQ(APPLETPlaySound(listener.window(), data, TAG_MIDI), 0);
    EXPECT_EQ(APPLETIsPlaying(), 0);
    EXPECT_TRUE(StateIsIdle());
    EXPECT_EQ(CountTempFiles("MID*.tmp"), files);
    GlobalFree(data);
}

TEST(ShowSound, ASoundBlockPlaysItsSamplesAndTheShowGoesOn) {
    ASSERT_GT(waveOutGetNumDevs(), 0u);
    const Bytes samples = Samples(12000, 9);
    ShowWriter writer(TestHead("Sound"));
    SCRSOUND sound = {};
    sound.kind = TAG_WAVE;
    writer.AddSound(sound, Wave(samples));
    SaverInProcess saver(writer.Build(FakeProgram()));
    ASSERT_TRUE(saver.loaded());
    // The show passes the sound at once (header, sound, header again); the
    // lap had nothing that waited, so the next comes only after a second.
    EXPECT_GE(saver.Run(800), 3);
    EXPECT_TRUE(WaitForSilence());
    EXPECT_EQ(CapturedSamples(samples.size()), samples);
}

TEST(ShowSound, ASoundBlockThatWaitsHoldsTheShowAndStopsWithTheWindow) {
    ASSERT_GT(waveOutGetNumDevs(), 0u);
    ShowWriter writer(TestHead("Sound"));
    SCRSOUND sound = {};
    sound.kind = TAG_WAVE;
    sound.flags = SCRF_WAIT;
    writer.AddSound(sound, Wave(Samples(22050 * 2 * 10, 9)));
    {
        SaverInProcess saver(writer.Build(FakeProgram()));
        ASSERT_TRUE(saver.loaded());
        const int advances = saver.Run(1500);
        EXPECT_EQ(advances, 2) << "to the header, then to the sound, and no further";
        EXPECT_EQ(APPLETIsPlaying(), 1);
    }
    EXPECT_EQ(APPLETIsPlaying(), 0) << "the window stops the sound when it goes";
    EXPECT_TRUE(StateIsIdle());
}

// An applet's sound objects play through the same player: playsound plays
// exactly the stored samples, issoundplaying follows it, an unknown number
// raises 16 and ends the applet, killsound stops what plays.
TEST(AppletSound, PlaysoundPlaysTheNumberedObject) {
    ASSERT_GT(waveOutGetNumDevs(), 0u);
    const Bytes samples = Samples(16000, 4);
    ShowWriter writer(TestHead("Applet sound"));
    const char *script =
        "declareint(@p,0)\r\n"
        "@p=playsound(2)\r\n"
        ":wait\r\n"
        "if(issoundplaying(),:wait)\r\n"
        "end()\r\n";
    writer.AddApplet(SCRAPPLET{}, {}, {{TAG_WAVE, 2, Wave(samples)}}, script, false);
    SaverInProcess saver(writer.Build(FakeProgram()));
    ASSERT_TRUE(saver.loaded());
    saver.Run(1500);
    EXPECT_TRUE(WaitForSilence());
    EXPECT_EQ(CapturedSamples(samples.size()), samples);
}

TEST(AppletSound, KillsoundStopsAndUnknownNumbersAreRefused) {
    ASSERT_GT(waveOutGetNumDevs(), 0u);
    const Bytes wave = Wave(Samples(22050 * 2 * 5, 1));
    struct Case {
        const char *what;
        const char *script;
    } cases[] = {
        {"killsound stops it", "playsound(1)\r\nkillsound()\r\n:idle\r\ngoto(:idle)\r\n"},
        // The error ends the applet before the second line, lap after lap.
        {"an unknown number raises 16", "playsound(7)\r\nplaysound(1)\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ShowWriter writer(TestHead("Applet sound"));
        writer.AddApplet(SCRAPPLET{}, {}, {{TAG_WAVE, 1, wave}}, c.script, false);
        SaverInProcess saver(writer.Build(FakeProgram()));
        ASSERT_TRUE(saver.loaded());
        saver.Run(800);
        EXPECT_EQ(APPLETIsPlaying(), 0);
    }
    EXPECT_TRUE(StateIsIdle());
}
