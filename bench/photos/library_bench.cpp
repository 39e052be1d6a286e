// The photo library on 100,000 photos in 1,000 folders (hard links to four
// small JPEGs, made once and kept between runs): the time to the first
// photo without a catalogue and with one, the whole search, and the
// catalogue's memory per photo beyond its path.
#include <cstdio>
#include <string>

#include "photos/library_fixtures.h"
#include "support/test_photos.h"
#include "photos/library_state.h"
#include "support/test_jpeg.h"
#include "support/test_support.h"
#include "bench_clock.h"

using namespace photos_testing;

namespace {

constexpr int kFolders = 1000, kPerFolder = 100;

std::wstring Numbered(const wchar_t *prefix, int number) {
    const std::wstring digits = std::to_wstring(number);
    return prefix + std::wstring(digits.size() < 3 ? 3 - digits.size() : 0, L'0') + digits;
}

// The photos under `root`, made unless a finished set is there.
void MakePhotos(const std::wstring &root) {
    const std::wstring done = root + L"\\made-100000";
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    const double from = Now();
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\photos").c_str(), nullptr);
    const char *days[] = {"2019:05:01 10:00:00", "2020:07:14 12:30:00", "2021:01:02 08:15:00", "2022:11:30 18:45:00"};
    std::wstring sources[4];
    for (int i = 0; i < 4; ++i) {
        sources[i] = root + Numbered(L"\\source", i) + L".jpg";
        WriteWide(sources[i], testing_support::WithExif(testing_support::TestJpeg(64 + 16 * i, 48), 1, days[i]));
    }
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring path = root + Numbered(L"\\photos\\folder", folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int photo = 0; photo < kPerFolder; ++photo)
            CreateHardLinkW((path + Numbered(L"\\photo", photo) + L".jpg").c_str(), sources[(folder + photo) % 4].c_str(),
                            nullptr);
    }
    WriteWide(done, {});
    std::printf("made %d hard links in %d folders: %.1f s\n", kFolders * kPerFolder, kFolders, (Now() - from) / 1000);
}

// Opens the library, times its first photo and its whole search; with
// `memory`, the bytes per photo its catalogue holds beyond the paths.
void Run(const std::wstring &root, DWORD order, const char *name, bool catalogue, bool memory) {
    const std::wstring folders = List({root + L"\\photos"}), store = root + L"\\store";
    if (!catalogue) DeleteFileW(CatalogueFile(store).c_str());
    const size_t before = testing_support::CommittedPrivateBytes();
    const double from = Now();
    Session session(folders, TRUE, order, store);
    while (LibraryCount(session.library) == 0 && !LibrarySearchDone(session.library)) Sleep(1);
    const double first = Now() - from;
    session.Wait(120000);
    const double whole = Now() - from;
    std::printf("%-6s %s catalogue: first photo %.0f ms (budget %d), whole search %.1f s (budget 15), %d photos\n",
                name, catalogue ? "with a" : "without", first, catalogue ? 500 : 1000, whole / 1000,
                LibraryCount(session.library));
    if (!memory) return;
    PHOTOLIBRARY *library = session.library;
    // What the window thread spends on a photo and its six offered partners.
    const int onscreen[4] = {0, 1, 2, 3};
    const double takefrom = Now();
    for (int i = 0; i < 7; ++i) TakeLibraryPhoto(library, onscreen, 4);
    std::printf("%-6s seven takes (a photo and its partners offered): %.1f ms\n", name, Now() - takefrom);
    EnterCriticalSection(&library->lock);
    const double count = library->catalogue.count, pool = double(library->catalogue.poolroom) * sizeof(wchar_t);
    const double held = double(library->catalogue.room) * sizeof(photos::PHOTORECORD) +
                        double(library->sortedcount) * sizeof(uint32_t);
    LeaveCriticalSection(&library->lock);
    const double grown = double(testing_support::CommittedPrivateBytes() - before);
    std::printf("%-6s memory per photo beyond its path: %.1f bytes held, %.1f bytes committed (budget 64); "
                "paths %.1f bytes\n",
                name, held / count, (grown - pool) / count, pool / count);
}

}  // namespace

int main() {
    // Kept for the next runs in the bench's own folder of the build tree, not
    // in the Wine prefix: the prefix is copied with hard links for some
    // tests, and 100,000 more links to ten files are more than a file takes.
    wchar_t here[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, here);
    const std::wstring root = std::wstring(here) + L"\\library_bench";
    MakePhotos(root);
    const struct {
        DWORD order;
        const char *name;
    } orders[] = {{PHOTOORDER_RANDOM, "random"}, {PHOTOORDER_NAME, "name"}, {PHOTOORDER_DATE, "date"}};
    for (const auto &o : orders) {
        Run(root, o.order, o.name, false, false);
        Run(root, o.order, o.name, true, true);
    }
    return 0;
}
