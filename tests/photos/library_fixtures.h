// Folders of photos for the library's tests and benchmark, and a library
// opened on them whose messages a message-only window collects.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "content/writer.h"
#include "photos/catalogue.h"
#include "photos/library.h"
#include "shell/photo_settings.h"

namespace photos_testing {

// A folder of its own under the temporary folder, removed with all it holds
// (links removed, never followed).
class Tree {
public:
    Tree();
    ~Tree();
    Tree(const Tree &) = delete;
    Tree &operator=(const Tree &) = delete;
    std::wstring Path(const std::wstring &relative) const;
    // Writes a file, making the folders on the way; `year` (when not 0) is
    // its last write time, 1 January at noon. Its full path.
    std::wstring File(const std::wstring &relative, const Bytes &bytes, DWORD attributes = 0, int year = 0) const;
    void Folder(const std::wstring &relative, DWORD attributes = 0) const;
    // A directory symbolic link at `relative` to the folder `target`; false
    // when the system makes none.
    bool Link(const std::wstring &relative, const std::wstring &target) const;
    // Deletes a file or an empty folder.
    void Remove(const std::wstring &relative) const;

private:
    std::wstring root_;
};

// The \\?\ form of a full path.
std::wstring Long(const std::wstring &path);
// Folders as LIBRARYOPTIONS lists them.
std::wstring List(const std::vector<std::wstring> &folders);
std::wstring Wide(const std::string &ascii);
Bytes ReadWide(const std::wstring &path);
void WriteWide(const std::wstring &path, const Bytes &bytes);
// The catalogue file in `store`, or empty.
std::wstring CatalogueFile(const std::wstring &store);

// A catalogue and its order's place, read from a file or made to write one.
struct Catalogue {
    photos::CATALOGUE records = {};
    photos::ORDERPLACE place = {};
    DWORD sortedby = 0;
    uint32_t sorted = 0;
    ~Catalogue() { photos::FreeCatalogue(&records), photos::FreePlace(&place); }
    bool Read(const std::wstring &file, uint32_t print) {
        return photos::ReadCatalogue(file.c_str(), print, &records, &place, &sortedby, &sorted);
    }
};

// A library and the messages it posted.
struct Session {
    Session(const std::wstring &folders, BOOL subfolders, DWORD order, const std::wstring &store = L"");
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    // Collects the messages until the search ends; the state it ended in.
    LIBRARYSTATE Wait(DWORD timeout = 60000);
    // Takes and commits the next photo; its name.
    std::string Play();
    std::string Name(int id);
    int Id(const std::string &name);
    // The paths of the photos found, relative to the tree.
    std::set<std::wstring> Found(const Tree &tree);

    HWND window;
    PHOTOLIBRARY *library;
    std::vector<WPARAM> posted;
    int lastplayed = -1;
};

}  // namespace photos_testing
