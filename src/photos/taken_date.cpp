// The day taken from a photo file's header, read by the shared EXIF reader.
#include "photos/taken_date.h"

#include "content/exif.h"

namespace photos {

uint32_t JpegTakenDate(const uint8_t *data, size_t size) { return ml::ExifTakenDate(data, size); }

uint32_t FileTakenDate(const wchar_t *path, uint8_t *header) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    const bool read = ReadFile(file, header, kDateHeaderBytes, &got, nullptr) != 0;
    CloseHandle(file);
    return read ? JpegTakenDate(header, got) : 0;
}

}  // namespace photos
