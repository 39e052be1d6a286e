// Applet object lists, memory helpers and the machine identity.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "applet/objects.h"
#include "support/test_support.h"

namespace {

// A list of records with the given numbers, each owning a small block.
struct ObjectList {
    HGLOBAL list = 0;
    int count = 0;
    explicit ObjectList(std::initializer_list<DWORD> numbers) {
        for (DWORD n : numbers) {
            APPLETOBJECT object{};
            object.kind = TAG_PICT;
            object.number = n;
            object.size = n;
            SetObjectData(object, GlobalAlloc(GMEM_MOVEABLE, 4));
            AddAppletObject((void **)&list, &count, &object);
        }
    }
    ~ObjectList() {
        APPLETOBJECT object;
        for (int i = 0; i < count; ++i)
            if (HGLOBAL data = GetAppletObject(list, i, &object)) GlobalFree(data);
        if (list) GlobalFree(list);
    }
};

HGLOBAL BlockWith(const char *text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text));
    std::memcpy(GlobalLock(memory), text, std::strlen(text));
    GlobalUnlock(memory);
    return memory;
}

}  // namespace

TEST(AppletObjects, AppendGrowsTheListInOrder) {
    ObjectList objects{7, 3, 9};
    ASSERT_EQ(objects.count, 3);
    EXPECT_EQ(GlobalSize(objects.list), 3 * sizeof(APPLETOBJECT));
    APPLETOBJECT object;
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(GetAppletObject(objects.list, i, &object), nullptr);
        EXPECT_EQ(object.number, DWORD(i == 0 ? 7 : i == 1 ? 3 : 9));
    }
    object.number = 42;
    EXPECT_EQ(PutAppletObject(objects.list, 1, &object), 1);
    GetAppletObject(objects.list, 1, &object);
    EXPECT_EQ(object.number, 42u);
    EXPECT_EQ(GetAppletObject(nullptr, 0, &object), nullptr);
    EXPECT_EQ(PutAppletObject(nullptr, 0, &object), 0);
}

TEST(AppletObjects, FindReturnsTheFirstRecordWithTheNumber) {
    ObjectList empty{};
    APPLETOBJECT found;
    std::memset(&found, 0xCC, sizeof found);
    EXPECT_EQ(FindNumberedAppletObject(&found, empty.list, empty.count, 1), 0);
    EXPECT_EQ(found.number, 0u);
    EXPECT_EQ(found.kind, 0u);

    ObjectList twins{4, 5, 5};
    ASSERT_EQ(FindNumberedAppletObject(&found, twins.list, twins.count, 5), 1);
    EXPECT_EQ(found.number, 5u);
    APPLETOBJECT second;
    GetAppletObject(twins.list, 1, &second);
    EXPECT_EQ(found.data, second.data);
    EXPECT_EQ(FindNumberedAppletObject(&found, twins.list, twins.count, 6), 0);
}

TEST(AppletObjects, NewObjectsTakeTheSmallestFreeNumber) {
    struct Case {
        const char *what;
        std::initializer_list<DWORD> numbers;
        DWORD expected;
    } cases[] = {
        {"empty list", {}, 1},
        {"gap at 3", {1, 2, 4}, 3},
        {"out of order", {4, 2, 1, 3}, 5},
        {"gap at 1", {2, 3}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ObjectList objects(c.numbers);
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 24);
        APPLETOBJECT made;
        ASSERT_EQ(MakeNewAppletObject(&made, objects.list, objects.count, data, TAG_WAVE), 1);
        EXPECT_EQ(made.number, c.expected);
        EXPECT_EQ(made.kind, TAG_WAVE);
        EXPECT_EQ(made.size, 24u);
        EXPECT_EQ(ObjectData(made), data);
        GlobalFree(data);
    }
}

TEST(AppletObjects, NoNewNumberWhenAllAreTaken) {
    // Numbers 16383 down to 1: every scan finds the next number at the end.
    HGLOBAL list = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, MAXOBJECTNUMBER * sizeof(APPLETOBJECT));
    APPLETOBJECT *records = (APPLETOBJECT *)GlobalLock(list);
    for (DWORD i = 0; i < MAXOBJECTNUMBER; ++i) {
        records[i].number = MAXOBJECTNUMBER - i;
        records[i].data = 1;  // any non-zero handle reads as a record
    }
    GlobalUnlock(list);
    APPLETOBJECT made;
    EXPECT_EQ(MakeNewAppletObject(&made, list, MAXOBJECTNUMBER, nullptr, TAG_PICT), 0);
    GlobalFree(list);
}

TEST(DuplicateObject, CopiesTheBytesIntoANewBlock) {
    HGLOBAL original = BlockWith("marrow");
    HGLOBAL copy = DuplicateObject(original);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, original);
    EXPECT_EQ(GlobalSize(copy), 6u);
    EXPECT_EQ(std::memcmp(GlobalLock(copy), "marrow", 6), 0);
    GlobalUnlock(copy);
    GlobalFree(copy);
    GlobalFree(original);

    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    EXPECT_EQ(DuplicateObject(empty), nullptr);
    GlobalFree(empty);
    EXPECT_EQ(DuplicateObject(nullptr), nullptr);
}

TEST(WriteObject, WritesAllBytesOrLeavesNoFile) {
    testing_support::TempFile file(".bin");
    HGLOBAL memory = BlockWith("light");
    ASSERT_EQ(WriteObject(nullptr, file.path(), memory), 1);
    EXPECT_EQ(testing_support::ReadFileBytes(file.path()), Bytes({'l', 'i', 'g', 'h', 't'}));

    EXPECT_EQ(WriteObject(nullptr, "C:\\no such folder\\x.bin", memory), 0);
    EXPECT_EQ(GetFileAttributesA("C:\\no such folder\\x.bin"), INVALID_FILE_ATTRIBUTES);
    GlobalFree(memory);
}

TEST(RectSize, WidthAndDepth) {
    RECT r = {10, 20, 110, 70};
    EXPECT_EQ(RectWidth(&r), 100);
    EXPECT_EQ(RectDepth(&r), 50);
}

// Registry fixtures are restored afterwards so other tests see the prefix as it was.
class MachineName : public ::testing::Test {
protected:
    static constexpr const char *kKeys[] = {
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    };
    static constexpr const char *kValues[] = {"RegisteredOwner", "RegisteredOrganization", "DefaultUserName",
                                              "AltDefaultUserName"};
    struct Saved {
        std::string key, value, text;
        bool present;
    };
    std::vector<Saved> saved_;

    void SetUp() override {
        for (const char *key : kKeys)
            for (const char *value : kValues) {
                Saved s{key, value, "", false};
                char buffer[260];
                DWORD size = sizeof buffer;
                HKEY handle;
                if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) == ERROR_SUCCESS) {
                    if (RegQueryValueExA(handle, value, nullptr, nullptr, (BYTE *)buffer, &size) == ERROR_SUCCESS) {
                        s.present = true;
                        s.text.assign(buffer, size ? size - 1 : 0);
                    }
                    RegCloseKey(handle);
                }
                saved_.push_back(s);
                Delete(key, value);
            }
    }
    void TearDown() override {
        for (const Saved &s : saved_) {
            Delete(s.key.c_str(), s.value.c_str());
            if (s.present) Set(s.key.c_str(), s.value.c_str(), s.text.c_str());
        }
    }
    static void Delete(const char *key, const char *value) {
        HKEY handle;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &handle) == ERROR_SUCCESS) {
            RegDeleteValueA(handle, value);
            RegCloseKey(handle);
        }
    }
    static void Set(const char *key, const char *value, const char *text) {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(handle, value, 0, REG_SZ, (const BYTE *)text, DWORD(std::strlen(text) + 1));
            RegCloseKey(handle);
        }
    }
};

TEST_F(MachineName, PrefersTheRegisteredOwnerAndOrganisation) {
    Set(kKeys[1], "RegisteredOwner", "Nina Owner");
    Set(kKeys[1], "RegisteredOrganization", "Bone & Light");
    Set(kKeys[2], "DefaultUserName", "logon user");
    char owner[262], organisation[262];
    EXPECT_EQ(GetMachineName(owner, organisation), 1);
    EXPECT_STREQ(owner, "Nina Owner");
    EXPECT_STREQ(organisation, "Bone & Light");
}

TEST_F(MachineName, FallsBackToTheLogonNames) {
    Set(kKeys[2], "AltDefaultUserName", "alt user");
    char owner[262], organisation[262];
    GetMachineName(owner, organisation);
    EXPECT_STREQ(owner, "alt user");
    Set(kKeys[2], "DefaultUserName", "default user");
    GetMachineName(owner, organisation);
    EXPECT_STREQ(owner, "default user");
    EXPECT_STREQ(organisation, "");
}

TEST_F(MachineName, WithoutRegistryEntriesUsesTheVolumeSerial) {
    char windows[MAX_PATH], root[4] = "C:\\";
    GetWindowsDirectoryA(windows, MAX_PATH);
    root[0] = windows[0];
    DWORD serial = 0;
    ASSERT_TRUE(GetVolumeInformationA(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    char owner[262], organisation[262];
    EXPECT_EQ(GetMachineName(owner, organisation), 1);
    EXPECT_EQ(std::string(owner), "User " + std::to_string(serial));
    EXPECT_STREQ(organisation, "");
}
