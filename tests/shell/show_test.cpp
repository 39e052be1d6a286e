// Shows played by the real player, checked from the screen.
#include <gtest/gtest.h>

#include <algorithm>

#include "content/loader.h"
#include "imaging/dib.h"
#include "imaging/palette.h"
#include "shell/monitor_show.h"
#include "shell/play_order.h"
#include "shell/session_state.h"
#include "support/player_process.h"
#include "support/saver_in_process.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

constexpr COLORREF kBackground = RGB(20, 30, 40);

bool AreaShows(int x, int y, const Bytes &dib) {
    const DIBHEADER *h = (const DIBHEADER *)dib.data();
    return ScreenArea(x, y, h->biWidth, h->biHeight) == DibColours(dib);
}

}  // namespace

TEST(Show, APictureAppearsCentred) {
    const Bytes dib = TestDib(64, 48, 24);
    ShowWriter writer(TestHead("Picture", kBackground));
    writer.AddPicture(TestPicture(10, 3, 0), dib, true);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    const int x = (kScreenWide - 64) / 2, y = (kScreenDeep - 48) / 2;
    EXPECT_TRUE(WaitFor([&] { return AreaShows(x, y, dib); }));
    EXPECT_EQ(ScreenPixel(x - 3, y), kBackground);
}

// A show copied into a folder named outside the system's code page still
// reads its own file, by the folder's short name, and plays.
TEST(Show, AShowInAFolderNamedOutsideTheCodePagePlays) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"ml \u5199\u771F \u0444\u043E\u0442\u043E";
    std::wstring program = folder + L"\\show.scr";
    CreateDirectoryW(folder.c_str(), nullptr);
    ShowWriter writer(TestHead("Far away", kBackground));
    writer.AddPicture(TestPicture(10, 3, 0), SolidDib(64, 48, RGB(200, 100, 0)), true);
    const Bytes show = Player::WithShow(std::move(writer));
    HANDLE file = CreateFileW(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, show.data(), DWORD(show.size()), &written, nullptr);
    CloseHandle(file);
    std::wstring line = L"\"" + program + L"\" /s";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(&program[0], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_TRUE(CentreTurns(RGB(200, 100, 0)));
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    DeleteFileW(program.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(Show, APictureLargerThanTheScreenShowsItsCentre) {
    const int w = kScreenWide + 76, h = kScreenDeep + 32;
    const Bytes dib = TestDib(w, h, 24);
    ShowWriter writer(TestHead("Large", kBackground));
    writer.AddPicture(TestPicture(0, 3, 0), dib, true);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(0, 0) == DibColour(dib, 38, 16); }));
    EXPECT_EQ(ScreenPixel(kScreenWide - 1, kScreenDeep - 1), DibColour(dib, 38 + kScreenWide - 1, 16 + kScreenDeep - 1));
}

TEST(Show, PicturesFollowEachOtherAndNoClearStaysUnderTheNext) {
    const Bytes first = TestDib(300, 200, 24), second = TestDib(40, 40, 24);
    ShowWriter writer(TestHead("Two", kBackground));
    writer.AddPicture(TestPicture(0, 3, 1, 0), first, false);   // one quick cycle, not cleared
    writer.AddPicture(TestPicture(0, 3, 0), second, false);     // stays
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    const int x2 = (kScreenWide - 40) / 2, y2 = (kScreenDeep - 40) / 2;
    ASSERT_TRUE(WaitFor([&] { return AreaShows(x2, y2, second); }));
    // The corner of the first picture is still there around the second.
    const int x1 = (kScreenWide - 300) / 2, y1 = (kScreenDeep - 200) / 2;
    EXPECT_EQ(ScreenPixel(x1 + 5, y1 + 5), DibColour(first, 5, 5));
}

TEST(Show, AClearedPictureGivesItsScreenBack) {
    const Bytes first = TestDib(300, 200, 24), second = TestDib(40, 40, 24);
    ShowWriter writer(TestHead("Cleared", kBackground));
    writer.AddPicture(TestPicture(0, 0, 1, 0), first, false);  // None: cleared at the advance
    writer.AddPicture(TestPicture(0, 3, 0), second, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    const int x2 = (kScreenWide - 40) / 2, y2 = (kScreenDeep - 40) / 2;
    ASSERT_TRUE(WaitFor([&] { return AreaShows(x2, y2, second); }));
    const int x1 = (kScreenWide - 300) / 2, y1 = (kScreenDeep - 200) / 2;
    EXPECT_EQ(ScreenPixel(x1 + 5, y1 + 5), kBackground);
}

// A picture that comes on with a Crossfade and whose display time ends in
// the middle of it leaves the whole screen to the background: neither the
// half-faded photo under it nor the picture stays.
TEST(Show, ACrossfadeCutShortByItsDurationLeavesOnlyTheBackground) {
    const Bytes first = TestDib(100, 80, 24), second = TestDib(300, 200, 24), third = TestDib(40, 40, 24);
    ShowWriter writer(TestHead("Crossfade", kBackground));
    writer.AddPicture(TestPicture(0, 3, 1, 0), first, false);  // stays under the next
    SCRIMAGE fading = TestPicture(12, 0, 2);
    fading.fade = 10000;  // still fading when its 2 s are over
    writer.AddPicture(fading, second, false);
    writer.AddPicture(TestPicture(0, 3, 0), third, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    const int x3 = (kScreenWide - 40) / 2, y3 = (kScreenDeep - 40) / 2;
    ASSERT_TRUE(WaitFor([&] { return AreaShows(x3, y3, third); }));
    const int x1 = (kScreenWide - 100) / 2, y1 = (kScreenDeep - 80) / 2;
    const int x2 = (kScreenWide - 300) / 2, y2 = (kScreenDeep - 200) / 2;
    EXPECT_EQ(ScreenPixel(x1 + 5, y1 + 5), kBackground);  // the first photo, under the second
    EXPECT_EQ(ScreenPixel(x2 + 5, y2 + 5), kBackground);  // the second only
}

// An item at the screen's top-left corner gives back exactly the screen it
// covered, though the area kept around it starts above and left of the screen.
TEST(Show, AnItemAtTheTopLeftCornerGivesItsScreenBackInPlace) {
    const Bytes under = TestDib(120, 90, 24), over = TestDib(50, 40, 24), last = TestDib(20, 20, 24);
    SCRIMAGE stays = TestPicture(0, 3, 1, 0), cleared = TestPicture(0, 0, 1, 0);
    stays.placement = cleared.placement = 1;  // top left
    ShowWriter writer(TestHead("Corner", kBackground));
    writer.AddPicture(stays, under, false);    // No Clear: stays under the next
    writer.AddPicture(cleared, over, false);   // None: its screen comes back at the advance
    writer.AddPicture(TestPicture(0, 3, 0), last, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return AreaShows((kScreenWide - 20) / 2, (kScreenDeep - 20) / 2, last); }));
    EXPECT_TRUE(AreaShows(0, 0, under));
}

// 16- and 32-bit pictures and longer headers play as 24-bit ones do, also
// cropped to the screen's centre when larger than the screen.
TEST(Show, PicturesOfEveryDepthGdiDrawsPlay) {
    const Bytes large = TestDib(kScreenWide + 76, kScreenDeep + 32, 24);
    std::vector<COLORREF> centre;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) centre.push_back(DibColour(large, 38 + x, 16 + y));
    for (auto form : {std::pair<unsigned, uint32_t>{16, 40}, {32, 124}}) {
        SCOPED_TRACE(form.first);
        ShowWriter writer(TestHead("Depths", kBackground));
        writer.AddPicture(TestPicture(0, 3, 0), RepackedDib(large, form.first, form.second), true);
        Playing show(std::move(writer));
        ASSERT_NE(show.window(), nullptr);
        EXPECT_TRUE(WaitFor([&] { return ColoursNear(ScreenArea(0, 0, 64, 48), centre, 8); }));
    }
}

// A JPEG picture shows what the decoder gives; one that does not decode is
// passed over and the show goes on with the next item.
TEST(Show, JpegPicturesShowTheirPixelsAndBadOnesArePassedOver) {
    const Bytes jpeg = TestJpeg(64, 48);
    Bytes bad = TestJpeg(50, 50);
    bad[JpegSegment(bad, 0xDA) + 3] = 0x77;  // the scan names no component: it does not decode
    const Bytes last = TestDib(20, 20, 24);
    ShowWriter writer(TestHead("Photos", kBackground));
    writer.AddJpegPicture(TestPicture(0, 0, 1, 1), jpeg);  // held a second, long enough to be seen
    writer.AddJpegPicture(TestPicture(0, 0, 1, 0), bad);
    writer.AddPicture(TestPicture(0, 3, 0), last, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    const int x = (kScreenWide - 64) / 2, y = (kScreenDeep - 48) / 2;
    EXPECT_TRUE(WaitFor([&] { return ScreenArea(x, y, 64, 48) == JpegColours(jpeg); }));
    EXPECT_TRUE(WaitFor([&] { return AreaShows((kScreenWide - 20) / 2, (kScreenDeep - 20) / 2, last); }));
}

// A picture whose Disappear its display time cuts short, followed by another
// item, plays lap after lap: each Disappear works from a list of its own.
TEST(Show, ADisappearCutShortPlaysAgainNextLap) {
    ShowWriter writer(TestHead("Cut short", kBackground));
    writer.AddPicture(TestPicture(0, 7, 2, 0), TestDib(800, 600, 24), true);  // Sandstorm needs ~5 s
    writer.AddPicture(TestPicture(0, 0, 1, 0), TestDib(20, 20, 24), false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    Sleep(5000);  // two laps
    ASSERT_EQ(show.process().ExitCode(0), -1) << "the player ended";
    PostMessageA(show.window(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(show.process().ExitCode(), 1);
}

TEST(Show, ATextIsDrawnInItsBox) {
    SCRTEXT text{};
    text.placement = 5;
    text.fontheight = 40;
    text.textcolour = RGB(255, 255, 0);
    text.boxcolour = RGB(0, 0, 255);
    text.speed = 80;
    text.style = 0;
    SetField(text.facename, "Arial");
    ShowWriter writer(TestHead("Text", kBackground));
    writer.AddText(text, "Marrowlight");
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    auto count = [](COLORREF colour) {
        const std::vector<COLORREF> area = ScreenArea(kScreenWide / 2 - 150, kScreenDeep / 2 - 40, 300, 80);
        return std::count(area.begin(), area.end(), colour);
    };
    EXPECT_TRUE(WaitFor([&] { return count(RGB(255, 255, 0)) > 50 && count(RGB(0, 0, 255)) > 500; }));
}

TEST(Show, BlocksThePlayerCannotPlayYetArePassedOver) {
    const Bytes dib = TestDib(30, 30, 24);
    ShowWriter writer(TestHead("Skips", kBackground));
    SCRSOUND sound{};
    sound.kind = TAG_WAVE;
    writer.AddSound(sound, Bytes(100, 0x80));
    writer.AddAnimation(SCRANIM{}, Bytes(64, 0), false);
    writer.AddRawBlock(Bytes{'X', 'T', 'R', 'A', 8, 0, 0, 0});
    writer.AddPicture(TestPicture(0, 3, 0), dib, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return AreaShows((kScreenWide - 30) / 2, (kScreenDeep - 30) / 2, dib); }));
}

// A show in which nothing waits rests a second at every lap instead of
// spinning through its blocks (run in-process: Wine reports no processor
// time for other processes), and input still ends it.
TEST(Show, AShowWithNothingToShowDoesNotSpin) {
    ShowWriter writer(TestHead("Empty", kBackground));
    SCRSOUND sound{};
    sound.kind = TAG_WAVE;
    writer.AddSound(sound, Bytes(16, 0));
    SaverInProcess saver(writer.Build(FakeProgram()));
    ASSERT_TRUE(saver.loaded());
    saver.Run(500);
    const double before = SaverInProcess::ThreadCpuMilliseconds();
    const int advances = saver.Run(2500);
    const double used = SaverInProcess::ThreadCpuMilliseconds() - before;
    EXPECT_LE(advances, 3 * 3);  // three blocks a lap, a lap a second
    EXPECT_GE(advances, 2);
    EXPECT_LT(used, 500.0) << "used " << used << " ms of processor time in 2.5 s";
    PostMessageA(saver.window(), WM_KEYDOWN, VK_SPACE, 0);
    saver.Run(200);
    EXPECT_FALSE(IsWindow(saver.window()));
}

// The last picture of a test show, 20x20, centred on the screen.
bool LastShows(const Bytes &last) { return AreaShows((kScreenWide - 20) / 2, (kScreenDeep - 20) / 2, last); }

// Animations numbered 10 (the store's control id) and 11 have ids of their
// own: the store is still found at every advance and the show goes on past
// them to the picture after them.
TEST(Show, AnimationsNumberedLikeTheStoresLetTheShowGoOn) {
    ShowWriter writer(TestHead("Ten and two", kBackground));
    for (int i = 0; i < 10; ++i) writer.AddPicture(TestPicture(0, 0, 1, 0), TestDib(8, 8, 24), false);
    SCRANIM anim{};
    anim.placement = 1;  // top left, away from the pictures
    for (int x : {0, 40}) anim.x = x, writer.AddAnimation(anim, TestAnimation(16, 16), x != 0);  // numbers 10, 11
    const Bytes last = TestDib(20, 20, 24);
    writer.AddPicture(TestPicture(0, 3, 0), last, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return LastShows(last); }));
    char store[16] = {};
    GetClassNameA(GetDlgItem(show.window(), IDC_BLOCKSTORE), store, sizeof store);
    EXPECT_STREQ(store, "ListBox");
}

// A show of 40,000 one-pixel pictures loads without using up the process's
// 65,536 movable memory handles, and plays to its last picture.
TEST(Show, FortyThousandPicturesLoadAndPlayToTheEnd) {
    const Bytes pixel = TestDib(1, 1, 24), last = TestDib(20, 20, 24);
    ShowWriter writer(TestHead("Many", kBackground));
    for (int i = 1; i < 40000; ++i) writer.AddPicture(TestPicture(0, 0, 1, 0), pixel, false);
    writer.AddPicture(TestPicture(0, 3, 0), last, false);
    SaverInProcess saver(writer.Build(FakeProgram()));
    ASSERT_TRUE(saver.loaded());
    saver.Run(300);
    EXPECT_EQ(theSession.show.count, 40001);
    MONITORSHOW *set = LockMonitorShow(saver.window());
    ASSERT_NE(set, nullptr);
    set->current = theSession.show.count - 3;  // on to the last pictures at the next advance
    UnlockMonitorShow(saver.window());
    EXPECT_TRUE(WaitFor([&] { return saver.Run(50), LastShows(last); }));
}

// Starts of a random-order folder (a fixed picture, then three solid
// colours): the first without a saved state, the next (of the show built
// again, at another time and with another description) going on where it
// stopped, across the end of an order; every order holds each photo once and
// does not start with the photo just shown; the fixed picture keeps its
// place. A damaged state starts a new order.
TEST(Show, ARandomFolderGoesOnAcrossStartsInFreshOrders) {
    const COLORREF fixed = RGB(255, 255, 255);
    const std::vector<COLORREF> photos = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
    SCRHEAD head = TestHead("Random folder", kBackground);
    auto build = [&] {
        ShowWriter writer(head);
        writer.AddPicture(TestPicture(0, 0, 1, 1), SolidDib(64, 64, fixed), false);
        SCRIMAGE image = TestPicture(0, 0, 1, 1);
        image.flags = SCRF_RANDOMORDER, image.group = 1;
        for (COLORREF colour : photos) writer.AddPicture(image, SolidDib(64, 64, colour), false);
        return writer;
    };
    char key[300];
    {
        TempFile file;
        file.Write(build().Build(FakeProgram()));
        TestStore store;
        ASSERT_TRUE(LoadScrFile(store.list(), store.set(), file.path()));
        PlayOrderKey(store.list(), store.Block(0).head, key, sizeof key);
    }
    // Plays until `count` photos have appeared; every picture seen at the centre, the fixed one included.
    auto play = [&](size_t count) {
        Playing show(build());
        std::vector<COLORREF> seen;
        COLORREF before = CLR_INVALID;
        WaitFor([&] {
            const COLORREF now = ScreenPixel(kScreenWide / 2, kScreenDeep / 2);
            if (now != before && (now == fixed || std::count(photos.begin(), photos.end(), now))) seen.push_back(now);
            before = now;
            return seen.size() - size_t(std::count(seen.begin(), seen.end(), fixed)) >= count;
        }, 30000);
        return seen;
    };
    playorder::OrderState state;
    auto readState = [&] {
        BYTE bytes[64];
        DWORD size = sizeof bytes;
        return RegGetValueA(HKEY_CURRENT_USER, key, "Order 1", RRF_RT_REG_BINARY, nullptr, bytes, &size) ==
                   ERROR_SUCCESS && playorder::Decode(bytes, size, 3, &state);
    };
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    const std::vector<COLORREF> first = play(2);
    head.created += 86400;
    lstrcpynA(head.description, "Built again the next day.", sizeof head.description);
    const std::vector<COLORREF> second = play(5);
    ASSERT_EQ(first.size(), 3u);   // fixed, two photos
    ASSERT_EQ(second.size(), 7u);  // fixed, three photos, fixed, two
    for (COLORREF c : {first[0], second[0], second[4]}) EXPECT_EQ(c, fixed);
    const std::vector<COLORREF> played = {first[1], first[2], second[1], second[2], second[3], second[5], second[6]};
    for (long order : {0, 3}) EXPECT_TRUE(std::is_permutation(played.begin() + order, played.begin() + order + 3, photos.begin()));
    EXPECT_NE(played[2], played[3]);
    EXPECT_NE(played[5], played[6]);
    ASSERT_TRUE(readState());
    EXPECT_EQ(state.position, 1u);  // seven photos; a second start from scratch would leave 2
    EXPECT_EQ(photos[state.last], played[6]);
    playorder::ORDERRECORD changed = playorder::Encode(3, state);
    changed.seed ^= 1;
    for (DWORD size : {DWORD(5), DWORD(sizeof changed)}) {
        RegSetKeyValueA(HKEY_CURRENT_USER, key, "Order 1", REG_BINARY, &changed, size);
        EXPECT_EQ(play(1).size(), 2u);
        ASSERT_TRUE(readState());
        EXPECT_EQ(state.position, 1u) << size;
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

// A caption is drawn over the bottom-left corner of the photo once it has
// appeared, in light letters with dark edges, and is gone when the photo
// ends, also when the photo itself stays on the screen (No Clear).
TEST(Show, ACaptionIsDrawnOverThePhotoAndGoesWithIt) {
    const COLORREF grey = RGB(128, 128, 128);
    const Bytes next = SolidDib(20, 20, RGB(0, 0, 255));
    SCRIMAGE image = TestPicture(0, 3, 1, 2), last = TestPicture(0, 3, 0);  // No Clear: the photo stays under the next item
    image.flags = SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, image.takendate = 20240612;
    last.placement = 1;  // top left, away from the photo
    ShowWriter writer(TestHead("Caption", kBackground));
    writer.AddPicture(image, SolidDib(400, 300, grey), false, "Beach");
    writer.AddPicture(last, next, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    const int x = (kScreenWide - 400) / 2, y = (kScreenDeep - 300) / 2;
    auto count = [&](int top, int wide, int deep, COLORREF colour) {  // in a part of the photo from its left
        const std::vector<COLORREF> area = ScreenArea(x, y + top, wide, deep);
        return std::count(area.begin(), area.end(), colour);
    };
    EXPECT_TRUE(WaitFor([&] { return count(200, 300, 100, RGB(255, 255, 255)) > 30 && count(200, 300, 100, 0) > 30; }));
    EXPECT_EQ(count(0, 400, 150, grey), 400 * 150);  // clear of the photo's top
    ASSERT_TRUE(WaitFor([&] { return AreaShows(0, 0, next); }));
    EXPECT_EQ(count(0, 400, 300, grey), 400 * 300);
}

namespace {

// A 24-bit picture whose red rises from left to right and green from top to
// bottom: whatever the scale, the colour at any point of it is known.
Bytes Gradient(int w, int h) {
    Bytes dib = TestDib(w, h, 24);
    const uint32_t row = DibRowBytes(w, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t *pixel = &dib[DIBHEADER_SIZE + size_t(h - 1 - y) * row + size_t(x) * 3];
            pixel[0] = 100, pixel[1] = uint8_t(255 * y / (h - 1)), pixel[2] = uint8_t(255 * x / (w - 1));
        }
    return dib;
}

// The colour of a Gradient(w, h) shown stretched over `shown`, of which
// `part` of the picture is seen, at screen pixel (x, y).
COLORREF GradientAt(int w, int h, const RECT &part, const RECT &shown, int x, int y) {
    const double u = part.left + (x - shown.left + 0.5) * (part.right - part.left) / (shown.right - shown.left) - 0.5;
    const double v = part.top + (y - shown.top + 0.5) * (part.bottom - part.top) / (shown.bottom - shown.top) - 0.5;
    auto level = [](double t, int n) { return int(255 * std::min(std::max(t, 0.0), n - 1.0) / (n - 1) + 0.5); };
    return RGB(level(u, w), level(v, h), 100);
}

// A show of one Gradient(w, h) shown with `fit`.
ShowWriter GradientShow(int w, int h, DWORD fit) {
    SCRIMAGE image = TestPicture(0, 3, 0);
    image.flags = fit;
    ShowWriter writer(TestHead("Fit", kBackground));
    writer.AddPicture(image, Gradient(w, h), true);
    return writer;
}

}  // namespace

// Fit shows the whole picture as large as the screen holds, in its place
// with the background around it; fill covers the screen and cuts the
// overflow evenly. Landscape and portrait, smaller and larger than the screen.
TEST(Show, FitAndFillScalePicturesToTheScreen) {
    const int sw = kScreenWide, sh = kScreenDeep;
    const struct {
        int w, h;
        DWORD fit;
    } rows[] = {{sw * 2, sh, SCRF_FIT},     {sh / 4, sh / 3, SCRF_FIT}, {sw / 5, sh / 8, SCRF_FIT},
                {sw / 2, sh * 2, SCRF_FIT}, {sw * 2, sh, SCRF_FILL},    {sh / 4, sh / 3, SCRF_FILL}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.w << "x" << row.h << (row.fit == SCRF_FIT ? " fit" : " fill"));
        // Worked out here from the sizes alone, as a person would; the part shown is all of it for fit, the centre for fill.
        const double scale = row.fit == SCRF_FIT ? std::min(double(sw) / row.w, double(sh) / row.h)
                                                 : std::max(double(sw) / row.w, double(sh) / row.h);
        const int fw = std::min(sw, int(row.w * scale + 0.5)), fh = std::min(sh, int(row.h * scale + 0.5));
        const RECT shown = {sw / 2 - fw / 2, sh / 2 - fh / 2, sw / 2 - fw / 2 + fw, sh / 2 - fh / 2 + fh};
        const double pw = std::min(sw / scale, double(row.w)), ph = std::min(sh / scale, double(row.h));
        const RECT part = {int((row.w - pw) / 2), int((row.h - ph) / 2), int((row.w + pw) / 2), int((row.h + ph) / 2)};
        Playing show(GradientShow(row.w, row.h, row.fit));
        ASSERT_NE(show.window(), nullptr);
        auto inside = [&](int x, int y) {
            return ColoursNear({ScreenPixel(x, y)}, {GradientAt(row.w, row.h, part, shown, x, y)}, 6);
        };
        const int x0 = shown.left + 1, x1 = shown.right - 2, y0 = shown.top + 1, y1 = shown.bottom - 2;
        ASSERT_TRUE(WaitFor([&] { return inside(x0, y0) && inside(x1, y1); }));
        for (int i = 0; i < 25; ++i) {
            const int x = x0 + (x1 - x0) * (i % 5) / 4, y = y0 + (y1 - y0) * (i / 5) / 4;
            EXPECT_TRUE(inside(x, y)) << x << "," << y << ": " << std::hex << ScreenPixel(x, y);
        }
        // Outside the picture, where the screen has room: the background.
        for (POINT p : {POINT{shown.left - 2, sh / 2}, {shown.right + 1, sh / 2}, {sw / 2, shown.top - 2}, {sw / 2, shown.bottom + 1}})
            EXPECT_TRUE(p.x < 0 || p.x >= sw || p.y < 0 || p.y >= sh || ScreenPixel(p.x, p.y) == kBackground) << p.x << "," << p.y;
    }
}

// A fill-fitted pan-zoom photo covers the whole screen at every moment of
// its hold, and moves; cut short there by its display time, it leaves the
// screen to the background and the next picture.
TEST(Show, APanZoomPhotoCoversTheScreenMovesAndLeavesNothingBehind) {
    SCRIMAGE moving = TestPicture(0, 0, 6, 8);  // None: cleared at the advance, in the middle of its hold
    moving.flags = SCRF_FILL | SCRF_PANZOOM;
    const Bytes next = SolidDib(20, 20, RGB(0, 0, 255));
    ShowWriter writer(TestHead("Pan and zoom", kBackground));
    writer.AddPicture(moving, Gradient(kScreenWide / 2, kScreenDeep / 3), true);
    writer.AddPicture(TestPicture(0, 3, 0), next, false);
    Playing show(std::move(writer));
    ASSERT_NE(show.window(), nullptr);
    auto background = [](const std::vector<COLORREF> &area) { return std::count(area.begin(), area.end(), kBackground); };
    ASSERT_TRUE(WaitFor([&] { return background(ScreenArea(0, 0, kScreenWide, kScreenDeep)) == 0; }));
    std::vector<COLORREF> before = ScreenArea(0, 0, kScreenWide, kScreenDeep);
    for (int moment = 0; moment < 3; ++moment) {
        Sleep(400);
        const std::vector<COLORREF> now = ScreenArea(0, 0, kScreenWide, kScreenDeep);
        EXPECT_EQ(background(now), 0) << moment;
        EXPECT_NE(now, before) << moment;
        before = now;
    }
    const int x = (kScreenWide - 20) / 2, y = (kScreenDeep - 20) / 2;
    ASSERT_TRUE(WaitFor([&] { return AreaShows(x, y, next); }));
    for (POINT p : {POINT{1, 1}, {kScreenWide - 2, kScreenDeep - 2}, {x - 3, y}})
        EXPECT_EQ(ScreenPixel(p.x, p.y), kBackground) << p.x << "," << p.y;
}

// On a palette display the picture is scaled first and then reduced: every
// pixel of it is a colour of the display palette, and a patch of them still
// averages to the scaled picture's colour there.
TEST(Show, APictureIsFittedBeforeItIsReducedToThePalette) {
    const int saved = devicebits, w = kScreenWide / 3, h = kScreenDeep;  // a portrait fitted to the screen's height
    devicebits = 8;
    BYTE palette[768];
    GetDefaultPalette(palette, nullptr, PALETTE_DISPLAY);
    SaverInProcess saver(GradientShow(w / 2, h / 2, SCRF_FIT).Build(FakeProgram()));
    ASSERT_TRUE(saver.loaded());
    const RECT shown = {kScreenWide / 2 - w / 2, 0, kScreenWide / 2 - w / 2 + w, h};
    auto drawn = [&] { return ScreenPixel(shown.left - 3, h / 2) == kBackground && ScreenPixel(kScreenWide / 2, h / 2) != kBackground; };
    for (int wait = 0; wait < 100 && !drawn(); ++wait) saver.Run(100);
    devicebits = saved;
    const std::vector<COLORREF> patch = ScreenArea(kScreenWide / 2 - 8, h / 2 - 8, 16, 16);
    double red = 0, green = 0;
    for (COLORREF c : patch) {
        int i = 0;
        while (i < 256 && c != RGB(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2])) ++i;
        EXPECT_LT(i, 256) << std::hex << c;
        red += GetRValue(c), green += GetGValue(c);
    }
    const COLORREF want = GradientAt(w / 2, h / 2, RECT{0, 0, w / 2, h / 2}, shown, kScreenWide / 2, h / 2);
    EXPECT_NEAR(red / patch.size(), GetRValue(want), 16);
    EXPECT_NEAR(green / patch.size(), GetGValue(want), 16);
    EXPECT_EQ(ScreenPixel(shown.left - 3, h / 2), kBackground);
}

// Input ends the saver while the next photo is being made, and all the
// worker made is freed, round after round.
TEST(Show, ClosingWhileAPhotoIsMadeLeavesNothingBehind) {
    SCRIMAGE image = TestPicture(0, 3, 0);
    image.flags = SCRF_FILL;
    ShowWriter writer(TestHead("Closing", kBackground));
    writer.AddJpegPicture(image, TestJpeg(3000, 2000, 90));
    const Bytes show = writer.Build(FakeProgram());
    size_t before = 0;
    for (int round = 0; round < 6; ++round) {
        if (round == 1) before = CommittedPrivateBytes();
        SaverInProcess saver(show);
        ASSERT_TRUE(saver.loaded());
        saver.Run(round * 15);  // the worker is reading, decoding or done
        PostMessageA(saver.window(), WM_KEYDOWN, VK_SPACE, 0);
        for (int wait = 0; wait < 50 && IsWindow(saver.window()); ++wait) saver.Run(100);
        EXPECT_FALSE(IsWindow(saver.window())) << round;
    }
    // A worker let go at the close frees its work as it ends.
    WaitFor([&] { return CommittedPrivateBytes() < before + (8 << 20); });
    EXPECT_LT(CommittedPrivateBytes(), before + (8 << 20));
}

TEST(Show, LockMonitorShowFindsTheWindowsRecord) {
    TestStore store;
    EXPECT_EQ(LockMonitorShow(store.window()), nullptr);  // no user data yet

    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(MONITORSHOW));
    SetWindowLongPtrA(store.window(), GWLP_USERDATA, (LONG_PTR)handle);
    MONITORSHOW *set = LockMonitorShow(store.window());
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->window, store.window());
    UnlockMonitorShow(store.window());
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 0u);
    SetWindowLongPtrA(store.window(), GWLP_USERDATA, 0);
    GlobalFree(handle);
}
