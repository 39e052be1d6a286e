// Animation windows on a real window: frames, transparency, restore, loops,
// stops by mask, bad data, and input reaching the saver window.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "animation/animation.h"
#include "imaging/dib.h"
#include "script_runner.h"
#include "support/saver_in_process.h"
#include "support/test_support.h"
#include "support/window_canvas.h"

using namespace testing_support;

namespace {

constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr DWORD kNoTick = 100000;  // a delay the test never waits for: it ticks by hand

const bool registered = InitializeAnimation() != 0;

struct Frame {
    Bytes dib;
    DWORD flags;
    int x, y;
    DWORD transparent;
    DWORD delay;
};

// An 8-bit w x h bitmap: index 0 (green) in the left half, 1 (red) in the right.
Bytes HalfTransparentDib(int w, int h) {
    Bytes dib(DIBHEADER_SIZE + 1024 + DibRowBytes(w, 8) * h, 0);
    DIBHEADER *head = (DIBHEADER *)dib.data();
    head->biSize = DIBHEADER_SIZE, head->biWidth = w, head->biHeight = h, head->biPlanes = 1, head->biBitCount = 8;
    BYTE *table = dib.data() + DIBHEADER_SIZE;
    table[1] = 255;  // entry 0: B G R = 0 255 0
    table[4 + 2] = 255;  // entry 1: red
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) dib[DIBHEADER_SIZE + 1024 + y * DibRowBytes(w, 8) + x] = 1;
    return dib;
}

Bytes Animation(int wide, int deep, DWORD loopcount, const std::vector<Frame> &frames) {
    Bytes data(ANIMHEADER_SIZE + OBJECTANIMFRAME_SIZE * frames.size(), 0);
    ANIMHEADER head = {};
    head.wide = wide, head.deep = deep, head.framecount = uint32_t(frames.size()), head.loopcount = loopcount;
    std::memcpy(data.data(), &head, sizeof head);
    for (size_t i = 0; i < frames.size(); ++i) {
        OBJECTANIMFRAME record = {};
        record.offset = uint32_t(data.size());
        record.flags = frames[i].flags, record.delay = frames[i].delay, record.transparent = frames[i].transparent;
        record.x = frames[i].x, record.y = frames[i].y;
        std::memcpy(data.data() + ANIMHEADER_SIZE + i * OBJECTANIMFRAME_SIZE, &record, sizeof record);
        data.insert(data.end(), frames[i].dib.begin(), frames[i].dib.end());
    }
    return data;
}

// An ANIM block as the store holds it, owning its data.
class AnimBlock {
public:
    AnimBlock(const Bytes &data, WORD sequence, DWORD flags = 0, DWORD placement = 1, int x = 0, int y = 0) {
        std::memset(&block_, 0, sizeof block_);
        block_.type = TAG_ANIM;
        block_.sequence = sequence;
        block_.anim.flags = flags | SCRF_VALID;
        block_.anim.placement = placement, block_.anim.x = x, block_.anim.y = y;
        block_.data = GlobalAlloc(GMEM_MOVEABLE, data.empty() ? 1 : data.size());
        if (void *p = GlobalLock(block_.data)) {
            std::memcpy(p, data.data(), data.size());
            GlobalUnlock(block_.data);
        }
    }
    ~AnimBlock() { GlobalFree(block_.data); }
    BLOCK *get() { return &block_; }

private:
    BLOCK block_;
};

// Dispatches the queued messages (not the frame timers, which are ticked by hand).
void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND AnimationWindow(HWND parent, WORD sequence) { return GetDlgItem(parent, AnimationControlId(sequence)); }

// Runs the pending frame timer of the animation once; false when there is none.
bool Tick(HWND animation) {
    ANIMSTATE *state = LockAnimObject(animation);
    if (!state) return false;
    const UINT_PTR timer = state->timer;
    UnlockAnimObject(animation);
    if (!timer) return false;
    SendMessageA(animation, WM_TIMER, timer, 0);
    Pump();
    return true;
}

bool AreaIs(const TestWindow &canvas, int x, int y, int w, int h, COLORREF colour) {
    for (COLORREF c : canvas.Capture(x, y, w, h))
        if (c != colour) return false;
    return true;
}

class Animations : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(registered); }
    TestWindow canvas{400, 300, kBackground};
};

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

std::vector<Frame> ThreeFrames(DWORD secondFlags = 0) {
    return {{SolidDib(10, 10, kRed), 0, 0, 0, 0, kNoTick},
            {SolidDib(10, 10, kGreen), secondFlags, 10, 0, 0, kNoTick},
            {SolidDib(10, 10, kBlue), 0, 20, 0, 0, kNoTick}};
}

}  // namespace

TEST_F(Animations, FramesAreDrawnInOrderAtTheirPositionsAndTheEndRestoresTheScreen) {
    AnimBlock block(Animation(40, 20, 1, ThreeFrames()), 7, 0, 1, 50, 60);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
    Pump();
    HWND animation = AnimationWindow(canvas.window(), 7);
    ASSERT_NE(animation, nullptr);
    const COLORREF colours[] = {kRed, kGreen};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(Tick(animation));
        for (int j = 0; j <= i; ++j) EXPECT_TRUE(AreaIs(canvas, 50 + 10 * j, 60, 10, 10, colours[j]));
        EXPECT_TRUE(AreaIs(canvas, 50 + 10 * (i + 1), 60, 10, 10, kBackground));
        EXPECT_TRUE(IsWindow(animation));
    }
    // The third frame is the last of the one pass: it is drawn, and the
    // animation ends at once and puts the screen back.
    ASSERT_TRUE(Tick(animation));
    EXPECT_FALSE(IsWindow(animation));
    EXPECT_TRUE(AreaIs(canvas, 50, 60, 40, 20, kBackground));
    EXPECT_FALSE(IsAnimationRunning(canvas.window(), block.get()));
}

TEST_F(Animations, RestoreClearsThePreviousFrameFirstButNotOnTheFirstFrame) {
    std::vector<Frame> frames = ThreeFrames(ANIMFRAME_RESTORE);
    frames[0].flags = ANIMFRAME_RESTORE;  // nothing was drawn before it
    AnimBlock block(Animation(40, 20, 0, frames), 3);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
    Pump();
    HWND animation = AnimationWindow(canvas.window(), 3);
    ASSERT_TRUE(Tick(animation));
    EXPECT_TRUE(AreaIs(canvas, 0, 0, 10, 10, kRed));
    ASSERT_TRUE(Tick(animation));
    EXPECT_TRUE(AreaIs(canvas, 0, 0, 10, 10, kBackground));
    EXPECT_TRUE(AreaIs(canvas, 10, 0, 10, 10, kGreen));
    ASSERT_TRUE(Tick(animation));  // no restore: the green frame stays
    EXPECT_TRUE(AreaIs(canvas, 10, 0, 10, 10, kGreen));
    EXPECT_TRUE(AreaIs(canvas, 20, 0, 10, 10, kBlue));
    DestroyWindow(animation);
}

TEST_F(Animations, TransparentPixelsShowWhatIsUnderOnlyWhenTheFrameAsksForIt) {
    struct Case {
        const char *name;
        DWORD flags;
        COLORREF left;
    } cases[] = {
        {"transparent", ANIMFRAME_TRANSPARENT, kBackground},
        {"opaque: copied as a rectangle", 0, kGreen},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        canvas.Clear();
        AnimBlock block(Animation(20, 10, 0, {{HalfTransparentDib(20, 10), c.flags, 0, 0, 0, kNoTick}}), 4);
        ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
        Pump();
        HWND animation = AnimationWindow(canvas.window(), 4);
        ASSERT_TRUE(Tick(animation));
        EXPECT_TRUE(AreaIs(canvas, 0, 0, 10, 10, c.left));
        EXPECT_TRUE(AreaIs(canvas, 10, 0, 10, 10, kRed));
        DestroyWindow(animation);
        EXPECT_TRUE(AreaIs(canvas, 0, 0, 20, 10, kBackground));
    }
}

TEST_F(Animations, LoopCountZeroPlaysOnUntilStopped) {
    AnimBlock block(Animation(40, 20, 0, ThreeFrames()), 5);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
    Pump();
    HWND animation = AnimationWindow(canvas.window(), 5);
    for (int i = 0; i < 7; ++i) ASSERT_TRUE(Tick(animation)) << i;
    ANIMSTATE *state = LockAnimObject(animation);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->loops, 2u);
    EXPECT_EQ(state->frame, 1u);
    UnlockAnimObject(animation);
    DestroyAllAnimations(canvas.window(), SCRF_ENDWITHITEM | SCRF_ENDWITHROUND);
    EXPECT_TRUE(IsWindow(animation)) << "flags share no bit with the mask";
    DestroyWindow(animation);
}

TEST_F(Animations, ShortDelaysPlayOnTheirOwnTimers) {
    std::vector<Frame> frames = ThreeFrames();
    for (Frame &f : frames) f.delay = 0;  // taken as 1 ms
    AnimBlock block(Animation(40, 20, 2, frames), 6);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
    HWND animation = AnimationWindow(canvas.window(), 6);
    const DWORD end = GetTickCount() + 3000;
    MSG msg;
    while (IsWindow(animation) && int(end - GetTickCount()) > 0)
        if (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(animation));
    EXPECT_TRUE(AreaIs(canvas, 0, 0, 40, 20, kBackground));
}

TEST_F(Animations, ABlockAlreadyPlayingGetsNoSecondWindow) {
    AnimBlock block(Animation(40, 20, 0, ThreeFrames()), 9);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), block.get()), 1);
    EXPECT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 0);
    int windows = 0;
    for (HWND child = GetWindow(canvas.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++windows;
    EXPECT_EQ(windows, 1);
    DestroyAllAnimations(canvas.window(), 0xFFFFFFFF);
    Pump();
}

// Past 65,535 blocks the 16-bit numbers repeat (block 65,541 carries 5 like
// block 5): each block still gets its own window, found apart from the other's.
TEST_F(Animations, BlocksWhoseNumbersRepeatPlayAnimationsOfTheirOwn) {
    const Bytes data = Animation(40, 20, 0, ThreeFrames());
    AnimBlock first(data, 5, SCRF_ENDWITHITEM), later(data, 5, SCRF_ENDWITHROUND, 1, 100, 0);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, first.get()), 1);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), later.get()), 0);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, later.get()), 1);
    DestroyAllAnimations(canvas.window(), SCRF_ENDWITHITEM);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), first.get()), 0);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), later.get()), 1);
    DestroyAllAnimations(canvas.window(), SCRF_ENDWITHROUND);
    Pump();
}

TEST_F(Animations, StopByMaskLeavesTheOthersRunning) {
    const Bytes data = Animation(40, 20, 0, ThreeFrames());
    AnimBlock item(data, 1, SCRF_ENDWITHITEM), round(data, 2, SCRF_ENDWITHROUND, 1, 100, 0), both(data, 3, 0, 1, 200, 0);
    for (AnimBlock *b : {&item, &round, &both}) ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, b->get()), 1);
    Pump();
    DestroyAllAnimations(canvas.window(), SCRF_ENDWITHITEM);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), item.get()), 0);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), round.get()), 1);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), both.get()), 1);
    DestroyAllAnimations(canvas.window(), SCRF_ENDWITHROUND);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), round.get()), 0);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), both.get()), 1);
    DestroyWindow(AnimationWindow(canvas.window(), 3));
}

// An applet's clearscreen ends the animations that end with their item, as
// the end of an item does.
TEST_F(Animations, AnAppletsClearScreenEndsTheAnimationsThatEndWithTheirItem) {
    const Bytes data = Animation(40, 20, 0, ThreeFrames());
    AnimBlock item(data, 1, SCRF_ENDWITHITEM), round(data, 2, SCRF_ENDWITHROUND, 1, 100, 0);
    for (AnimBlock *b : {&item, &round}) ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, b->get()), 1);
    Pump();
    ScriptRunner applet(canvas.window());
    ASSERT_EQ(applet.Start("clearscreen(255)\r\n"), 1);
    EXPECT_EQ(applet.Run(), -1);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), item.get()), 0);
    EXPECT_EQ(IsAnimationRunning(canvas.window(), round.get()), 1);
    DestroyAllAnimations(canvas.window(), SCRF_ENDWITHROUND);
    Pump();
    EXPECT_TRUE(AreaIs(canvas, 250, 150, 100, 100, RGB(255, 0, 0)));
}

TEST_F(Animations, PlacementFollowsTheScreenCorners) {
    const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        DWORD placement;
        int x, y;
        POINT expected;
    } cases[] = {
        {1, 5, 6, {5, 6}},
        {2, 0, 0, {W - 40 - 2, 0}},
        {3, 4, -3, {4, H - 3 - 20 - 2}},
        {4, -1, -1, {W - 1 - 40 - 2, H - 1 - 20 - 2}},
        {0, 0, 0, {W / 2 - 20, H / 2 - 10}},
        {9, 3, 3, {W / 2 - 20 + 3, H / 2 - 10 + 3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.placement);
        AnimBlock block(Animation(40, 20, 0, ThreeFrames()), 11, 0, c.placement, c.x, c.y);
        ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
        HWND animation = AnimationWindow(canvas.window(), 11);
        RECT r;
        GetWindowRect(animation, &r);
        MapWindowPoints(nullptr, canvas.window(), (POINT *)&r, 2);
        EXPECT_EQ(r.left, c.expected.x);
        EXPECT_EQ(r.top, c.expected.y);
        EXPECT_EQ(r.right - r.left, 40);
        DestroyWindow(animation);
    }
}

TEST_F(Animations, BadDataIsNotPlayed) {
    const Bytes good = Animation(40, 20, 0, ThreeFrames());
    auto with = [&](size_t offset, uint32_t value) {
        Bytes data = good;
        std::memcpy(data.data() + offset, &value, 4);
        return data;
    };
    struct Case {
        const char *name;
        Bytes data;
    } cases[] = {
        {"empty", Bytes()},
        {"shorter than its header", Bytes(good.begin(), good.begin() + 40)},
        {"zero width", with(0, 0)},
        {"negative height", with(4, uint32_t(-5))},
        {"huge width", with(0, 0x7FFFFFFF)},
        {"no frames", with(8, 0)},
        {"more frames than the data holds", with(8, 1000)},
        {"frame count that overflows", with(8, 0xFFFFFFFF)},
        {"frame table cut short", Bytes(good.begin(), good.begin() + ANIMHEADER_SIZE + 100)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AnimBlock block(c.data, 12);
        EXPECT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 0);
        EXPECT_EQ(GetWindow(canvas.window(), GW_CHILD), nullptr);
    }
}

TEST_F(Animations, FramesWithBadBitmapsAreSkipped) {
    const Bytes good = Animation(40, 20, 1, ThreeFrames());
    const size_t second = ANIMHEADER_SIZE + OBJECTANIMFRAME_SIZE;  // the record of frame 1
    uint32_t offset2 = 0;
    std::memcpy(&offset2, good.data() + second, 4);
    auto with = [&](size_t at, uint32_t value) {
        Bytes data = good;
        std::memcpy(data.data() + at, &value, 4);
        return data;
    };
    struct Case {
        const char *name;
        Bytes data;
    } cases[] = {
        {"offset beyond the data", with(second, uint32_t(good.size() + 10))},
        {"offset at the very end", with(second, uint32_t(good.size()))},
        {"offset near 4 GB", with(second, 0xFFFFFFF0)},
        {"bitmap wider than the data", with(offset2 + 4, 5000)},
        {"bitmap taller than the data", with(offset2 + 8, 0x7FFFFFFF)},
        {"bitmap of zero width", with(offset2 + 4, 0)},
        {"bitmap header size past the end", with(offset2, 0x10000000)},
        {"last bitmap cut short", Bytes(good.begin(), good.end() - 20)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        canvas.Clear();
        AnimBlock block(c.data, 13);
        ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
        Pump();
        HWND animation = AnimationWindow(canvas.window(), 13);
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(Tick(animation)) << i;
        EXPECT_FALSE(IsWindow(animation)) << "the pass ends after three ticks, drawn or skipped";
    }
}

TEST(AnimationInput, KeysAndMouseOverAnAnimationEndTheSaver) {
    ASSERT_TRUE(registered);
    struct Case {
        const char *name;
        UINT message;
    } cases[] = {{"key", WM_KEYDOWN}, {"button", WM_LBUTTONDOWN}, {"mouse movement", WM_MOUSEMOVE}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ShowWriter writer(TestHead("Animation", kBackground));
        SCRANIM anim = {};
        anim.placement = 1;
        writer.AddAnimation(anim, Animation(40, 20, 0, ThreeFrames()), true);
        SetCursorPos(300, 300);  // away from the animation, before the saver remembers it
        SaverInProcess saver(writer.Build(FakeProgram()));
        ASSERT_TRUE(saver.loaded());
        saver.Run(700);
        ASSERT_TRUE(IsWindow(saver.window()));
        HWND animation = GetWindow(saver.window(), GW_CHILD);
        while (animation && GetDlgCtrlID(animation) == IDC_BLOCKSTORE) animation = GetWindow(animation, GW_HWNDNEXT);
        ASSERT_NE(animation, nullptr);
        if (c.message == WM_MOUSEMOVE) SetCursorPos(30, 10);  // over the animation window
        PostMessageA(animation, c.message, 0, MAKELPARAM(25, 25));
        saver.Run(500);
        EXPECT_FALSE(IsWindow(saver.window()));
    }
}

TEST_F(Animations, ServingTheQueuesArmsTheAnimationsBetweenAppletLines) {
    AnimBlock block(Animation(40, 20, 0, ThreeFrames()), 14);
    ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
    HWND animation = AnimationWindow(canvas.window(), 14);
    ANIMSTATE *state = LockAnimObject(animation);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->timer, 0u) << "reset and arm are still queued";
    UnlockAnimObject(animation);
    EnumChildWindows(canvas.window(), UpdateAllAnimationsProc, 0);
    state = LockAnimObject(animation);
    EXPECT_NE(state->timer, 0u);
    UnlockAnimObject(animation);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, animation, 0, 0, PM_NOREMOVE));
    DestroyWindow(animation);
}

TEST_F(Animations, OnPaletteDisplaysFramesAreConvertedInPlaceWhenTheyFit) {
    struct Case {
        const char *name;
        int side;
        bool inPlace;
    } cases[] = {
        {"small 24-bit frame: the 8-bit one with its table is larger", 10, false},
        {"large 24-bit frame: the 8-bit one fits", 64, true},
    };
    const int saved = devicebits;
    devicebits = 8;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        canvas.Clear();
        AnimBlock block(Animation(c.side, c.side, 0, {{SolidDib(c.side, c.side, kRed), 0, 0, 0, 0, kNoTick}}), 15);
        ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
        Pump();
        HWND animation = AnimationWindow(canvas.window(), 15);
        ASSERT_TRUE(Tick(animation));
        EXPECT_TRUE(AreaIs(canvas, 0, 0, c.side, c.side, kRed)) << "pure red is in the display palette";
        ANIMSTATE *state = LockAnimObject(animation);
        ASSERT_NE(state, nullptr);
        OBJECTANIMFRAME record;
        BITMAPINFOHEADER *dib = FindAnimationImage(state, 0, &record);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ((state->flags & ANIMF_REMAPPED) != 0, c.inPlace);
        EXPECT_EQ(dib->biBitCount, c.inPlace ? 8 : 24);
        UnlockAnimObject(animation);
        ASSERT_TRUE(Tick(animation));  // drawn again from whichever form it now has
        EXPECT_TRUE(AreaIs(canvas, 0, 0, c.side, c.side, kRed));
        DestroyWindow(animation);
    }
    devicebits = saved;
}

TEST_F(Animations, PlayingAndStoppingHoldsNoMemory) {
    AnimBlock block(Animation(64, 48, 0, {{SolidDib(64, 48, kRed), ANIMFRAME_TRANSPARENT, 0, 0, 0, kNoTick},
                                          {SolidDib(32, 24, kBlue), ANIMFRAME_RESTORE, 8, 8, 0, kNoTick}}),
                    16, SCRF_ENDWITHITEM);
    auto round = [&] {
        ASSERT_EQ(AddAnimBlock(canvas.window(), nullptr, block.get()), 1);
        Pump();
        HWND animation = AnimationWindow(canvas.window(), 16);
        for (int i = 0; i < 3; ++i) Tick(animation);
        DestroyAllAnimations(canvas.window(), SCRF_ENDWITHITEM);
        Pump();
    };
    for (int i = 0; i < 20; ++i) round();
    const size_t before = CommittedPrivateBytes();
    for (int i = 0; i < 300; ++i) round();
    EXPECT_LT(CommittedPrivateBytes(), before + (2u << 20));
}
