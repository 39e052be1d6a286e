// The bare player's photo settings in the registry: each value read or, when
// bad, taking its default; folders expanded; every value written by name.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>

#include "content/format.h"
#include "photo_settings_fixtures.h"

using namespace photo_settings_fixtures;

// One value in an otherwise empty key: what it changes from the defaults,
// nothing when it is bad.
TEST(PhotoSettings, EachValueIsReadOrTakesItsDefault) {
    wchar_t pictures[MAX_PATH + 1] = {}, profile[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures), S_OK);
    ExpandEnvironmentStringsW(L"%USERPROFILE%\\Trips", profile, MAX_PATH);
    ASSERT_EQ(wcschr(profile, L'%'), nullptr);
    SetEnvironmentVariableW(L"ML_PHOTO_ROOT", L"D:\\Photos");
    const std::wstring expanded = std::wstring(L"D:\\Photos\\2024") + L'\0' + profile + L'\0' + L"\\\\nas\\x" + L'\0';
    const PHOTOSETTINGS defaults = {pictures, TRUE, 8, CROSSFADE_EFFECT, 1500, SCRF_FIT, PHOTOORDER_RANDOM, SCRF_CAPTIONDATE,
                                    TRUE, SCRF_EACHMONITOR, SCRF_BACKDROP, 0, 0, 0};
    const Data cut = {'C', 0, ':', 0, '\\', 0, 'A'};  // no ends, and half a character
    struct Row {
        const char *what;
        const wchar_t *name;
        DWORD type;
        Data data;
        std::function<void(PHOTOSETTINGS *)> change;  // null: the defaults
    } rows[] = {
        {"nothing", L"Other", REG_DWORD, DwordData(1), nullptr},
        {"subfolders off", L"Subfolders", REG_DWORD, DwordData(0), [](PHOTOSETTINGS *s) { s->subfolders = FALSE; }},
        {"subfolders 2", L"Subfolders", REG_DWORD, DwordData(2), nullptr},
        {"hold at most", L"Hold", REG_DWORD, DwordData(86400), [](PHOTOSETTINGS *s) { s->hold = 86400; }},
        {"hold 0", L"Hold", REG_DWORD, DwordData(0), nullptr},
        {"hold past a day", L"Hold", REG_DWORD, DwordData(86401), nullptr},
        {"hold as binary", L"Hold", REG_BINARY, DwordData(5), nullptr},
        {"fade at least", L"Fade", REG_DWORD, DwordData(100), [](PHOTOSETTINGS *s) { s->fade = 100; }},
        {"fade 60001", L"Fade", REG_DWORD, DwordData(60001), nullptr},
        {"transition in any case", L"Transition", REG_SZ, TextData(L"wipe IN from LEFT"),
         [](PHOTOSETTINGS *s) { s->transition = 10; }},
        {"unknown transition", L"Transition", REG_SZ, TextData(L"Crossfade "), nullptr},
        {"transition to expand", L"Transition", REG_EXPAND_SZ, TextData(L"None"), nullptr},
        {"transition too long", L"Transition", REG_SZ, TextData(std::wstring(5000, L'x')), nullptr},
        {"fill", L"Fit", REG_SZ, TextData(L"Fill"), [](PHOTOSETTINGS *s) { s->fit = SCRF_FILL; }},
        {"newest", L"Order", REG_SZ, TextData(L"newest"), [](PHOTOSETTINGS *s) { s->order = PHOTOORDER_NEWEST; }},
        {"oldest", L"Order", REG_SZ, TextData(L"oldest"), nullptr},
        {"no caption", L"Caption", REG_SZ, TextData(L"none"), [](PHOTOSETTINGS *s) { s->caption = 0; }},
        {"still", L"Motion", REG_SZ, TextData(L"none"), [](PHOTOSETTINGS *s) { s->panzoom = FALSE; }},
        {"primary", L"Monitors", REG_SZ, TextData(L"primary"), [](PHOTOSETTINGS *s) { s->monitors = 0; }},
        {"no backdrop", L"Backdrop", REG_SZ, TextData(L"None"), [](PHOTOSETTINGS *s) { s->backdrop = 0; }},
        {"pairs", L"Pair", REG_SZ, TextData(L"portraits"), [](PHOTOSETTINGS *s) { s->pair = SCRF_PORTRAITPAIRS; }},
        {"a clock", L"Clock", REG_SZ, TextData(L"time"), [](PHOTOSETTINGS *s) { s->clock = SCRF_CLOCKTIME; }},
        {"a clock as a number", L"Clock", REG_DWORD, DwordData(1), nullptr},
        {"keys", L"Keys", REG_SZ, TextData(L"browse"), [](PHOTOSETTINGS *s) { s->keys = SCRF_BROWSEKEYS; }},
        {"folders expanded, no full path left out", L"Folders", REG_MULTI_SZ,
         ListData({L"%ML_PHOTO_ROOT%\\2024", L"holiday", L"%USERPROFILE%\\Trips", L"\\\\nas\\x"}),
         [&](PHOTOSETTINGS *s) { s->folders = (wchar_t *)expanded.c_str(); }},
        {"folders cut short", L"Folders", REG_MULTI_SZ, cut, [](PHOTOSETTINGS *s) { s->folders = (wchar_t *)L"C:\\A\0"; }},
        {"folders as text", L"Folders", REG_SZ, TextData(L"C:\\Photos"), nullptr},
        {"no folder", L"Folders", REG_MULTI_SZ, ListData({}), nullptr},
        {"unknown variable", L"Folders", REG_MULTI_SZ, ListData({L"%ML_NO_SUCH_VARIABLE%\\x"}), nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TestKey key(L"Values");
        key.Set(row.name, row.type, row.data);
        PHOTOSETTINGS read, expected = defaults;
        ReadPhotoSettings(key.path(), &read);
        if (row.change) row.change(&expected);
        EXPECT_EQ(Describe(read), Describe(expected));
        FreePhotoSettings(&read);
    }
    SetEnvironmentVariableW(L"ML_PHOTO_ROOT", nullptr);
}

TEST(PhotoSettings, EveryValueIsWrittenByNameAndReadsBack) {
    TestKey key(L"Written");
    wchar_t folders[] = L"C:\\One\0\\\\nas\\Two\0";
    const PHOTOSETTINGS settings = {folders, FALSE, 30, 11, 700, SCRF_FILL, PHOTOORDER_DATE,
                                    SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, FALSE, SCRF_MIRRORMONITORS, 0,
                                    SCRF_PORTRAITPAIRS, SCRF_CLOCKTIME | SCRF_CLOCKDATE, SCRF_BROWSEKEYS};
    ASSERT_TRUE(WritePhotoSettings(key.path(), settings));
    const struct {
        const wchar_t *name;
        Data data;
    } stored[] = {{L"Folders", ListData({L"C:\\One", L"\\\\nas\\Two"})}, {L"Subfolders", DwordData(0)},
                  {L"Hold", DwordData(30)},        {L"Transition", TextData(L"Wipe in from Right")},
                  {L"Fade", DwordData(700)},       {L"Fit", TextData(L"fill")},
                  {L"Order", TextData(L"date")},   {L"Caption", TextData(L"date and name")},
                  {L"Motion", TextData(L"none")},  {L"Monitors", TextData(L"mirror")},
                  {L"Backdrop", TextData(L"none")}, {L"Pair", TextData(L"portraits")},
                  {L"Clock", TextData(L"date and time")}, {L"Keys", TextData(L"browse")}};
    for (const auto &value : stored) EXPECT_EQ(key.Get(value.name), value.data) << value.name;
    PHOTOSETTINGS read;
    ReadPhotoSettings(key.path(), &read);
    EXPECT_EQ(Describe(read), Describe(settings));
    FreePhotoSettings(&read);
}
