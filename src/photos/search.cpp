// The search for photo files: folder by folder, with a stack of the
// folders still to read, in the \\?\ form so that long paths work.
#include "photos/search.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "photos/catalogue.h"

namespace photos {
namespace {

constexpr DWORD kPathRoom = 32768;  // the \\?\ form's longest path and its null
constexpr DWORD kPassedOver = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

// Whether `name` ends in `extension` (lower case, with its dot).
bool EndsIn(const wchar_t *name, uint32_t length, const wchar_t *extension) {
    const uint32_t size = uint32_t(std::wcslen(extension));
    if (length <= size) return false;
    for (uint32_t i = 0; i < size; ++i)
        if (Lower(name[length - size + i]) != extension[i]) return false;
    return true;
}

// The folders still to read: plain paths, each ending in a null, the last
// pushed on top.
struct Pending {
    wchar_t *chars;
    uint32_t used;
    uint32_t room;
};

bool Push(Pending *pending, const wchar_t *path, uint32_t length) {
    if (pending->used + length + 1 > pending->room) {
        const uint64_t room = uint64_t(pending->room) * 2 + length + 1024;
        if (room > 0x3FFFFFFF) return false;
        wchar_t *moved = (wchar_t *)std::realloc(pending->chars, size_t(room) * sizeof(wchar_t));
        if (!moved) return false;
        pending->chars = moved, pending->room = uint32_t(room);
    }
    std::wmemcpy(pending->chars + pending->used, path, length);
    pending->chars[pending->used + length] = 0;
    pending->used += length + 1;
    return true;
}

// Takes the top folder into `path`; its length, or 0 when none is left.
uint32_t Pop(Pending *pending, wchar_t *path) {
    if (pending->used == 0) return 0;
    uint32_t start = pending->used - 1;
    while (start > 0 && pending->chars[start - 1] != 0) --start;
    const uint32_t length = pending->used - 1 - start;
    std::wmemcpy(path, pending->chars + start, length + 1);
    pending->used = start;
    return length;
}

struct Walk {
    BOOL subfolders;
    const volatile LONG *stop;
    FOUNDPHOTO found;
    void *context;
    Pending pending;
    bool complete;  // nothing was left out for want of memory or by the callback
    wchar_t pattern[kPathRoom + 16];
    wchar_t path[kPathRoom];
};

// `name` added to the folder `path` of `length` chars; the new length, or
// 0 when it is too long.
uint32_t Join(wchar_t *path, uint32_t length, const wchar_t *name) {
    const uint32_t size = uint32_t(std::wcslen(name));
    if (length + 1 + size >= kLongestPath) return 0;
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, name, size + 1);
    return length + 1 + size;
}

bool Dots(const wchar_t *name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

// One entry of the folder in walk->path (`length` chars).
void Visit(Walk *walk, uint32_t length, const WIN32_FIND_DATAW &data) {
    if (Dots(data.cFileName) || (data.dwFileAttributes & kPassedOver)) return;
    const uint32_t joined = Join(walk->path, length, data.cFileName);
    if (!joined) return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A junction or symbolic link is never followed: it may lead back up.
        if (walk->subfolders && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            !Push(&walk->pending, walk->path, joined))
            walk->complete = false;
    } else if (IsPhotoName(walk->path, joined) && !walk->found(walk->context, walk->path, joined, data.ftLastWriteTime)) {
        walk->complete = false;
    }
    walk->path[length] = 0;
}

// Reads the folder in walk->path; false when it cannot be opened.
bool ReadFolder(Walk *walk, uint32_t length) {
    if (!OpenablePath(walk->path, length, true, walk->pattern, kPathRoom + 12)) return false;
    std::wmemcpy(walk->pattern + std::wcslen(walk->pattern), L"\\*", 3);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(walk->pattern, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    // A drive's root holds no "." entry: it may be empty and still readable.
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do Visit(walk, length, data);
    while (!*walk->stop && walk->complete && FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

// A listed folder as a plain full path without a trailing separator.
uint32_t RootPath(const wchar_t *root, wchar_t *path) {
    wchar_t plain[kPathRoom];
    // The \\?\ forms as plain ones: "\\?\UNC\server\share" is "\\server\share".
    size_t length = 0;
    if (!std::wcsncmp(root, L"\\\\?\\UNC\\", 8)) root += 8, plain[length++] = L'\\', plain[length++] = L'\\';
    else if (!std::wcsncmp(root, L"\\\\?\\", 4)) root += 4;
    const size_t rest = std::wcslen(root);
    if (length + rest == 0 || length + rest >= kLongestPath) return 0;
    std::wmemcpy(plain + length, root, rest + 1);
    length += rest;
    const DWORD full = GetFullPathNameW(plain, kPathRoom, path, nullptr);
    if (full == 0 || full >= kLongestPath) std::wmemcpy(path, plain, length + 1);
    else length = full;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == L'/') path[i] = L'\\';
    while (length > 2 && path[length - 1] == L'\\') path[--length] = 0;
    return uint32_t(length);
}

}  // namespace

bool IsPhotoName(const wchar_t *name, uint32_t length) {
    static const wchar_t *const kExtensions[] = {L".jpg", L".jpeg", L".png", L".bmp", L".gif"};
    for (const wchar_t *extension : kExtensions)
        if (EndsIn(name, length, extension)) return true;
    return false;
}

bool IsJpegName(const wchar_t *name, uint32_t length) {
    return EndsIn(name, length, L".jpg") || EndsIn(name, length, L".jpeg");
}

bool OpenablePath(const wchar_t *path, uint32_t length, bool always, wchar_t *out, DWORD size) {
    const bool share = length > 2 && path[0] == L'\\' && path[1] == L'\\';
    const wchar_t *prefix = !always && length < MAX_PATH ? L"" : share ? L"\\\\?\\UNC" : L"\\\\?\\";
    const uint32_t skip = share && *prefix ? 1 : 0;  // "\\?\UNC" takes the place of the first backslash
    const size_t prefixlength = std::wcslen(prefix);
    if (prefixlength + length - skip + 1 > size) return false;
    std::wmemcpy(out, prefix, prefixlength);
    std::wmemcpy(out + prefixlength, path + skip, length - skip);
    out[prefixlength + length - skip] = 0;
    return true;
}

SEARCHOUTCOME SearchFolders(const wchar_t *folders, BOOL subfolders, const volatile LONG *stop, FOUNDPHOTO found,
                            void *context) {
    SEARCHOUTCOME outcome = {0, 0, false};
    for (const wchar_t *root = folders; root && *root; root += std::wcslen(root) + 1) ++outcome.folders;
    Walk *walk = (Walk *)std::calloc(1, sizeof(Walk));
    if (!walk) return outcome;
    walk->subfolders = subfolders, walk->stop = stop, walk->found = found, walk->context = context;
    walk->complete = true;
    for (const wchar_t *root = folders; root && *root && !*stop && walk->complete; root += std::wcslen(root) + 1) {
        uint32_t length = RootPath(root, walk->path);
        if (!length || !ReadFolder(walk, length)) continue;
        ++outcome.opened;
        while (!*stop && walk->complete && (length = Pop(&walk->pending, walk->path)) != 0) ReadFolder(walk, length);
    }
    outcome.finished = !*stop && walk->complete;
    std::free(walk->pending.chars);
    std::free(walk);
    return outcome;
}

}  // namespace photos
