// The player's version resource: the release's version, and no file
// description, so that the host lists each show by its file name.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ml_version.h"
#include "support/test_support.h"

namespace {

// The string `name` of the version resource, or nullptr when it has none.
const char *VersionString(const std::vector<char> &info, const char *name) {
    void *value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), &value, &length) || length == 0) return nullptr;
    return static_cast<const char *>(value);
}

}  // namespace

TEST(VersionResource, CarriesTheVersionAndNoDescription) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(testing_support::PlayerPath(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(testing_support::PlayerPath(), 0, size, info.data()));
    for (const char *name : {"ProductVersion", "FileVersion"}) {
        ASSERT_NE(VersionString(info, name), nullptr) << name;
        EXPECT_STREQ(VersionString(info, name), ML_VERSION_TEXT) << name;
    }
    EXPECT_EQ(VersionString(info, "FileDescription"), nullptr);
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    const WORD numbers[] = {ML_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(numbers[0]) << 16 | numbers[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(numbers[2]) << 16 | numbers[3]);
}
