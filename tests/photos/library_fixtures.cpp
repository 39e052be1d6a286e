// Folders of photos and libraries opened on them, for tests and benchmarks.
#include "photos/library_fixtures.h"

namespace photos_testing {
namespace {

constexpr UINT kLibraryMessage = WM_APP + 28;

// Removes everything below `path` (the \\?\ form), then `path` itself.
void RemoveAll(const std::wstring &path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        const std::wstring name = data.cFileName, inner = path + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        SetFileAttributesW(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(inner.c_str());
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) RemoveDirectoryW(inner.c_str());
        else RemoveAll(inner);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    RemoveDirectoryW(path.c_str());
}

// Makes every folder on the way to the file or folder `path` (\\?\ form).
void MakeFolders(const std::wstring &path) {
    for (size_t at = path.find(L'\\', 7); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

}  // namespace

Tree::Tree() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"mlphotos" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++counter);
    CreateDirectoryW(root_.c_str(), nullptr);
}

Tree::~Tree() { RemoveAll(Long(root_)); }

std::wstring Tree::Path(const std::wstring &relative) const {
    return relative.empty() ? root_ : root_ + L"\\" + relative;
}

std::wstring Tree::File(const std::wstring &relative, const Bytes &bytes, DWORD attributes, int year) const {
    const std::wstring path = Long(Path(relative));
    MakeFolders(path);
    WriteWide(path, bytes);
    if (year) {
        SYSTEMTIME noon = {WORD(year), 1, 0, 1, 12, 0, 0, 0};
        FILETIME time;
        SystemTimeToFileTime(&noon, &time);
        HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &time);
        CloseHandle(file);
    }
    if (attributes) SetFileAttributesW(path.c_str(), attributes);
    return Path(relative);
}

void Tree::Folder(const std::wstring &relative, DWORD attributes) const {
    const std::wstring path = Long(Path(relative));
    MakeFolders(path + L"\\");
    if (attributes) SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY);
}

bool Tree::Link(const std::wstring &relative, const std::wstring &target) const {
    const std::wstring link = Path(relative), to = Path(target);
    auto made = [&] { return (GetFileAttributesW(link.c_str()) & 0xFFFF0000) == 0; };
    if (CreateSymbolicLinkW(link.c_str(), to.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && made()) return true;
    // Wine's CreateSymbolicLinkW makes nothing, but shows a Unix symbolic
    // link as one: the system's own ln makes it, on the paths Wine gives.
    typedef char *(CDECL * UnixName)(const wchar_t *);
    const UnixName unixname = (UnixName)(void *)GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    char *from = unixname ? unixname(link.c_str()) : nullptr, *onto = unixname ? unixname(to.c_str()) : nullptr;
    std::wstring command = L"ln -s " + Wide(onto ? onto : "") + L" " + Wide(from ? from : "");
    HeapFree(GetProcessHeap(), 0, from);
    HeapFree(GetProcessHeap(), 0, onto);
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process;
    if (!unixname || !CreateProcessW(L"Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    // Wine does not wait for a Unix program: the link is looked for instead.
    for (int wait = 0; wait < 250 && !made(); ++wait) Sleep(20);
    return made();
}

void Tree::Remove(const std::wstring &relative) const {
    const std::wstring path = Long(Path(relative));
    if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
}

std::wstring Long(const std::wstring &path) { return L"\\\\?\\" + path; }

std::wstring List(const std::vector<std::wstring> &folders) {
    std::wstring list;
    for (const std::wstring &folder : folders) list += folder + L'\0';
    return list;  // c_str() adds the empty string's null
}

std::wstring Wide(const std::string &ascii) { return std::wstring(ascii.begin(), ascii.end()); }

Bytes ReadWide(const std::wstring &path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Bytes bytes(file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void WriteWide(const std::wstring &path, const Bytes &bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
}

std::wstring CatalogueFile(const std::wstring &store) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((store + L"\\Catalogue-*.dat").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return L"";
    FindClose(find);
    return store + L"\\" + data.cFileName;
}

Session::Session(const std::wstring &folders, BOOL subfolders, DWORD order, const std::wstring &store) {
    window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const LIBRARYOPTIONS options = {folders.c_str(), subfolders, order, store.empty() ? nullptr : store.c_str(),
                                    window, kLibraryMessage};
    library = OpenLibrary(options);
}

Session::~Session() {
    CloseLibrary(library);
    DestroyWindow(window);
}

LIBRARYSTATE Session::Wait(DWORD timeout) {
    const ULONGLONG deadline = GetTickCount64() + timeout;
    MSG message;
    bool done = false;
    while (!done && GetTickCount64() < deadline) {
        done = LibrarySearchDone(library);  // its last message is posted by then
        while (PeekMessageW(&message, window, kLibraryMessage, kLibraryMessage, PM_REMOVE))
            posted.push_back(message.wParam);
        if (!done) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_POSTMESSAGE);
    }
    return done ? LibraryState(library) : LIBRARY_SEARCHING;
}

std::string Session::Play() {
    lastplayed = TakeLibraryPhoto(library, nullptr, 0);
    CommitLibraryPhoto(library, lastplayed);
    return Name(lastplayed);
}

std::string Session::Name(int id) {
    char name[300];
    return LibraryPhotoName(library, id, name, sizeof name) > 0 ? name : "";
}

int Session::Id(const std::string &name) {
    static wchar_t path[40000];
    for (int id = 0; LibraryPhotoPath(library, id, path, 40000); ++id)
        if (Name(id) == name) return id;
    return -1;
}

std::set<std::wstring> Session::Found(const Tree &tree) {
    std::set<std::wstring> found;
    static wchar_t path[40000];
    const std::wstring root = tree.Path(L"") + L"\\";
    for (int id = 0; LibraryPhotoPath(library, id, path, 40000); ++id) {
        std::wstring plain = path;
        if (plain.compare(0, 4, L"\\\\?\\") == 0) plain.erase(0, 4);
        found.insert(plain.compare(0, root.size(), root) == 0 ? plain.substr(root.size()) : plain);
    }
    return found;
}

}  // namespace photos_testing
