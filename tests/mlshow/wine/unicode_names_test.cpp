// mlshow.exe with files, folders and arguments named outside ASCII, run as
// a user runs it; the player's loader reads the show it wrote.
#include <gtest/gtest.h>

#include <process.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "content/loader.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Runs mlshow.exe with `arguments`; its exit code, or -1 when it does not run.
intptr_t RunMlshow(const std::wstring &arguments) {
    const std::wstring program = fs::path(ML_MLSHOW_EXE).wstring(), line = L"\"" + program + L"\" " + arguments;
    return _wspawnl(_P_WAIT, program.c_str(), line.c_str(), nullptr);
}

}  // namespace

TEST(MlshowNames, FilesNamedOutsideAsciiBuildAShow) {
    const fs::path folder = fs::temp_directory_path() / ("mlshow names " + std::to_string(GetCurrentProcessId()));
    const fs::path photos = folder / L"Fotos Caf\u00e9", manifest = folder / L"Show \u00f1.toml";
    const fs::path show = folder / L"Caf\u00e9 \u03a9.scr";
    fs::create_directories(photos);
    const Bytes jpeg = TestJpeg(40, 30);
    for (const wchar_t *name : {L"Caf\u00e9.jpg", L"\u65e5\u672c \u03a9mega.jpg", L"plain.jpg"})
        std::ofstream(photos / name, std::ios::binary).write(reinterpret_cast<const char *>(jpeg.data()), std::streamsize(jpeg.size()));
    std::ofstream(manifest, std::ios::binary) << "[show]\ntitle = \"Caf\xc3\xa9\"\n[[item]]\ntype = \"pictures\"\n"
                                                 "folder = \"Fotos Caf\xc3\xa9\"\n";  // UTF-8
    EXPECT_EQ(RunMlshow(L"build -q \"" + manifest.wstring() + L"\" --player \"" + fs::path(PlayerPath()).wstring() +
                        L"\" -o \"" + show.wstring() + L"\""),
              0);
    TempFile copy;  // the loader's path is narrow
    std::error_code error;
    fs::copy_file(show, copy.path(), fs::copy_options::overwrite_existing, error);
    TestStore store;
    EXPECT_EQ(LoadScrFile(store.list(), store.set(), copy.path()), 1);
    EXPECT_EQ(store.Count(), 4);  // the header and the three pictures
    store.Clear();
    EXPECT_EQ(RunMlshow(L"verify -q \"" + show.wstring() + L"\""), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);  // no temporary file
    fs::remove_all(folder, error);
}
