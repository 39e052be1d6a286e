// Helpers shared by the player's tests: files in Wine's temporary folder,
// shows made with the container writer, a block store on a real window, and
// the process's committed private memory for leak checks.
#pragma once

#include <windows.h>

#include <string>

#include "content/blockstore.h"
#include "content/writer.h"

namespace testing_support {

// A file in the temporary folder, deleted when the object goes.
class TempFile {
public:
    explicit TempFile(const std::string &suffix = ".scr");
    ~TempFile() { DeleteFileA(path_.c_str()); }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    const char *path() const { return path_.c_str(); }
    void Write(const Bytes &bytes) const;

private:
    std::string path_;
};

Bytes ReadFileBytes(const std::string &path);

// Deterministic stand-in for the executable part of a show file.
Bytes FakeProgram(size_t size = 4096);

// A header with a title, a description and a background colour.
SCRHEAD TestHead(const char *title = "Test show", COLORREF background = RGB(0, 0, 64));

// A centred picture's header: its effects (0 for None), how long it plays
// (0 endless, 1 one cycle, n seconds) and holds, at the highest speed.
SCRIMAGE TestPicture(int appear, int disappear, int duration, int hold = 1000);

// A packed bitmap of the given depth with a recognisable pattern.
Bytes TestDib(int width, int height, int bits);

// Animation data of one TestDib frame of w x h that plays until stopped.
Bytes TestAnimation(int width, int height);

// A 24-bit packed bitmap of one colour.
Bytes SolidDib(int width, int height, COLORREF colour);

// A whole IMAG block whose photo name `name` lies between the header and
// the data, stored as given (SCRF_COMPRESSED cleared): also names the
// writer refuses, for the loader's checks.
Bytes CaptionedPicture(SCRIMAGE header, std::string_view name, const Bytes &data);

// A show with one block of every type, compressed where the format allows,
// and a preview picture.
ShowWriter RichShow();

// A hidden top-level window with a block store and a zeroed BLOCKSET.
class TestStore {
public:
    TestStore();
    ~TestStore();
    HWND window() const { return window_; }
    HWND list() const { return list_; }
    BLOCKSET *set() { return set_; }
    int Count() const { return (int)SendMessageA(list_, LB_GETCOUNT, 0, 0); }
    BLOCK Block(int index) const;
    // Frees every block, as the saver window does when it closes.
    void Clear() { FreeBlocks(window_, set_); }

private:
    HWND window_;
    HWND list_;
    BLOCKSET *set_;
};

// Bytes of committed private memory in the process (a VirtualQuery walk),
// which follows heap and global allocations under Wine.
size_t CommittedPrivateBytes();

// The player program as the tests run it.
const char *PlayerPath();

}  // namespace testing_support
