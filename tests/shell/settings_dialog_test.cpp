// The real bare player's settings dialog, owned by a window of the test as
// the host's: which switches open it, Cancel, OK, a wrong number, the folder
// picker and the Preview. The player takes the test's own key from the
// variable it inherits.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "content/format.h"
#include "ml_version.h"
#include "photo_settings_fixtures.h"
#include "shell/settings_dialog.h"
#include "support/player_process.h"

using namespace testing_support;
using namespace photo_settings_fixtures;

namespace {

// Serves what the player sends our windows (the owner is disabled and
// enabled again) while waiting.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD patience = kPatience) {
    for (DWORD waited = 0; waited < patience; waited += 10, Sleep(10)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (condition()) return true;
    }
    return false;
}

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, (LPARAM)text);
    return text;
}

// A visible dialog of the process, owned by `owner` when one is given.
HWND FindDialog(DWORD process, HWND owner = nullptr) {
    HWND found = nullptr;
    PumpUntil([&] {
        for (HWND window = nullptr; !found && (window = FindWindowExW(nullptr, window, L"#32770", nullptr));) {
            DWORD id = 0;
            GetWindowThreadProcessId(window, &id);
            if (id == process && IsWindowVisible(window) && (!owner || GetWindow(window, GW_OWNER) == owner))
                found = window;
        }
        return found != nullptr;
    }, 3 * kPatience);  // a program's first start in a fresh Wine prefix may take long
    return found;
}

void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, id, (LPARAM)GetDlgItem(dialog, id)); }
void Key(HWND window, WPARAM key) { PostMessageW(window, WM_KEYDOWN, key, 0); }
bool Ends(const Process &process) { return PumpUntil([&] { return process.ExitCode(0) == 1; }); }
std::string Handle(HWND window) { return std::to_string((unsigned long)(UINT_PTR)window); }

class SettingsTest : public testing::Test {
protected:
    SettingsTest() : key_(L"Dialog") {
        owner_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 20, 20, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        SetEnvironmentVariableW(kPhotoSettingsKeyVariable, key_.path());
    }
    ~SettingsTest() override {
        SetEnvironmentVariableW(kPhotoSettingsKeyVariable, nullptr);
        DestroyWindow(owner_);
    }
    // The settings dialog, opened as the host opens it.
    HWND Open() {
        process_ = std::make_unique<Process>(player_.path(), "/c:" + Handle(owner_));
        return FindDialog(process_->id(), owner_);
    }
    HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

    TestKey key_;
    HWND owner_;
    Player player_;  // bare
    std::unique_ptr<Process> process_;
};

}  // namespace

// The bare player opens its settings, owned by the host's window when one
// is named; a player with a show keeps its information dialog.
TEST_F(SettingsTest, TheBarePlayerOpensTheSettingsAndAShowItsInformation) {
    Player show(Player::WithShow(ShowWriter(TestHead("A show"))));
    const std::string owned = Handle(owner_);
    const struct {
        const Player *player;
        std::string tail;
        const wchar_t *title;
        bool owned;
    } rows[] = {{&player_, "/c:" + owned, L"Marrowlight settings", true},
                {&player_, "/C " + owned, L"Marrowlight settings", true},
                {&player_, "", L"Marrowlight settings", false},
                {&show, "/c:" + owned, L"A show", false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tail + (row.player == &show ? " with a show" : " bare"));
        Process process(row.player->path(), row.tail);
        HWND dialog = FindDialog(process.id());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Text(dialog), row.title);
        if (row.owned) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
            EXPECT_FALSE(IsWindowEnabled(owner_));
        }
        Key(dialog, row.player == &show ? VK_RETURN : VK_ESCAPE);
        EXPECT_TRUE(Ends(process));
        EXPECT_TRUE(IsWindowEnabled(owner_));
    }
}

// The dialog shows what is stored. Preview plays the unsaved choices from a
// key of its own while the dialog waits, disabled but answering; the key
// goes afterwards. A wrong number keeps the dialog open with a message, and
// Cancel leaves every value as it was.
TEST_F(SettingsTest, PreviewAndCancelChangeNothing) {
    const Data folders = ListData({L"C:\\Photos", L"D:\\More"});
    key_.Set(L"Folders", REG_MULTI_SZ, folders);
    key_.Set(L"Hold", REG_DWORD, DwordData(20));
    key_.Set(L"Transition", REG_SZ, TextData(L"tile"));
    key_.Set(L"Order", REG_SZ, TextData(L"stray"));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND list = Item(dialog, IDC_FOLDERS), hold = Item(dialog, IDC_HOLD);
    EXPECT_EQ(Text(Item(dialog, IDC_VERSION)), L"Marrowlight " ML_VERSION_TEXT);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(hold) + Text(Item(dialog, IDC_TRANSITION)) + Text(Item(dialog, IDC_ORDER)), L"20TileRandom");
    EXPECT_FALSE(IsWindowEnabled(Item(dialog, IDC_FADE))) << "no Crossfade plays";

    SendMessageW(hold, WM_SETTEXT, 0, (LPARAM)L"12");
    Click(dialog, IDC_PREVIEW);
    HWND saver = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (saver = FindWindowW(L"WindowsScreenSaverClass", nullptr)) != nullptr; }));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(dialog); }));
    EXPECT_TRUE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr));
    EXPECT_EQ(key_.Get(L"Hold", L"Preview"), DwordData(12));
    Key(saver, VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(dialog) && key_.Get(L"Hold", L"Preview").empty(); }));

    SendMessageW(hold, WM_SETTEXT, 0, (LPARAM)L"0");
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);  // removes the selected folder
    Click(dialog, IDOK);
    HWND message = FindDialog(process_->id(), dialog);
    EXPECT_EQ(Text(GetDlgItem(message, 0xFFFF)), L"Enter a number of seconds from 1 to 86400.");
    Click(message, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(message); }));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    Key(dialog, VK_ESCAPE);
    EXPECT_TRUE(Ends(*process_));
    EXPECT_EQ(key_.Get(L"Folders"), folders);
    EXPECT_EQ(key_.Get(L"Hold"), DwordData(20));
    EXPECT_TRUE(key_.Get(L"Fit").empty());
}

// A folder added through the picker (opened at the selected folder, the
// one below it taken), one removed, every other control changed: Enter
// writes them all.
TEST_F(SettingsTest, OkWritesEveryValue) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = temp + std::wstring(L"mlpicker") + std::to_wstring(GetCurrentProcessId());
    const std::wstring below = folder + L"\\Below";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(below.c_str(), nullptr);
    key_.Set(L"Folders", REG_MULTI_SZ, ListData({L"C:\\One", folder}));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SendMessageW(Item(dialog, IDC_FOLDERS), LB_SETCURSEL, 1, 0);
    Click(dialog, IDC_ADDFOLDER);
    HWND picker = FindDialog(process_->id(), dialog);
    HWND tree = FindWindowExW(picker, nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    for (int i = 0; i < 2; ++i) SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);  // open it, then to its child
    Click(picker, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(Item(dialog, IDC_FOLDERS), LB_GETCOUNT, 0, 0) == 3; }));
    SendMessageW(Item(dialog, IDC_FOLDERS), LB_SETCURSEL, 1, 0);
    Click(dialog, IDC_REMOVEFOLDER);
    SendMessageW(Item(dialog, IDC_HOLD), WM_SETTEXT, 0, (LPARAM)L"45");
    SendMessageW(Item(dialog, IDC_FADE), WM_SETTEXT, 0, (LPARAM)L"2500");
    for (int box : {IDC_SUBFOLDERS, IDC_PANZOOM}) SendMessageW(Item(dialog, box), BM_SETCHECK, BST_UNCHECKED, 0);
    const std::pair<int, const wchar_t *> choices[] = {{IDC_TRANSITION, L"Random Effect"}, {IDC_FIT, L"Fill the screen"},
                                                       {IDC_ORDER, L"Newest first"}, {IDC_CAPTION, L"Date and name"},
                                                       {IDC_MONITORS, L"Primary only"}};
    for (const auto &[box, label] : choices) SendMessageW(Item(dialog, box), CB_SELECTSTRING, WPARAM(-1), (LPARAM)label);
    Key(dialog, VK_RETURN);
    ASSERT_TRUE(Ends(*process_));
    RemoveDirectoryW(below.c_str());
    RemoveDirectoryW(folder.c_str());
    std::wstring folders = std::wstring(L"C:\\One") + L'\0';
    folders.append(below).push_back(L'\0');
    const PHOTOSETTINGS expected = {&folders[0], FALSE, 45, 6, 2500, SCRF_FILL, PHOTOORDER_NEWEST,
                                    SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, FALSE, 0, SCRF_BACKDROP, 0, 0, 0};
    PHOTOSETTINGS read;
    ReadPhotoSettings(key_.path(), &read);
    EXPECT_EQ(Describe(read), Describe(expected));
    FreePhotoSettings(&read);
}
