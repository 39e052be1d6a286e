// mlshow.exe run as a user runs it, sharing the test's console.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

// Runs mlshow.exe with `arguments`; its exit code, or -1 when it does not run
// or end within a minute. With `output`, what it writes to stdout and stderr.
inline DWORD RunMlshow(const std::wstring &arguments, std::string *output = nullptr) {
    const std::wstring program = std::filesystem::path(ML_MLSHOW_EXE).wstring();
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    if (output && CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = startup.hStdError = writeEnd;
    }
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, writeEnd != nullptr, 0, nullptr, nullptr, &startup, &process);
    if (writeEnd) CloseHandle(writeEnd);  // the pipe ends when mlshow's copy closes
    DWORD code = DWORD(-1);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (readEnd && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output->append(buffer, got);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (readEnd) CloseHandle(readEnd);
    return code;
}
