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
#include "photos/library_fixtures.h"
#include "shell/settings_dialog.h"
#include "support/player_process.h"

using namespace testing_support;
using namespace photo_settings_fixtures;

namespace {

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
        return process_->Window("#32770", owner_);
    }

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
        const char *title;
        bool owned;
    } rows[] = {{&player_, "/c:" + owned, "Marrowlight settings", true},
                {&player_, "/C " + owned, "Marrowlight settings", true},
                {&player_, "", "Marrowlight settings", false},
                {&show, "/c:" + owned, "A show", false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tail + (row.player == &show ? " with a show" : " bare"));
        Process process(row.player->path(), row.tail);
        HWND dialog = process.Window("#32770");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowText(dialog), row.title);
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
    HWND list = GetDlgItem(dialog, IDC_FOLDERS), hold = GetDlgItem(dialog, IDC_HOLD);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_VERSION)), "Marrowlight " ML_VERSION_TEXT);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(WindowText(hold) + WindowText(GetDlgItem(dialog, IDC_TRANSITION)) + WindowText(GetDlgItem(dialog, IDC_ORDER)), "20TileRandom");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FADE))) << "no Crossfade plays";

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
    HWND message = process_->Window("#32770", dialog);
    EXPECT_EQ(WindowText(GetDlgItem(message, 0xFFFF)), "Enter a number of seconds from 1 to 86400.");
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
    photos_testing::Tree temp;
    temp.Folder(L"Below");
    const std::wstring folder = temp.Path(L""), below = temp.Path(L"Below");
    key_.Set(L"Folders", REG_MULTI_SZ, ListData({L"C:\\One", folder}));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_FOLDERS), LB_SETCURSEL, 1, 0);
    Click(dialog, IDC_ADDFOLDER);
    HWND picker = process_->Window("#32770", dialog);
    HWND tree = FindWindowExW(picker, nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    for (int i = 0; i < 2; ++i) SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);  // open it, then to its child
    Click(picker, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(GetDlgItem(dialog, IDC_FOLDERS), LB_GETCOUNT, 0, 0) == 3; }));
    SendMessageW(GetDlgItem(dialog, IDC_FOLDERS), LB_SETCURSEL, 1, 0);
    Click(dialog, IDC_REMOVEFOLDER);
    SendMessageW(GetDlgItem(dialog, IDC_HOLD), WM_SETTEXT, 0, (LPARAM)L"45");
    SendMessageW(GetDlgItem(dialog, IDC_FADE), WM_SETTEXT, 0, (LPARAM)L"2500");
    for (int box : {IDC_SUBFOLDERS, IDC_PANZOOM}) SendMessageW(GetDlgItem(dialog, box), BM_SETCHECK, BST_UNCHECKED, 0);
    const std::pair<int, const wchar_t *> choices[] = {{IDC_TRANSITION, L"Random Effect"}, {IDC_FIT, L"Fill the screen"},
                                                       {IDC_ORDER, L"Newest first"}, {IDC_CAPTION, L"Date and name"},
                                                       {IDC_MONITORS, L"Primary only"}};
    for (const auto &[box, label] : choices) SendMessageW(GetDlgItem(dialog, box), CB_SELECTSTRING, WPARAM(-1), (LPARAM)label);
    Key(dialog, VK_RETURN);
    ASSERT_TRUE(Ends(*process_));
    std::wstring folders = photos_testing::List({L"C:\\One", below});
    const PHOTOSETTINGS expected = {&folders[0], FALSE, 45, 6, 2500, SCRF_FILL, PHOTOORDER_NEWEST,
                                    SCRF_CAPTIONDATE | SCRF_CAPTIONNAME, FALSE, 0, SCRF_BACKDROP, 0, 0, 0};
    PHOTOSETTINGS read;
    ReadPhotoSettings(key_.path(), &read);
    EXPECT_EQ(Describe(read), Describe(expected));
    FreePhotoSettings(&read);
}
