// A registry key of the test's own under HKEY_CURRENT_USER, deleted with
// everything below it when the object goes, and the value data to put in it.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

using RegistryData = std::vector<BYTE>;

inline RegistryData DwordData(DWORD number) {
    const BYTE *bytes = (const BYTE *)&number;
    return RegistryData(bytes, bytes + sizeof number);
}

// A string and its terminating null.
inline RegistryData TextData(const std::wstring &text) {
    const BYTE *bytes = (const BYTE *)text.c_str();
    return RegistryData(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

// Strings each ending in a null, and the empty string that ends the list.
inline RegistryData ListData(std::initializer_list<std::wstring> entries) {
    std::wstring list;
    for (const std::wstring &entry : entries) list += entry + L'\0';
    return TextData(list);
}

class TestKey {
public:
    explicit TestKey(const std::wstring &name)
        : path_(L"Software\\Marrowlight\\Tests\\" + name + std::to_wstring(GetCurrentProcessId())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    TestKey(const TestKey &) = delete;
    TestKey &operator=(const TestKey &) = delete;
    const wchar_t *path() const { return path_.c_str(); }
    std::wstring Subkey(const wchar_t *name) const { return path_ + L"\\" + name; }
    void Set(const wchar_t *name, DWORD type, const RegistryData &data) const {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr))
            return;
        RegSetValueExW(key, name, 0, type, data.data(), DWORD(data.size()));
        RegCloseKey(key);
    }
    bool Exists(const std::wstring &path) const {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    // The value's type and data, empty when it is missing.
    RegistryData Get(const wchar_t *name, DWORD *type = nullptr) const {
        BYTE data[4096];
        DWORD size = sizeof data, stored = REG_NONE;
        if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &stored, data, &size))
            size = 0;
        if (type) *type = stored;
        return RegistryData(data, data + size);
    }

private:
    std::wstring path_;
};

}  // namespace testing_support
