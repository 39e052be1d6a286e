// mlshow's temporary output files on Windows: the console control handler
// (Ctrl+C, the console closed) removes one while the build still holds it
// open, and the system ends the process without its destructors, so an
// interrupted build leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fileio.h"

namespace fs = std::filesystem;

namespace {

const wchar_t kFolderVariable[] = L"MLSHOW_TEMPORARY_TEST_FOLDER";

std::vector<fs::path> Temporaries(const fs::path &folder) {
    std::vector<fs::path> found;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".mlshow-tmp") found.push_back(entry.path());
    return found;
}

// This test program again, running only `test`, with `folder` in its environment.
DWORD RunChild(const std::string &test, const fs::path &folder) {
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, DWORD(sizeof self / sizeof *self));
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + fs::path(test).wstring();
    SetEnvironmentVariableW(kFolderVariable, folder.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD code = DWORD(-1);
    if (CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    SetEnvironmentVariableW(kFolderVariable, nullptr);
    return code;
}

}  // namespace

// In the child: a build writing its show is interrupted. The handler
// removes the temporary file; the system then ends the process.
TEST(MlshowTemporaryFile, InterruptedChild) {
    wchar_t folder[MAX_PATH * 4];
    if (!GetEnvironmentVariableW(kFolderVariable, folder, DWORD(sizeof folder / sizeof *folder))) GTEST_SKIP();
    mlshow::AtomicFile *file = new mlshow::AtomicFile(fs::path(folder) / "show.scr");
    const uint8_t bytes[3] = {1, 2, 3};
    file->Write(bytes, sizeof bytes);
    const bool listed = Temporaries(folder).size() == 1;
    mlshow::RemoveOpenTemporaries();
    ExitProcess(listed ? 7 : 8);  // as the system ends it: no destructor runs, the file stays open till the end
}

TEST(MlshowTemporaryFile, TheInterruptHandlerRemovesAnOpenTemporaryFile) {
    const fs::path folder = fs::temp_directory_path() / ("mlshow temporary " + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    EXPECT_EQ(RunChild("MlshowTemporaryFile.InterruptedChild", folder), 7u);
    EXPECT_TRUE(Temporaries(folder).empty());
    EXPECT_FALSE(fs::exists(folder / "show.scr"));
    std::error_code error;
    fs::remove_all(folder, error);
}
