// The real player started with the host's other switches: the information
// dialog (/c), the preview in a host window (/p), the password change (/a),
// and the password setting read before the saver closes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/globals.h"
#include "shell/preview.h"
#include "support/player_process.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

// The host's window that the preview fills.
class HostWindow {
public:
    HostWindow(int width, int height) {
        window_ = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 40, 40, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~HostWindow() { Destroy(); }
    HWND window() const { return window_; }
    void Destroy() {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }
    HWND Preview() const { return FindWindowExA(window_, nullptr, PreviewClassName(), nullptr); }

private:
    HWND window_;
};

// Sets a value under the host's desktop settings for the length of a test.
class DesktopSetting {
public:
    DesktopSetting(DWORD type, const void *value, DWORD size) {
        RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key_);
        RegSetValueExA(key_, "ScreenSaveUsePassword", 0, type, (const BYTE *)value, size);
    }
    ~DesktopSetting() {
        RegDeleteValueA(key_, "ScreenSaveUsePassword");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
};

// How Wine loads a library for one program, by the program's file name.
class AppDllOverride {
public:
    AppDllOverride(const char *program, const char *library, const char *how)
        : key_(std::string("Software\\Wine\\AppDefaults\\") + program) {
        HKEY key;
        if (RegCreateKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), &key) != ERROR_SUCCESS) return;
        RegSetValueExA(key, library, 0, REG_SZ, (const BYTE *)how, DWORD(strlen(how) + 1));
        RegCloseKey(key);
    }
    ~AppDllOverride() {
        RegDeleteKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    }

private:
    std::string key_;
};

}  // namespace

TEST(InformationDialog, ShowsTitleAndDescriptionAndOnlyEnterClosesIt) {
    SCRHEAD head = TestHead("Northern Lights");
    strcpy(head.description, "Green curtains over the fjord.\r\nPhotographs by the author.");
    Player player(Player::WithShow(ShowWriter(head)));
    Process process(player.path(), "/c");
    HWND dialog = process.Window("#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), "Northern Lights");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 101)), head.description);
    const std::string notice = WindowText(GetDlgItem(dialog, 102));
    EXPECT_NE(notice.find("Marrowlight"), std::string::npos);
    EXPECT_EQ(notice.find("http"), std::string::npos);
    EXPECT_EQ(notice.find("www"), std::string::npos);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 1)), "Done");
    const DWORD style = DWORD(GetWindowLongA(dialog, GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME), DWORD(WS_POPUP | WS_CAPTION | DS_MODALFRAME));
    EXPECT_EQ(style & WS_SYSMENU, 0u);
    EXPECT_NE(GetWindowLongA(GetDlgItem(dialog, 101), GWL_STYLE) & ES_READONLY, 0);

    // Centred on the screen.
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);

    // Escape, Cancel and Close leave it open.
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(process.ExitCode(500), -1);
    EXPECT_TRUE(IsWindow(dialog));

    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(process.ExitCode(), 1);
}

TEST(InformationDialog, DoneClosesIt) {
    Player player(Player::WithShow(ShowWriter(TestHead("Done"))));
    // A number after the switch is ignored; the host's "Configure" gives no switch at all.
    for (const char *tail : {"/C 123", ""}) {
        SCOPED_TRACE(tail);
        Process process(player.path(), tail);
        HWND dialog = process.Window("#32770");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowText(dialog), "Done");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), (LPARAM)GetDlgItem(dialog, 1));
        EXPECT_EQ(process.ExitCode(), 1);
    }
}

// A damaged show still has its trailer: no settings dialog in its place.
// (The bare player opens its settings: settings_dialog_test.cpp.)
TEST(InformationDialog, NoDialogWithoutAReadableHeader) {
    Bytes show = Player::WithShow(ShowWriter(TestHead("Broken")));
    show[show.size() - SCREND_SIZE - 100] ^= 0xFF;  // the header's check fails
    Player broken(show);
    Process process(broken.path(), "/c");
    EXPECT_EQ(process.ExitCode(), 1);
}

TEST(PreviewMode, TheChildFillsTheHostUntilTheHostGoes) {
    struct Case {
        const char *name;
        bool picture;
    } cases[] = {{"title", false}, {"picture", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ShowWriter writer(TestHead("Preview"));
        if (c.picture) writer.SetPreview(TestDib(60, 40, 24));
        Player player(Player::WithShow(writer));
        HostWindow host(152, 112);
        char tail[64];
        std::snprintf(tail, sizeof tail, "/p %lu", (unsigned long)(UINT_PTR)host.window());
        Process process(player.path(), tail);
        ASSERT_TRUE(PumpUntil([&] { return host.Preview() && IsWindowVisible(host.Preview()); }));
        HWND preview = host.Preview();
        RECT r;
        GetClientRect(preview, &r);
        EXPECT_EQ(r.right, 152);
        EXPECT_EQ(r.bottom, 112);
        EXPECT_EQ(WindowText(preview), szSaverAppName);
        EXPECT_EQ(DWORD(GetWindowLongA(preview, GWL_STYLE)) & (WS_CHILD | WS_VISIBLE), DWORD(WS_CHILD | WS_VISIBLE));
        // It lives on while the host's window is there.
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(process.ExitCode(0), -1);
        host.Destroy();
        EXPECT_TRUE(PumpUntil([&] { return process.ExitCode(0) == 1; }));
    }
}

TEST(PreviewMode, WithoutAHostWindowItEndsAtOnce) {
    Player player(Player::WithShow(ShowWriter(TestHead())));
    for (const char *tail : {"/p", "/p 0", "-l", "/l:0"}) {
        SCOPED_TRACE(tail);
        Process process(player.path(), tail);
        EXPECT_EQ(process.ExitCode(), 1);
    }
}

// The player under a name of its own in a folder of its own, optionally
// beside a library that takes the place of the host's.
class PlayerInFolder {
public:
    PlayerInFolder(const Bytes &program, const char *name, const char *library = nullptr,
                   const char *libraryName = nullptr) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "mlhost" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        player_ = folder_ + "\\" + name;
        if (library) {
            library_ = folder_ + "\\" + libraryName;
            CopyFileA(library, library_.c_str(), FALSE);
        }
        HANDLE file = CreateFileA(player_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, program.data(), DWORD(program.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~PlayerInFolder() {
        DeleteFileA(player_.c_str());
        if (!library_.empty()) DeleteFileA(library_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    const char *path() const { return player_.c_str(); }

private:
    std::string folder_, library_, player_;
};

constexpr int kMessageBoxText = 0xFFFF;  // the text control of a message box

// Starts the 'a' mode, answers its message box and checks the exit code.
void ExpectMessageThenExit(const char *player, const char *tail, const char *text) {
    Process process(player, tail);
    HWND box = process.Window("#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), "Message");
    EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)), text);
    EXPECT_FALSE(PumpUntil([&] { return process.ExitCode(0) != -1; }, 300)) << "it waits for the box";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return process.ExitCode(0) == 1; }));
}

TEST(PasswordChange, WithoutTheHostsLibraryAMessageSaysSo) {
    AppDllOverride disabled("mlnompr.scr", "mpr", "");
    PlayerInFolder player(Player::WithShow(ShowWriter(TestHead())), "mlnompr.scr");
    HostWindow owner(100, 60);
    const std::string ownerTail = "/a " + std::to_string((unsigned long)(UINT_PTR)owner.window());
    for (const char *tail : {"/a", "/a 0", ownerTail.c_str()}) {
        SCOPED_TRACE(tail);
        ExpectMessageThenExit(player.path(), tail, "Error loading library");
    }
}

TEST(PasswordChange, ALibraryWithoutTheFunctionIsReported) {
    AppDllOverride native("mlemptympr.scr", "mpr", "native");
    PlayerInFolder player(Player::WithShow(ShowWriter(TestHead())), "mlemptympr.scr", ML_EMPTY_MPR, "MPR.DLL");
    ExpectMessageThenExit(player.path(), "/a", "Damaged library");
}

TEST(PasswordCheck, WithoutTheHostsCheckInputStillClosesTheSaver) {
    const DWORD number = 1;
    struct Case {
        const char *name;
        DWORD type;
        const void *value;
        DWORD size;
    } cases[] = {{"number", REG_DWORD, &number, sizeof number}, {"text", REG_SZ, "1", 2}};
    Player player(Player::WithShow(ShowWriter(TestHead("Locked"))));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopSetting setting(c.type, c.value, c.size);
        Process process(player.path(), "/s");
        HWND window = process.SaverWindow();
        ASSERT_NE(window, nullptr);
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(process.ExitCode(), 1);
    }
}
