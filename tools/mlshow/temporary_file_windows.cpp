// Temporary files on Windows. Ctrl+C, Ctrl+Break, closing the console,
// logging off and shutting down reach a console program as control events
// on a thread of their own, while the build goes on writing: the file is
// opened with delete sharing, so the handler can remove it while it is
// open (it goes when the process ends and its handle closes).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <system_error>

#include "fileio.h"
#include "temporary_file.h"

namespace mlshow {

namespace {

BOOL WINAPI RemoveTemporariesOnEvent(DWORD) {
    RemoveOpenTemporaries();
    return FALSE;  // the next handler, in the end the system's, ends the program
}

}  // namespace

std::FILE *CreateTemporaryFile(const std::filesystem::path &path, std::string *why) {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *why = std::system_category().message(int(GetLastError()));
        return nullptr;
    }
    const int descriptor = _open_osfhandle(intptr_t(handle), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        *why = "cannot open the file's handle";
        return nullptr;
    }
    std::FILE *file = _fdopen(descriptor, "wb");
    if (!file) {
        _close(descriptor);  // closes the handle too
        *why = "cannot open the file's handle";
    }
    return file;
}

void RemoveTemporaryNow(const std::filesystem::path::value_type *name) { DeleteFileW(name); }

void RemoveTemporariesOnInterrupt() { SetConsoleCtrlHandler(RemoveTemporariesOnEvent, TRUE); }

}  // namespace mlshow
