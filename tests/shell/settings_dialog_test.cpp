// The real bare player's settings dialog, owned by a window of the test as
// the host's: which switches open it, Cancel, OK, a wrong number, the folder
// picker and the Preview. Its settings live under a key of the test's own,
// which the player takes from the variable it inherits.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ml_version.h"
#include "shell/photo_settings.h"
#include "shell/settings_dialog.h"
#include "support/player_process.h"
#include "support/registry_key.h"

using namespace testing_support;

namespace {

// Serves the messages the player sends our windows (the owner is disabled
// and enabled again) while waiting.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD ms = kPatience) {
    for (DWORD waited = 0; waited < ms; waited += 10) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (condition()) return true;
        Sleep(10);
    }
    return condition();
}

std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, (LPARAM)text);
    return text;
}

// A visible dialog of the process, owned by `owner` when that is given.
HWND FindDialog(DWORD process, HWND owner = nullptr) {
    HWND found = nullptr;
    PumpUntil([&] {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));) {
            DWORD id = 0;
            GetWindowThreadProcessId(window, &id);
            if (id == process && IsWindowVisible(window) && (!owner || GetWindow(window, GW_OWNER) == owner))
                found = window;
        }
        return found != nullptr;
    });
    return found;
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

bool Ends(const Process &process) { return PumpUntil([&] { return process.ExitCode(0) == 1; }); }

std::wstring Folders(const PHOTOSETTINGS &settings) {
    const wchar_t *end = settings.folders;
    while (*end) end += wcslen(end) + 1;
    return std::wstring((const wchar_t *)settings.folders, end);
}

std::string Handle(HWND window) { return std::to_string((unsigned long)(UINT_PTR)window); }

// The host's window, and the key the player is told to use.
class SettingsTest : public testing::Test {
protected:
    SettingsTest() : key_(L"Dialog") {
        owner_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 20, 20, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetEnvironmentVariableW(kPhotoSettingsKeyVariable, key_.path());
    }
    ~SettingsTest() override {
        SetEnvironmentVariableW(kPhotoSettingsKeyVariable, nullptr);
        DestroyWindow(owner_);
    }
    // The bare player's settings dialog, opened as the host opens it.
    HWND Open() {
        process_ = std::make_unique<Process>(player_.path(), "/c:" + Handle(owner_));
        return FindDialog(process_->id(), owner_);
    }

    TestKey key_;
    HWND owner_;
    Player player_;
    std::unique_ptr<Process> process_;
};

}  // namespace

// Which dialog opens: the bare player's settings, owned by the host's window
// when it names one; a player with a show keeps its information dialog.
TEST_F(SettingsTest, TheBarePlayerOpensTheSettingsAndAShowItsInformation) {
    Player show(Player::WithShow(ShowWriter(TestHead("A show"))));
    struct Row {
        const Player *player;
        std::string tail;
        const wchar_t *title;
        bool owned;
    } rows[] = {{&player_, "/c:" + Handle(owner_), L"Marrowlight settings", true},
                {&player_, "/C " + Handle(owner_), L"Marrowlight settings", true},
                {&player_, "/c", L"Marrowlight settings", false},
                {&player_, "", L"Marrowlight settings", false},
                {&show, "/c:" + Handle(owner_), L"A show", false},
                {&show, "", L"A show", false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.tail + (row.player == &show ? " with a show" : " bare"));
        Process process(row.player->path(), row.tail);
        HWND dialog = FindDialog(process.id());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog), row.title);
        if (row.owned) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
            EXPECT_FALSE(IsWindowEnabled(owner_));
        }
        PostMessageW(dialog, WM_KEYDOWN, row.player == &show ? VK_RETURN : VK_ESCAPE, 0);
        EXPECT_TRUE(Ends(process));
        EXPECT_TRUE(IsWindowEnabled(owner_));
    }
}

// The dialog shows what is stored; a wrong number keeps it open with a
// message; Cancel then leaves every value as it was.
TEST_F(SettingsTest, CancelChangesNothing) {
    key_.Set(L"Folders", REG_MULTI_SZ, ListData({L"C:\\Photos", L"D:\\More"}));
    key_.Set(L"Hold", REG_DWORD, DwordData(20));
    key_.Set(L"Transition", REG_SZ, TextData(L"tile"));
    key_.Set(L"Order", REG_SZ, TextData(L"stray"));
    const wchar_t *names[] = {L"Folders", L"Hold", L"Transition", L"Order", L"Fit"};
    std::vector<RegistryData> before;
    for (const wchar_t *name : names) before.push_back(key_.Get(name));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_VERSION)), L"Marrowlight " ML_VERSION_TEXT);
    HWND list = GetDlgItem(dialog, IDC_FOLDERS);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, 1, (LPARAM)folder);
    EXPECT_STREQ(folder, L"D:\\More");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_HOLD)), L"20");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_TRANSITION)), L"Tile");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_ORDER)), L"Random");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FADE))) << "no Crossfade plays";

    SendMessageW(GetDlgItem(dialog, IDC_HOLD), WM_SETTEXT, 0, (LPARAM)L"0");
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);  // removes the selected folder
    Click(dialog, IDOK);
    HWND message = FindDialog(process_->id(), dialog);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(Text(GetDlgItem(message, 0xFFFF)), L"Enter a number of seconds from 1 to 86400.");
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(message); }));
    EXPECT_EQ(process_->ExitCode(0), -1);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);

    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Ends(*process_));
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(key_.Get(names[i]), before[i]) << i;
}

// Every control changed, Enter writes them all.
TEST_F(SettingsTest, OkWritesEveryValue) {
    key_.Set(L"Folders", REG_MULTI_SZ, ListData({L"C:\\One", L"C:\\Two", L"C:\\Three"}));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_FOLDERS), LB_SETCURSEL, 1, 0);
    Click(dialog, IDC_REMOVEFOLDER);
    SendMessageW(GetDlgItem(dialog, IDC_SUBFOLDERS), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(GetDlgItem(dialog, IDC_HOLD), WM_SETTEXT, 0, (LPARAM)L"45");
    SendMessageW(GetDlgItem(dialog, IDC_FADE), WM_SETTEXT, 0, (LPARAM)L"2500");
    struct Choice {
        int id;
        const wchar_t *label;
    } choices[] = {{IDC_TRANSITION, L"Random Effect"}, {IDC_FIT, L"Fill the screen"},
                   {IDC_ORDER, L"Newest first"},       {IDC_CAPTION, L"Date and name"},
                   {IDC_MONITORS, L"Primary only"}};
    for (const Choice &choice : choices)
        ASSERT_GE(SendMessageW(GetDlgItem(dialog, choice.id), CB_SELECTSTRING, WPARAM(-1), (LPARAM)choice.label), 0);
    SendMessageW(GetDlgItem(dialog, IDC_PANZOOM), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Ends(*process_));

    PHOTOSETTINGS read;
    ReadPhotoSettings(key_.path(), &read);
    EXPECT_EQ(Folders(read), std::wstring(L"C:\\One") + L'\0' + L"C:\\Three" + L'\0');
    EXPECT_FALSE(read.subfolders);
    EXPECT_EQ(read.hold, 45u);
    EXPECT_EQ(read.transition, 6u);
    EXPECT_EQ(read.fade, 2500u);
    EXPECT_EQ(read.fit, kPhotoFits.choices[1].value);
    EXPECT_EQ(read.order, DWORD(PHOTOORDER_NEWEST));
    EXPECT_EQ(read.caption, kPhotoCaptions.choices[3].value);
    EXPECT_FALSE(read.panzoom);
    EXPECT_EQ(read.monitors, 0u);
    FreePhotoSettings(&read);
}

// The picker opens at the selected folder; its first subfolder is added.
TEST_F(SettingsTest, AddTakesAFolderFromThePicker) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = temp + std::wstring(L"mlpicker") + std::to_wstring(GetCurrentProcessId());
    const std::wstring below = folder + L"\\Below";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(below.c_str(), nullptr);
    key_.Set(L"Folders", REG_MULTI_SZ, ListData({folder}));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_ADDFOLDER);
    HWND picker = FindDialog(process_->id(), dialog);
    ASSERT_NE(picker, nullptr);
    HWND tree = FindWindowExW(picker, nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    for (int i = 0; i < 2; ++i) SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);  // open it, then to its child
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    HWND list = GetDlgItem(dialog, IDC_FOLDERS);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; }));
    wchar_t added[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, 1, (LPARAM)added);
    EXPECT_EQ(lstrcmpiW(added, below.c_str()), 0) << std::string(added, added + wcslen(added));
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Ends(*process_));
    RemoveDirectoryW(below.c_str());
    RemoveDirectoryW(folder.c_str());
}

// Preview plays the unsaved choices from the Preview key while the dialog
// waits, disabled but answering; afterwards the key is gone and nothing
// else changed.
TEST_F(SettingsTest, PreviewPlaysTheChoicesFromItsOwnKey) {
    key_.Set(L"Hold", REG_DWORD, DwordData(20));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_HOLD), WM_SETTEXT, 0, (LPARAM)L"12");
    Click(dialog, IDC_PREVIEW);
    HWND saver = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (saver = FindWindowW(L"WindowsScreenSaverClass", nullptr)) != nullptr; }));
    DWORD child = 0;
    GetWindowThreadProcessId(saver, &child);
    EXPECT_NE(child, process_->id());
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(dialog); }));
    EXPECT_TRUE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr));
    const std::wstring preview = key_.Subkey(L"Preview");
    PHOTOSETTINGS played;
    ReadPhotoSettings(preview.c_str(), &played);
    EXPECT_TRUE(key_.Exists(preview));
    EXPECT_EQ(played.hold, 12u);
    FreePhotoSettings(&played);

    PostMessageW(saver, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(dialog) && !key_.Exists(preview); }));
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Ends(*process_));
    EXPECT_EQ(key_.Get(L"Hold"), DwordData(20));
}
