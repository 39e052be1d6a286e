// The bare player's photo settings in the registry: every value read back
// as written, what is bad taking its default, folders expanded, and the
// key the variable names.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <string>

#include "content/effects.h"
#include "content/format.h"
#include "shell/photo_settings.h"
#include "support/registry_key.h"

using namespace testing_support;

namespace {

std::wstring Folders(const PHOTOSETTINGS &settings) {
    const wchar_t *end = settings.folders;
    while (*end) end += wcslen(end) + 1;
    return std::wstring((const wchar_t *)settings.folders, end);
}

// A folder list from calloc, as the settings hold it: `entries` holds each
// entry's end, and the list's end is added.
wchar_t *List(const std::wstring &entries) {
    wchar_t *list = (wchar_t *)calloc(entries.size() + 2, sizeof(wchar_t));
    memcpy(list, entries.data(), entries.size() * sizeof(wchar_t));
    return list;
}

std::wstring Expanded(const wchar_t *text) {
    wchar_t expanded[MAX_PATH] = {};
    ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
    return expanded;
}

void ExpectSame(const PHOTOSETTINGS &read, const PHOTOSETTINGS &expected) {
    EXPECT_EQ(Folders(read), Folders(expected));
    EXPECT_EQ(read.subfolders, expected.subfolders);
    EXPECT_EQ(read.hold, expected.hold);
    EXPECT_EQ(read.transition, expected.transition);
    EXPECT_EQ(read.fade, expected.fade);
    EXPECT_EQ(read.fit, expected.fit);
    EXPECT_EQ(read.order, expected.order);
    EXPECT_EQ(read.caption, expected.caption);
    EXPECT_EQ(read.panzoom, expected.panzoom);
    EXPECT_EQ(read.monitors, expected.monitors);
}

}  // namespace

TEST(PhotoSettings, WithoutTheKeyEveryValueTakesItsDefault) {
    TestKey key(L"Missing");
    PHOTOSETTINGS read;
    ReadPhotoSettings(key.path(), &read);
    wchar_t pictures[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures), S_OK);
    EXPECT_EQ(Folders(read), std::wstring(pictures) + L'\0');
    EXPECT_TRUE(read.subfolders);
    EXPECT_EQ(read.hold, 8u);
    EXPECT_EQ(read.transition, CROSSFADE_EFFECT);
    EXPECT_EQ(read.fade, 1500u);
    EXPECT_EQ(read.fit, SCRF_FIT);
    EXPECT_EQ(read.order, DWORD(PHOTOORDER_RANDOM));
    EXPECT_EQ(read.caption, SCRF_CAPTIONDATE);
    EXPECT_TRUE(read.panzoom);
    EXPECT_EQ(read.monitors, SCRF_EACHMONITOR);
    FreePhotoSettings(&read);
}

// One value in an otherwise empty key: what it changes from the defaults,
// nothing when it is bad.
TEST(PhotoSettings, EachValueIsReadOrTakesItsDefault) {
    SetEnvironmentVariableW(L"ML_PHOTO_ROOT", L"D:\\Photos");
    const std::wstring profile = Expanded(L"%USERPROFILE%\\Pictures\\Trips");
    ASSERT_EQ(profile.find(L'%'), std::wstring::npos);
    const RegistryData cut = {'C', 0, ':', 0, '\\', 0, 'A'};  // no ends, and half a character
    struct Row {
        const char *what;
        const wchar_t *name;
        DWORD type;
        RegistryData data;
        std::function<void(PHOTOSETTINGS *)> change;  // null: all defaults
    } rows[] = {
        {"subfolders off", L"Subfolders", REG_DWORD, DwordData(0), [](PHOTOSETTINGS *s) { s->subfolders = FALSE; }},
        {"subfolders 2", L"Subfolders", REG_DWORD, DwordData(2), nullptr},
        {"subfolders as text", L"Subfolders", REG_SZ, TextData(L"0"), nullptr},
        {"hold at most", L"Hold", REG_DWORD, DwordData(86400), [](PHOTOSETTINGS *s) { s->hold = 86400; }},
        {"hold 0", L"Hold", REG_DWORD, DwordData(0), nullptr},
        {"hold past a day", L"Hold", REG_DWORD, DwordData(86401), nullptr},
        {"hold in 64 bits", L"Hold", REG_QWORD, RegistryData{5, 0, 0, 0, 0, 0, 0, 0}, nullptr},
        {"hold in two bytes", L"Hold", REG_BINARY, RegistryData{5, 0}, nullptr},
        {"hold in four bytes of binary", L"Hold", REG_BINARY, DwordData(5), nullptr},
        {"fade at least", L"Fade", REG_DWORD, DwordData(100), [](PHOTOSETTINGS *s) { s->fade = 100; }},
        {"fade 99", L"Fade", REG_DWORD, DwordData(99), nullptr},
        {"fade 60001", L"Fade", REG_DWORD, DwordData(60001), nullptr},
        {"transition in any case", L"Transition", REG_SZ, TextData(L"wipe IN from LEFT"),
         [](PHOTOSETTINGS *s) { s->transition = 10; }},
        {"random transition", L"Transition", REG_SZ, TextData(L"Random Effect"),
         [](PHOTOSETTINGS *s) { s->transition = RANDOM_EFFECT; }},
        {"unknown transition", L"Transition", REG_SZ, TextData(L"Crossfade "), nullptr},
        {"transition by number", L"Transition", REG_DWORD, DwordData(3), nullptr},
        {"transition to expand", L"Transition", REG_EXPAND_SZ, TextData(L"None"), nullptr},
        {"transition too long", L"Transition", REG_SZ, TextData(std::wstring(5000, L'x')), nullptr},
        {"fill", L"Fit", REG_SZ, TextData(L"Fill"), [](PHOTOSETTINGS *s) { s->fit = SCRF_FILL; }},
        {"stretch", L"Fit", REG_SZ, TextData(L"stretch"), nullptr},
        {"newest", L"Order", REG_SZ, TextData(L"newest"), [](PHOTOSETTINGS *s) { s->order = PHOTOORDER_NEWEST; }},
        {"oldest", L"Order", REG_SZ, TextData(L"oldest"), nullptr},
        {"both captions", L"Caption", REG_SZ, TextData(L"date and name"),
         [](PHOTOSETTINGS *s) { s->caption = SCRF_CAPTIONDATE | SCRF_CAPTIONNAME; }},
        {"no caption", L"Caption", REG_SZ, TextData(L"none"), [](PHOTOSETTINGS *s) { s->caption = 0; }},
        {"caption of time", L"Caption", REG_SZ, TextData(L"time"), nullptr},
        {"still photos", L"Motion", REG_SZ, TextData(L"none"), [](PHOTOSETTINGS *s) { s->panzoom = FALSE; }},
        {"zoom", L"Motion", REG_SZ, TextData(L"zoom"), nullptr},
        {"mirror", L"Monitors", REG_SZ, TextData(L"mirror"), [](PHOTOSETTINGS *s) { s->monitors = SCRF_MIRRORMONITORS; }},
        {"primary", L"Monitors", REG_SZ, TextData(L"primary"), [](PHOTOSETTINGS *s) { s->monitors = 0; }},
        {"all monitors", L"Monitors", REG_SZ, TextData(L"all"), nullptr},
        {"folders expanded, no full path left out", L"Folders", REG_MULTI_SZ,
         ListData({L"%ML_PHOTO_ROOT%\\2024", L"holiday", L"%USERPROFILE%\\Pictures\\Trips", L"\\\\server\\photos"}),
         [&](PHOTOSETTINGS *s) {
             s->folders = List(std::wstring(L"D:\\Photos\\2024") + L'\0' + profile + L'\0' + L"\\\\server\\photos" + L'\0');
         }},
        {"folders cut short", L"Folders", REG_MULTI_SZ, cut,
         [](PHOTOSETTINGS *s) { s->folders = List(std::wstring(L"C:\\A") + L'\0'); }},
        {"folders as text", L"Folders", REG_SZ, TextData(L"C:\\Photos"), nullptr},
        {"no folder", L"Folders", REG_MULTI_SZ, ListData({}), nullptr},
        {"unknown variable", L"Folders", REG_MULTI_SZ, ListData({L"%ML_NO_SUCH_VARIABLE%\\x"}), nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TestKey key(L"Values");
        key.Set(row.name, row.type, row.data);
        PHOTOSETTINGS read, expected;
        ReadPhotoSettings(key.path(), &read);
        DefaultPhotoSettings(&expected);
        wchar_t *pictures = expected.folders;
        if (row.change) row.change(&expected);
        if (expected.folders != pictures) free(pictures);
        ExpectSame(read, expected);
        FreePhotoSettings(&read);
        FreePhotoSettings(&expected);
    }
    SetEnvironmentVariableW(L"ML_PHOTO_ROOT", nullptr);
}

// Every effect and every named choice is written as its name and read back.
TEST(PhotoSettings, EveryChoiceIsWrittenByNameAndReadBack) {
    TestKey key(L"Written");
    PHOTOSETTINGS settings;
    DefaultPhotoSettings(&settings);
    FreePhotoSettings(&settings);
    wchar_t folders[] = L"C:\\One\0\\\\server\\Two\0";
    settings.folders = folders;
    settings.subfolders = FALSE;
    settings.hold = 30;
    settings.fade = 700;
    settings.panzoom = FALSE;
    for (DWORD effect = 0; effect < EFFECTCOUNT; ++effect) {
        settings.transition = effect;
        ASSERT_TRUE(WritePhotoSettings(key.path(), settings));
        const RegistryData name = key.Get(L"Transition");
        EXPECT_EQ(std::wstring((const wchar_t *)name.data()), std::wstring(EFFECTNAMES[effect],
                                                                           EFFECTNAMES[effect] + strlen(EFFECTNAMES[effect])));
        PHOTOSETTINGS read;
        ReadPhotoSettings(key.path(), &read);
        ExpectSame(read, settings);
        FreePhotoSettings(&read);
    }
    struct Table {
        const wchar_t *name;
        const PHOTOCHOICES &choices;
        DWORD PHOTOSETTINGS::*field;
    } tables[] = {{L"Fit", kPhotoFits, &PHOTOSETTINGS::fit},
                  {L"Order", kPhotoOrders, &PHOTOSETTINGS::order},
                  {L"Caption", kPhotoCaptions, &PHOTOSETTINGS::caption},
                  {L"Monitors", kPhotoMonitors, &PHOTOSETTINGS::monitors}};
    for (const Table &table : tables) {
        for (DWORD i = 0; i < table.choices.count; ++i) {
            SCOPED_TRACE(testing::Message() << table.choices.choices[i].label);
            settings.*table.field = table.choices.choices[i].value;
            ASSERT_TRUE(WritePhotoSettings(key.path(), settings));
            EXPECT_STREQ((const wchar_t *)key.Get(table.name).data(), table.choices.choices[i].name);
            PHOTOSETTINGS read;
            ReadPhotoSettings(key.path(), &read);
            ExpectSame(read, settings);
            FreePhotoSettings(&read);
        }
    }
    DWORD type = 0;
    EXPECT_EQ(key.Get(L"Folders", &type).size(), sizeof folders);
    EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
    EXPECT_STREQ((const wchar_t *)key.Get(L"Motion").data(), L"none");
    EXPECT_EQ(key.Get(L"Hold", &type), DwordData(30));
    EXPECT_EQ(type, DWORD(REG_DWORD));
}

TEST(PhotoSettings, TheVariableNamesTheKey) {
    struct Row {
        const wchar_t *variable;  // null: not set
        DWORD size;
        const wchar_t *key;
    } rows[] = {{nullptr, 256, kPhotoSettingsKey},
                {L"", 256, kPhotoSettingsKey},
                {L"Software\\Marrowlight\\Photos\\Preview", 256, L"Software\\Marrowlight\\Photos\\Preview"},
                {L"Software\\Elsewhere\\A very long name", 30, kPhotoSettingsKey}};
    for (const Row &row : rows) {
        SetEnvironmentVariableW(kPhotoSettingsKeyVariable, row.variable);
        wchar_t key[256] = {};
        PhotoSettingsKey(key, row.size);
        EXPECT_EQ(std::wstring(key), std::wstring(row.key).substr(0, row.size - 1));
    }
    SetEnvironmentVariableW(kPhotoSettingsKeyVariable, nullptr);
}
