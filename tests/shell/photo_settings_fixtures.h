// Helpers of the photo settings tests: a registry key of the test's own,
// value data to put in it, and settings as one comparable line.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shell/photo_settings.h"

namespace photo_settings_fixtures {

using Data = std::vector<BYTE>;

inline Data RawData(const void *data, size_t size) { return Data((const BYTE *)data, (const BYTE *)data + size); }
inline Data DwordData(DWORD number) { return RawData(&number, sizeof number); }
inline Data TextData(const std::wstring &text) { return RawData(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
// Each entry ends in a null, and an empty string ends the list.
inline Data ListData(std::initializer_list<std::wstring> entries) {
    std::wstring list;
    for (const std::wstring &entry : entries) list += entry + L'\0';
    return TextData(list);
}

// HKEY_CURRENT_USER\Software\Marrowlight\Tests\NAMEpid, gone with the object.
class TestKey {
public:
    explicit TestKey(const wchar_t *name)
        : path_(std::wstring(L"Software\\Marrowlight\\Tests\\") + name + std::to_wstring(GetCurrentProcessId())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    const wchar_t *path() const { return path_.c_str(); }
    void Set(const wchar_t *name, DWORD type, const Data &data) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name, type, data.data(), DWORD(data.size()));
    }
    // The value's data, empty when it (or the subkey) is missing.
    Data Get(const wchar_t *name, const wchar_t *subkey = nullptr) const {
        const std::wstring key = subkey ? path_ + L"\\" + subkey : path_;
        BYTE data[4096];
        DWORD size = sizeof data;
        const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                                            data, &size);
        return status == ERROR_SUCCESS ? RawData(data, size) : Data();
    }

private:
    std::wstring path_;
};

// The folders, then every other field as a number.
inline std::wstring Describe(const PHOTOSETTINGS &s) {
    const wchar_t *end = s.folders;
    while (*end) end += wcslen(end) + 1;
    std::wstring text((const wchar_t *)s.folders, end);
    for (DWORD field : {DWORD(s.subfolders), s.hold, s.transition, s.fade, s.fit, s.order, s.caption,
                        DWORD(s.panzoom), s.monitors, s.backdrop, s.pair, s.clock, s.keys})
        text += L" " + std::to_wstring(field);
    return text;
}

}  // namespace photo_settings_fixtures
