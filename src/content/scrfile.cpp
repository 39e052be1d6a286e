// Exact reads on the module file.
#include "content/scrfile.h"

#include <atomic>

namespace {

// The loader reads on the window's thread, the picture worker on its own.
std::atomic<ULONGLONG> bytesRead{0};

}  // namespace

ULONGLONG ScrFile::BytesRead() { return bytesRead; }

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

bool ScrFile::Seek(ULONGLONG offset) {
    LARGE_INTEGER to, at;
    to.QuadPart = LONGLONG(offset);
    if (offset > size_ || !SetFilePointerEx(Kernel(), to, &at, FILE_BEGIN) || at.QuadPart != to.QuadPart) return false;
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

bool ScrFile::Read(void *buffer, DWORD count) {
    if (count > Remaining()) return false;
    if (count == 0) return true;
    UINT got = _lread(file_, buffer, count);
    if (got == UINT(HFILE_ERROR)) return false;
    position_ += got;
    bytesRead += got;
    return got == count;
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
