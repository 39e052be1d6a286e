// The module file opened for reading the show, with exact reads and seeks
// that fail softly: any short read or bad seek is reported once as false.
#pragma once

#include <windows.h>

#include "content/format.h"

class ScrFile {
public:
    explicit ScrFile(const char *path);
    ~ScrFile() {
        if (file_ != HFILE_ERROR) _lclose(file_);
    }
    ScrFile(const ScrFile &) = delete;
    ScrFile &operator=(const ScrFile &) = delete;

    bool IsOpen() const { return file_ != HFILE_ERROR; }
    HFILE Handle() const { return file_; }
    DWORD Size() const { return size_; }
    DWORD Position() const { return position_; }
    DWORD Remaining() const { return size_ - position_; }

    bool Seek(DWORD offset);
    bool Read(void *buffer, DWORD count);
    // Reads `count` bytes into a new zeroed fixed block of `count + extra`
    // bytes (movable when empty); 0 on a short read or when memory runs out.
    HGLOBAL ReadBlock(DWORD count, DWORD extra = 0);
    // The position after a read done by someone else through Handle().
    void Moved() { position_ = _llseek(file_, 0, FILE_CURRENT); }

private:
    HFILE file_;
    DWORD size_ = 0;
    DWORD position_ = 0;
};

// The trailer as read and unmasked: where the content starts and its checks.
struct Trailer {
    DWORD contentStart = 0;  // S
    DWORD headCrc = 0;
    DWORD programCheck = 0;
};

// Reads the last 52 bytes; false unless they are an ENDB trailer whose
// content length fits the file.
bool ReadTrailer(ScrFile &file, Trailer *trailer);
