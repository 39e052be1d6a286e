// The password check before the saver closes: when the host's desktop
// setting asks for it, and what happens without the host's check.
#include <gtest/gtest.h>

#include <string>

#include "shell/password.h"

namespace {

// Sets or removes "ScreenSaveUsePassword" for the length of a case.
class DesktopSetting {
public:
    DesktopSetting(DWORD type, const void *value, DWORD size) {
        RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key_);
        if (value)
            RegSetValueExA(key_, "ScreenSaveUsePassword", 0, type, (const BYTE *)value, size);
        else
            RegDeleteValueA(key_, "ScreenSaveUsePassword");
    }
    ~DesktopSetting() {
        RegDeleteValueA(key_, "ScreenSaveUsePassword");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
};

// The folder of the stand-in PASSWORD.CPL that refuses every password.
std::string RefusingCheckFolder() {
    std::string path = ML_REFUSING_CPL;
    return path.substr(0, path.find_last_of('\\'));
}

}  // namespace

TEST(VerifyPassword, AsksTheHostOnlyWhenTheSettingIsOn) {
    const DWORD zero = 0, one = 1, two = 2;
    struct Case {
        const char *name;
        DWORD type;
        const void *value;
        DWORD size;
        bool asks;
    } cases[] = {
        {"absent", REG_DWORD, nullptr, 0, false},
        {"number 0", REG_DWORD, &zero, 4, false},
        {"number 1", REG_DWORD, &one, 4, true},
        {"number 2", REG_DWORD, &two, 4, true},
        {"text 1", REG_SZ, "1", 2, true},
        {"text 0", REG_SZ, "0", 2, false},
        {"empty text", REG_SZ, "", 1, false},
        {"one byte", REG_BINARY, "\x01", 1, true},
        {"text too long to be a setting", REG_SZ, "1111111111111111111111111", 26, false},
    };
    ASSERT_TRUE(SetDllDirectoryA(RefusingCheckFolder().c_str()));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DesktopSetting setting(c.type, c.value, c.size);
        EXPECT_EQ(VerifyPassword(nullptr), c.asks ? 0 : 1);
    }
    SetDllDirectoryA(nullptr);
}

TEST(VerifyPassword, WithoutTheHostsCheckTheSaverMayClose) {
    const DWORD one = 1;
    DesktopSetting setting(REG_DWORD, &one, 4);
    EXPECT_EQ(VerifyPassword(nullptr), 1);
}
