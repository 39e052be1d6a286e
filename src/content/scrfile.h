// The module file opened for reading the show, with exact reads and seeks
// that fail softly: any short read or bad seek is reported once as false.
//
// Positions and sizes are 64-bit, so a show file of 2 GB and more reads
// like a small one: the content's own lengths are 32-bit (at most 4 GB less
// one byte from the HEAD block to the end), but the file around it may be
// longer by its program part.
//
// Small reads come out of a buffer filled a piece at a time, and a seek
// only moves the position: walking a chain of thousands of blocks costs a
// system call for each piece of the file read, not one for every seek and
// read. A piece is small after a seek (the headers of a block lie together)
// and grows while reads run on through the file.
#pragma once

#include <windows.h>

#include "content/format.h"

class ScrFile {
public:
    explicit ScrFile(const char *path);
    ~ScrFile();
    ScrFile(const ScrFile &) = delete;
    ScrFile &operator=(const ScrFile &) = delete;

    bool IsOpen() const { return file_ != HFILE_ERROR; }
    // The handle, its own position set to this file's: for reading on from
    // here through it (HFILE_ERROR when the position cannot be set).
    HFILE Handle();
    ULONGLONG Size() const { return size_; }
    ULONGLONG Position() const { return position_; }
    ULONGLONG Remaining() const { return size_ - position_; }

    bool Seek(ULONGLONG offset);
    bool Read(void *buffer, DWORD count);
    // Reads `count` bytes into a new zeroed fixed block of `count + extra`
    // bytes (movable when empty); 0 on a short read or when memory runs out.
    HGLOBAL ReadBlock(DWORD count, DWORD extra = 0);
    // The position after a read done by someone else through Handle().
    void Moved();
    // Bytes read through Read by every ScrFile of the process so far (not
    // those read through Handle()), for measuring what a load reads.
    static ULONGLONG BytesRead();
    // System reads made for Read by every ScrFile of the process so far.
    static ULONGLONG SystemReads();

private:
    // _llseek takes a signed 32-bit offset; seeks and the size go through
    // the kernel handle behind the 16-bit-compatible one instead.
    HANDLE Kernel() const { return LongToHandle(file_); }
    // Exactly `count` bytes from `offset`.
    bool ReadAt(ULONGLONG offset, void *buffer, DWORD count);
    // Fills the buffer from the position with at least `count` bytes.
    bool Fill(DWORD count);

    HFILE file_;
    ULONGLONG size_ = 0;
    ULONGLONG position_ = 0;
    static constexpr ULONGLONG kUnknown = ~ULONGLONG(0);
    ULONGLONG handleAt_ = kUnknown;  // the handle's own position, when known
    BYTE *buffer_ = nullptr;  // the file's bytes from bufferStart_ on, bufferLength_ of them
    ULONGLONG bufferStart_ = 0;
    DWORD bufferLength_ = 0;
    DWORD piece_ = 0;  // bytes the last fill asked for
};

// The trailer as read and unmasked: where the content starts and its checks.
struct Trailer {
    ULONGLONG contentStart = 0;  // S
    DWORD headCrc = 0;
    DWORD programCheck = 0;
};

// Reads the last 52 bytes; false unless they are an ENDB trailer whose
// content length fits the file.
bool ReadTrailer(ScrFile &file, Trailer *trailer);
