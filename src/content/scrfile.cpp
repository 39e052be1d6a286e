// Exact reads on the module file.
#include "content/scrfile.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// The loader reads on the window's thread, the picture worker on its own.
std::atomic<ULONGLONG> bytesRead{0};
std::atomic<ULONGLONG> systemReads{0};

// A fill after a seek reads a page; each fill that runs on from the last
// reads twice as much, up to the buffer's size. Reads of half the buffer
// and more go straight to the caller.
constexpr DWORD kFirstPiece = 4096;
constexpr DWORD kBufferSize = 64 * 1024;

}  // namespace

ULONGLONG ScrFile::BytesRead() { return bytesRead; }

ULONGLONG ScrFile::SystemReads() { return systemReads; }

ScrFile::ScrFile(const char *path) : file_(_lopen(path, OF_READ)) {
    if (file_ == HFILE_ERROR) return;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Kernel(), &size) || size.QuadPart < 0) {
        _lclose(file_);
        file_ = HFILE_ERROR;
        return;
    }
    size_ = ULONGLONG(size.QuadPart);
}

ScrFile::~ScrFile() {
    std::free(buffer_);
    if (file_ != HFILE_ERROR) _lclose(file_);
}

HFILE ScrFile::Handle() {
    LARGE_INTEGER to, at;
    to.QuadPart = LONGLONG(position_);
    handleAt_ = kUnknown;  // the caller moves it
    if (!IsOpen() || !SetFilePointerEx(Kernel(), to, &at, FILE_BEGIN) || at.QuadPart != to.QuadPart)
        return HFILE_ERROR;
    return file_;
}

// The next read says whether there is anything there.
bool ScrFile::Seek(ULONGLONG offset) {
    if (offset > size_) return false;
    position_ = offset;
    return true;
}

void ScrFile::Moved() {
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    // A position that cannot be told makes every later read fail.
    position_ = SetFilePointerEx(Kernel(), zero, &at, FILE_CURRENT) && at.QuadPart >= 0 ? ULONGLONG(at.QuadPart) : size_;
    if (position_ > size_) position_ = size_;
}

// A seek and a read: under Wine a read at an offset given with it (an
// OVERLAPPED) costs many times as much. The seek is left out when the
// handle is there already.
bool ScrFile::ReadAt(ULONGLONG offset, void *buffer, DWORD count) {
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    if (offset != handleAt_ && !SetFilePointerEx(Kernel(), to, nullptr, FILE_BEGIN)) return false;
    handleAt_ = kUnknown;
    DWORD got = 0;
    ++systemReads;
    if (!ReadFile(Kernel(), buffer, count, &got, nullptr) || got != count) return false;
    handleAt_ = offset + count;
    return true;
}

bool ScrFile::Fill(DWORD count) {
    const bool runsOn = bufferLength_ != 0 && position_ == bufferStart_ + bufferLength_;
    piece_ = !runsOn ? kFirstPiece : piece_ < kBufferSize / 2 ? 2 * piece_ : kBufferSize;
    const ULONGLONG want = count > piece_ ? count : piece_;
    const DWORD length = DWORD(want < Remaining() ? want : Remaining());
    bufferLength_ = 0;
    if (!ReadAt(position_, buffer_, length)) return false;
    bufferStart_ = position_, bufferLength_ = length;
    return true;
}

bool ScrFile::Read(void *buffer, DWORD count) {
    if (count > Remaining()) return false;
    if (!buffer_) buffer_ = (BYTE *)std::malloc(kBufferSize);  // without it every read goes to the file
    BYTE *out = (BYTE *)buffer;
    const DWORD wanted = count;
    for (;;) {
        // What the buffer holds from the position on.
        if (position_ >= bufferStart_ && position_ - bufferStart_ < bufferLength_) {
            const DWORD at = DWORD(position_ - bufferStart_);
            const DWORD n = count < bufferLength_ - at ? count : bufferLength_ - at;
            std::memcpy(out, buffer_ + at, n);
            out += n, count -= n, position_ += n;
        }
        if (count == 0) break;
        if (count >= kBufferSize / 2 || !buffer_) {
            if (!ReadAt(position_, out, count)) return false;
            position_ += count;
            break;
        }
        if (!Fill(count)) return false;
    }
    bytesRead += wanted;
    return true;
}

HGLOBAL ScrFile::ReadBlock(DWORD count, DWORD extra) {
    if (count > Remaining() || count + extra < count) return 0;
    // Fixed memory: a show's blocks would use up the process's movable
    // handles. An empty block stays movable: only then does its size read 0.
    HGLOBAL memory = GlobalAlloc((count + extra ? GMEM_FIXED : GMEM_MOVEABLE) | GMEM_ZEROINIT, count + extra);
    if (!memory) return 0;
    if (count + extra == 0) return memory;  // an empty block: nothing to read
    void *bytes = GlobalLock(memory);
    bool ok = bytes && Read(bytes, count);
    if (bytes) GlobalUnlock(memory);
    if (ok) return memory;
    GlobalFree(memory);
    return 0;
}

bool ReadTrailer(ScrFile &file, Trailer *trailer) {
    SCREND end;
    if (file.Size() < SCREND_SIZE || !file.Seek(file.Size() - SCREND_SIZE) || !file.Read(&end, sizeof end))
        return false;
    if (end.type != TAG_ENDB) return false;
    DWORD contentLength = end.contentlength ^ CONTENTLENGTH_MASK;
    if (contentLength > file.Size()) return false;
    trailer->contentStart = file.Size() - contentLength;
    trailer->headCrc = end.headcrc ^ HEADCRC_MASK;
    trailer->programCheck = end.programcheck ^ PROGRAMCHECK_MASK;
    return true;
}
