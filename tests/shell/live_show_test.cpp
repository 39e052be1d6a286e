// The bare player playing photo folders as its settings say: the real
// program, a real folder tree, the registry's values, the screen read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "photo_settings_fixtures.h"
#include "photos/library_fixtures.h"
#include "shell/photo_settings.h"
#include "shell/preview.h"
#include "support/player_process.h"
#include "support/test_photos.h"

using namespace photo_settings_fixtures;
using namespace photos_testing;
using namespace testing_support;

namespace {

// A photo file of one colour.
Bytes SolidPhoto(PhotoFormat format, int width, int height, COLORREF colour) {
    TestPixels pixels{width, height, 3, {}};
    for (int i = 0; i < width * height; ++i)
        pixels.bytes.insert(pixels.bytes.end(), {GetRValue(colour), GetGValue(colour), GetBValue(colour)});
    return PhotoFile(format, pixels);
}

// A folder tree for the player that the test starts, with its settings key
// and the catalogue's folder of its own.
class PhotoFolder : public Tree {
public:
    PhotoFolder() {
        SetEnvironmentVariableW(kPhotoSettingsKeyVariable, key.path());
        SetEnvironmentVariableW(L"LOCALAPPDATA", appdata_.Path(L"").c_str());
    }
    // The settings every test starts from: this folder by name, one second
    // each with no effect, nothing moving, nothing around the photo; then
    // `adjust`'s.
    void WriteSettings(void (*adjust)(PHOTOSETTINGS &) = nullptr) {
        std::wstring folders = List({Path(L"")});
        PHOTOSETTINGS settings = {&folders[0], TRUE, 1, 0, 1500, SCRF_FIT, PHOTOORDER_NAME, 0, FALSE, 0, 0, 0, 0, 0};
        if (adjust) adjust(settings);
        ASSERT_TRUE(WritePhotoSettings(key.path(), settings));
    }

    const TestKey key{L"Live"};

private:
    Tree appdata_;
};

// The distinct colours the screen's centre shows, black left out, until
// `count` of them were seen or the time is up.
std::vector<COLORREF> CentreColours(size_t count, DWORD ms = 30000) {
    std::vector<COLORREF> seen;
    WaitFor([&] {
        const COLORREF colour = ScreenPixel(kScreenWide / 2, kScreenDeep / 2);
        if (colour != 0 && colour != CLR_INVALID && (seen.empty() || seen.back() != colour)) seen.push_back(colour);
        return seen.size() >= count;
    }, ms);
    return seen;
}

}  // namespace

// Every kind of photo file, a damaged one passed over, a folder below with a
// name in no code page and a path longer than MAX_PATH, upper-case
// extensions, and a file that is no photo: the player plays the photos in
// name order, each fitted to the screen.
TEST(LiveShow, PlaysTheFoldersPhotosInNameOrderFitted) {
    PhotoFolder folder;
    folder.File(L"a.bmp", SolidPhoto(PhotoFormat::BMP, 200, 100, RGB(255, 0, 0)));
    folder.File(L"b.BMP", SolidPhoto(PhotoFormat::BMP, 64, 64, RGB(0, 255, 0)));
    folder.File(L"c.jpg", Bytes());                               // empty: passed over
    folder.File(L"c2.jpeg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 4});  // cut short
    folder.File(L"d.Png", SolidPhoto(PhotoFormat::PNG, 64, 64, RGB(0, 0, 255)));
    folder.File(L"notes.txt", Bytes{'h', 'i'});
    std::wstring deep = L"Ünïcødé фото 写真";
    while (folder.Path(deep).size() < MAX_PATH + 20) deep += L"\\a folder with a long name, to pass the old limit";
    folder.File(deep + L"\\e.gif", SolidPhoto(PhotoFormat::GIF, 64, 64, RGB(255, 255, 0)));
    folder.WriteSettings();

    Playing player;
    ASSERT_TRUE(player.window());
    const std::vector<COLORREF> expected = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
    ASSERT_TRUE(CentreTurns(RGB(255, 0, 0)));
    // The 2:1 photo is fitted: as wide as the screen, black above and below.
    if (kScreenWide / 2 < kScreenDeep - 8) {
        EXPECT_EQ(ScreenPixel(kScreenWide / 2, (kScreenDeep - kScreenWide / 2) / 2 - 4), RGB(0, 0, 0));
        EXPECT_EQ(ScreenPixel(4, kScreenDeep / 2), RGB(255, 0, 0));
    }
    EXPECT_EQ(CentreColours(expected.size()), expected);
}

// In the random order a portrait stands beside the round's other portrait
// however many landscapes the order would play between them: no portrait
// plays alone in the screen's middle.
TEST(LiveShow, InTheRandomOrderEachPortraitStandsBesideTheOther) {
    const int wide = kScreenWide, y = kScreenDeep / 2;
    ASSERT_GT(wide, y * 2);
    PhotoFolder folder;
    const COLORREF red = RGB(220, 0, 0), green = RGB(0, 200, 0);
    folder.File(L"a.png", SolidPhoto(PhotoFormat::PNG, 60, 100, red));
    folder.File(L"e.png", SolidPhoto(PhotoFormat::PNG, 60, 100, green));
    for (int i = 0; i < 4; ++i)
        folder.File(L"l" + std::to_wstring(i) + L".png", SolidPhoto(PhotoFormat::PNG, 200, 100, RGB(0, 0, 60 + 50 * i)));
    folder.WriteSettings([](PHOTOSETTINGS &settings) {
        settings.order = PHOTOORDER_RANDOM;
        settings.pair = SCRF_PORTRAITPAIRS;
    });

    Playing player;
    ASSERT_TRUE(player.window());
    // The first photo may start before the search has found the others.
    Sleep(3000);
    int paired = 0, alone = 0;
    for (const DWORD until = GetTickCount() + 12000; GetTickCount() < until; Sleep(40)) {
        const COLORREF middle = ScreenPixel(wide / 2, y), left = ScreenPixel(wide / 4, y);
        const COLORREF right = ScreenPixel(wide * 3 / 4, y);
        alone += middle == red || middle == green;
        paired += (left == red && right == green) || (left == green && right == red);
    }
    EXPECT_EQ(alone, 0);
    EXPECT_GT(paired, 0);
}

// Settings of the wrong type or out of range take their defaults: the
// folder still plays.
TEST(LiveShow, BadSettingsTakeTheirDefaultsAndThePhotosStillPlay) {
    PhotoFolder folder;
    folder.File(L"only.bmp", SolidPhoto(PhotoFormat::BMP, 64, 64, RGB(0, 128, 255)));
    folder.WriteSettings();
    folder.key.Set(L"Hold", REG_SZ, TextData(L"soon"));
    folder.key.Set(L"Order", REG_SZ, TextData(L"sideways"));
    folder.key.Set(L"Transition", REG_DWORD, DwordData(0xFFFFFFFF));
    folder.key.Set(L"Fade", REG_DWORD, DwordData(0xFFFFFFFF));
    folder.key.Set(L"Monitors", REG_BINARY, RawData("\1\2", 2));

    Playing player;
    ASSERT_TRUE(player.window());
    EXPECT_TRUE(CentreTurns(RGB(0, 128, 255), 20000));
}

// With nothing to play the screen says why, in words, in its middle; the
// saver still ends on input.
TEST(LiveShow, NothingToPlaySaysWhyInsteadOfABlackScreen) {
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing folder" : "empty folder");
        PhotoFolder folder;
        folder.WriteSettings();
        if (missing) RemoveDirectoryW(folder.Path(L"").c_str());
        Playing player;
        ASSERT_TRUE(player.window());
        EXPECT_TRUE(WaitFor([] {
            const auto area = ScreenArea(kScreenWide / 4, kScreenDeep * 3 / 8, kScreenWide / 2, kScreenDeep / 4);
            return std::count(area.begin(), area.end(), RGB(0, 0, 0)) < ptrdiff_t(area.size());
        }));
        PostMessageA(player.window(), WM_KEYDOWN, 'A', 0);
        EXPECT_EQ(player.process().ExitCode(), 1);
    }
}

// The host's preview plays the folder in its small window (here in this
// process: Wine shows no drawing of a child from another process).
TEST(LiveShow, ThePreviewPlaysThePhotosInTheHostsWindow) {
    PhotoFolder folder;
    folder.File(L"only.png", SolidPhoto(PhotoFormat::PNG, 40, 30, RGB(250, 200, 0)));
    folder.WriteSettings();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND host = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | SS_BLACKRECT,
                                100, 100, 152, 112, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(host && RegisterPreviewClass(instance, LivePreviewProc));
    HWND preview = CreateWindowExA(0, PreviewClassName(), "", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, host, nullptr,
                                   instance, nullptr);
    ASSERT_TRUE(preview);
    EXPECT_TRUE(PumpUntil([] { return ScreenPixel(100 + 76, 100 + 56) == RGB(250, 200, 0); }));
    DestroyWindow(host);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the preview ends with its window";
    UnregisterPreviewClass(instance);
}
