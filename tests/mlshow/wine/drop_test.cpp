// Folders and manifests dropped onto mlshow.exe, as Explorer passes them:
// the show is built beside them, named after its title, and loads in the
// player; a failure says what to do and leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "content/loader.h"
#include "mlshow/drop_cases.h"
#include "mlshow/wine/mlshow_process.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path &path, const std::string &bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

size_t Entries(const fs::path &folder) { return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator())); }

}  // namespace

TEST(MlshowDrop, FoldersAndManifestsBuildBesideThemselves) {
    const fs::path root = fs::temp_directory_path() / ("mlshow drop " + std::to_string(GetCurrentProcessId()));
    const Bytes jpeg = TestJpeg(40, 30);
    // The player beside mlshow.exe is the one the tests run.
    for (const DROPFILE &file : kDropFiles)
        WriteFile(root / fs::u8path(file.path), file.text ? std::string(file.text) : std::string(jpeg.begin(), jpeg.end()));
    for (const DROPCASE &c : kDropCases) {
        SCOPED_TRACE(c.dropped);
        std::string output;
        // Sharing the test's console, mlshow must not wait for a key.
        EXPECT_EQ(RunMlshow(L"\"" + (root / fs::u8path(c.dropped)).wstring() + L"\"", &output), DWORD(c.status)) << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << output;
        if (!c.made) continue;
        const fs::path made = root / fs::u8path(c.made);
        TempFile copy;  // the loader's path is narrow
        std::error_code error;
        fs::copy_file(made, copy.path(), fs::copy_options::overwrite_existing, error);
        EXPECT_FALSE(error) << error.message();
        TestStore store;
        EXPECT_EQ(LoadScrFile(store.list(), store.set(), copy.path()), 1);
        EXPECT_EQ(store.Count(), c.blocks);
        store.Clear();
        EXPECT_EQ(RunMlshow(L"verify -q \"" + made.wstring() + L"\""), 0u);
    }
    EXPECT_EQ(Entries(root), 4u);           // the three folders and the folder's show
    EXPECT_EQ(Entries(root / "Empty"), 1u);  // nothing left by the failures
    std::error_code error;
    fs::remove_all(root, error);
}

// Started by a bare name, as a command prompt starts it from the PATH,
// mlshow still finds the player beside its own program file; a folder
// named after the player never turns the player into a show, and a
// selection of several items is refused with what to do.
TEST(MlshowDrop, ThePlayerBesideTheProgramIsFoundAndKept) {
    const fs::path root = fs::temp_directory_path() / ("mlshow self " + std::to_string(GetCurrentProcessId()));
    const fs::path bin = root / "bin", program = bin / "mlshow.exe", player = bin / "marrowlight.scr";
    fs::create_directories(bin);
    fs::copy_file(fs::path(ML_MLSHOW_EXE), program);
    fs::copy_file(fs::path(PlayerPath()), player);
    const Bytes jpeg = TestJpeg(40, 30);
    const std::string photo(jpeg.begin(), jpeg.end());
    WriteFile(root / "show" / "p.jpg", photo);
    WriteFile(root / "show" / "show.toml", "[show]\ntitle = \"T\"\n[[item]]\ntype = \"picture\"\nfile = \"p.jpg\"\n");
    WriteFile(bin / "marrowlight" / "p.jpg", photo);
    const uintmax_t playerSize = fs::file_size(player);
    EXPECT_EQ(RunProgram(program.wstring(), L"mlshow build -q show.toml -o out.scr", (root / "show").wstring()), 0u);
    EXPECT_TRUE(fs::exists(root / "show" / "out.scr"));
    std::string output;
    EXPECT_EQ(RunProgram(program.wstring(), L"mlshow \"" + (bin / "marrowlight").wstring() + L"\"", bin.wstring(), &output), 0u)
        << output;
    EXPECT_NE(output.find("Made the screen saver marrowlight (2).scr"), std::string::npos) << output;
    EXPECT_EQ(fs::file_size(player), playerSize);
    output.clear();
    const std::wstring two = L"mlshow \"" + (root / "show" / "p.jpg").wstring() + L"\" \"" + (root / "show").wstring() + L"\"";
    EXPECT_EQ(RunProgram(program.wstring(), two, bin.wstring(), &output), 2u);
    EXPECT_NE(output.find("drop one folder or one manifest"), std::string::npos) << output;
    std::error_code error;
    fs::remove_all(root, error);
}
